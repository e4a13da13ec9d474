// The panel window.
#include "PanelWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

#ifdef ZARQ_HAS_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace zarq {

namespace {
// Whether the desktop composes windows, so that a see-through pixel shows what lies behind.
// Wayland always does; X11 only while a compositing manager owns its selection; without one
// a see-through pixel would show black, and the mask alone cuts the outline.
bool DesktopComposes() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;
#ifdef ZARQ_HAS_XCB
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) return false;
    xcb_connection_t* connection = x11->connection();
    static const char kSelection[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof kSelection - 1, kSelection), nullptr);
    if (atom == nullptr) return false;
    xcb_get_selection_owner_reply_t* owner = nullptr;
    if (atom->atom != XCB_ATOM_NONE) {
        owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    }
    const bool composes = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return composes;
#else
    return true;
#endif
}

// Each rectangle's edges go through the same rounding, so neighbouring rectangles still
// meet edge to edge after scaling.
QRegion ScaledRegion(const QRegion& region, const QTransform& transform) {
    QRegion out;
    for (const QRect& r : region) {
        const QPointF a = transform.map(QPointF(r.left(), r.top()));
        const QPointF b = transform.map(QPointF(r.left() + r.width(), r.top() + r.height()));
        const QPoint from(qRound(a.x()), qRound(a.y()));
        const QPoint to(qRound(b.x()), qRound(b.y()));
        if (to.x() > from.x() && to.y() > from.y()) out += QRect(from, to - QPoint(1, 1));
    }
    return out;
}

QString ZoomCaption(int percent) {
    return percent == PanelWindow::kFitToScreen ? QStringLiteral("Fit to screen")
                                                : QStringLiteral("%1 %").arg(percent);
}
}  // namespace

PanelWindow::PanelWindow(TForm1& form, const PictureSet& pictures, const QByteArray& mask2,
                         QWidget* parent)
    : QWidget(parent), form_(form), painter_(form, pictures) {
    setWindowTitle(QStringLiteral("Zarq (Keldo) Simulator"));
    // Outside the outline the window is see-through wherever the desktop composes windows;
    // elsewhere the mask cuts it to the outline.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);

    // The component makes the window frameless and gives it the toy's outline; it stays
    // hidden, so it never takes a press.
    resize(kWidth, kHeight);
    coolForm1_.SetParent(this);
    coolForm1_.setVisible(false);
    coolForm1_.SetDraggable(false);
    coolForm1_.LoadMask2(mask2);

    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);  // cursors and hints follow the pointer
    BuildZoomMenu();
    SettingsStore* store = form_.SettingsStore_.get();
    zoom_ = ZoomFromSetting(store != nullptr ? store->ReadInteger("Zoom", 100) : 100);
    ApplyGeometry();
    form_.AttachView(this);
}

PanelWindow::~PanelWindow() { form_.AttachView(nullptr); }

int PanelWindow::ZoomFromSetting(int stored) {
    if (stored == kFitToScreen) return stored;
    return std::find(std::begin(kZooms), std::end(kZooms), stored) != std::end(kZooms) ? stored
                                                                                       : 100;
}

QRect PanelWindow::ScreenArea(bool available) const {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return QRect(0, 0, kWidth, kHeight);
    return available ? s->availableGeometry() : s->geometry();
}

bool PanelWindow::Fits(int percent) const {
    if (percent == 100 || percent == kFitToScreen) return true;
    const QRect area = ScreenArea(true);
    return qRound(kWidth * percent / 100.0) <= area.width() &&
           qRound(kHeight * percent / 100.0) <= area.height();
}

void PanelWindow::SetZoom(int percent) {
    if (ZoomFromSetting(percent) != percent) return;
    zoom_ = percent;
    if (SettingsStore* store = form_.SettingsStore_.get()) store->WriteInteger("Zoom", percent);
    if (fullScreen_) {
        SetFullScreen(false);
        return;
    }
    ResizeAboutCentre();
}

void PanelWindow::ResizeAboutCentre() {
    const QPoint centre = geometry().center();
    const QSize before = size();
    ApplyGeometry();
    // Left where it is when its size stays (a drag across screens is never pulled about).
    if (isVisible() && size() != before) {
        // The window grows or shrinks about its middle and stays on the screen.
        const QRect area = ScreenArea(true);
        QPoint to = centre - QPoint(width() / 2, height() / 2);
        to.setX(std::clamp(to.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
        to.setY(std::clamp(to.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
        move(to);
    }
}

void PanelWindow::FollowScreen(QScreen* screen) {
    if (screen == followed_) return;
    if (followed_ != nullptr) disconnect(followed_, nullptr, this, nullptr);
    followed_ = screen;
    if (screen != nullptr) {
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { ScreenChanged(); });
    }
}

void PanelWindow::ScreenChanged() {
    FollowScreen(screen());
    // Full screen follows its own size; a zoom is worked out again for the new screen: "Fit to
    // screen" fits this one, a zoom too large for it shows at the largest that fits, and the
    // chosen zoom comes back on a screen large enough.
    if (fullScreen_) return;
    ResizeAboutCentre();
}

void PanelWindow::ZoomIn() {
    for (int percent : kZooms) {
        if (percent > qRound(scale_ * 100) && Fits(percent)) {
            SetZoom(percent);
            return;
        }
    }
}

void PanelWindow::ZoomOut() {
    for (auto it = std::rbegin(kZooms); it != std::rend(kZooms); ++it) {
        if (*it < qRound(scale_ * 100) && Fits(*it)) {
            SetZoom(*it);
            return;
        }
    }
}

void PanelWindow::SetFullScreen(bool on) {
    if (on == fullScreen_) return;
    fullScreen_ = on;
    if (fullScreenAction_ != nullptr) fullScreenAction_->setChecked(on);
    if (on) {
        normalPos_ = pos();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        ApplyGeometry();
        showFullScreen();
        // Without a window manager nobody honours the request: the window covers the screen itself.
        if (QGuiApplication::platformName() == QLatin1String("xcb")) setGeometry(ScreenArea(false));
    } else {
        showNormal();
        ApplyGeometry();
        move(normalPos_);  // back where it was before
    }
    update();
}

void PanelWindow::ApplyGeometry() {
    const QRegion outline = coolForm1_.Outline();
    if (fullScreen_) {
        // Scaled to fit the whole screen, in the middle, on black; the screen takes every click.
        const QSize area = isFullScreen() ? size() : ScreenArea(false).size();
        const double s = std::min(area.width() / double(kWidth), area.height() / double(kHeight));
        toWindow_ = QTransform::fromTranslate((area.width() - kWidth * s) / 2,
                                              (area.height() - kHeight * s) / 2)
                        .scale(s, s);
        shape_ =
            ScaledRegion(outline.isEmpty() ? QRegion(0, 0, kWidth, kHeight) : outline, toWindow_);
        clearMask();
        return;
    }
    if (zoom_ == kFitToScreen) {
        const QRect area = ScreenArea(true);
        scale_ = std::min(area.width() / double(kWidth), area.height() / double(kHeight));
    } else {
        // A stored zoom too large for this screen shows at the largest one that fits.
        int percent = 100;
        for (int p : kZooms) {
            if (p <= zoom_ && Fits(p)) percent = p;
        }
        scale_ = percent / 100.0;
    }
    toWindow_ = QTransform::fromScale(scale_, scale_);
    setFixedSize(qRound(kWidth * scale_), qRound(kHeight * scale_));
    shape_ = outline.isEmpty() ? QRegion() : ScaledRegion(outline, toWindow_);
    if (shape_.isEmpty()) {
        clearMask();
    } else {
        setMask(shape_);
    }
    UpdateZoomMenu();
}

void PanelWindow::BuildZoomMenu() {
    zoomMenu_ = new QMenu(QStringLiteral("Zoom"), this);
    zoomGroup_ = new QActionGroup(zoomMenu_);
    auto add = [this](int percent) {
        QAction* action = zoomMenu_->addAction(ZoomCaption(percent));
        action->setCheckable(true);
        action->setData(percent);
        zoomGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, percent] { SetZoom(percent); });
    };
    for (int percent : kZooms) add(percent);
    add(kFitToScreen);
    zoomMenu_->addSeparator();
    fullScreenAction_ = zoomMenu_->addAction(QStringLiteral("Full screen"));
    fullScreenAction_->setCheckable(true);
    fullScreenAction_->setShortcut(Qt::Key_F11);
    fullScreenAction_->setShortcutContext(Qt::WindowShortcut);
    addAction(fullScreenAction_);  // F11 acts while the panel has the keyboard focus
    connect(fullScreenAction_, &QAction::triggered, this, [this](bool on) { SetFullScreen(on); });
    // Which zooms fit depends on the screen the panel is on now.
    connect(zoomMenu_, &QMenu::aboutToShow, this, [this] { UpdateZoomMenu(); });
}

void PanelWindow::UpdateZoomMenu() {
    if (zoomGroup_ == nullptr) return;
    for (QAction* action : zoomGroup_->actions()) {
        const int percent = action->data().toInt();
        action->setEnabled(Fits(percent));
        action->setChecked(percent == zoom_);
    }
}

void PanelWindow::showEvent(QShowEvent* event) {
    painter_.SetTransparentOutside(DesktopComposes());
    if (QWindow* window = windowHandle(); window != nullptr && !screenWatched_) {
        screenWatched_ = true;
        connect(window, &QWindow::screenChanged, this, [this] { ScreenChanged(); });
        FollowScreen(screen());
    }
    QWidget::showEvent(event);
}

void PanelWindow::ElementChanged(const TControl& control) {
    const TRect& b = control.Bounds();
    update(toWindow_.mapRect(QRectF(b.Left, b.Top, b.Width, b.Height)).toAlignedRect());
}

QPoint PanelWindow::ToToy(const QPointF& at) const {
    const QPointF toy = toWindow_.inverted().map(at);
    return {static_cast<int>(std::floor(toy.x())), static_cast<int>(std::floor(toy.y()))};
}

void PanelWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRegion& area = event->region();
    // Only the inside of the outline is painted; outside, the window stays transparent (and
    // in full screen black).
    const QRegion inside = shape_.isEmpty()
                               ? QRegion(toWindow_.mapRect(QRectF(0, 0, kWidth, kHeight)).toRect())
                               : shape_;
    painter.setClipRegion(area.intersected(inside));
    painter.setTransform(toWindow_);
    const QTransform toToy = toWindow_.inverted();
    QRegion toyArea;
    for (const QRect& r : area) toyArea += toToy.mapRect(QRectF(r)).toAlignedRect();
    painter_.Paint(painter, toyArea.intersected(QRect(0, 0, kWidth, kHeight)));
    if (fullScreen_) {
        // Black behind the panel: its see-through edge is blended with the black, not with
        // whatever lies behind the full-screen window.
        painter.resetTransform();
        painter.setClipping(false);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        painter.fillRect(area.boundingRect(), Qt::black);
    }
}

int PanelWindow::ToyKey(int qtKey) {
    return KeyBindings::Defaults().ToyKey(qtKey);
}

void PanelWindow::SetKeyBindings(const KeyBindings& keys) {
    ReleaseHeldKeys();
    keys_ = keys;
}

bool PanelWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            form_.FormActivate();
            break;
        case QEvent::WindowDeactivate:
            ReleaseHeldKeys();
            break;
        case QEvent::ShortcutOverride:
            // In full screen ESC only leaves full screen; the exit shortcut waits for the next.
            if (fullScreen_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                event->accept();
                return true;
            }
            break;
        case QEvent::Resize:
            if (fullScreen_) ApplyGeometry();
            break;
        case QEvent::ToolTip: {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QString hint = HintAt(help->pos());
            if (!hint.isEmpty()) {
                QToolTip::showText(help->globalPos(), hint, this);
            } else {
                QToolTip::hideText();
                event->ignore();
            }
            return true;
        }
        default:
            break;
    }
    return QWidget::event(event);
}

QString PanelWindow::HintAt(const QPoint& at) const {
    const QPoint toy = ToToy(at);
    const TControl* target = form_.MouseTarget(toy.x(), toy.y());
    return target != nullptr ? QString::fromStdString(target->Hint()) : QString();
}

void PanelWindow::keyPressEvent(QKeyEvent* event) {
    if (fullScreen_ && event->key() == Qt::Key_Escape) {
        SetFullScreen(false);
        return;
    }
    if ((event->modifiers() & Qt::ControlModifier) != 0) {
        switch (event->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                ZoomIn();
                return;
            case Qt::Key_Minus:
                ZoomOut();
                return;
            default:
                break;
        }
    }
    const int key = keys_.ToyKey(event->key());
    heldKeys_.insert(key);
    // Automatic repeats reach the toy as further key-downs.
    input_.KeyDown(key);
    QWidget::keyPressEvent(event);
}

void PanelWindow::keyReleaseEvent(QKeyEvent* event) {
    // X11 reports a held key's repeats as release-and-press pairs; the toy sees only the presses.
    if (event->isAutoRepeat()) return;
    const int key = keys_.ToyKey(event->key());
    heldKeys_.erase(key);
    input_.KeyUp(key);
}

void PanelWindow::focusOutEvent(QFocusEvent* event) {
    ReleaseHeldKeys();
    QWidget::focusOutEvent(event);
}

void PanelWindow::ReleaseHeldKeys() {
    const std::set<int> held = std::exchange(heldKeys_, {});
    for (int key : held) input_.KeyUp(key);
}

namespace {
TMouseButton ToyButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton: return TMouseButton::mbLeft;
        case Qt::RightButton: return TMouseButton::mbRight;
        default: return TMouseButton::mbMiddle;
    }
}
}  // namespace

void PanelWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPoint toy = ToToy(event->position());
    TControl* target = form_.MouseTarget(toy.x(), toy.y());
    if (target == nullptr) return;
    const TRect& b = target->Bounds();
    const TMouseButton button = ToyButton(event->button());
    pressed_ = target;
    switch (target->Role()) {
        // The switch answers the left button only.
        case MouseRole::SwitchOn:
            if (button == TMouseButton::mbLeft) input_.SwitchOn();
            break;
        case MouseRole::SwitchOff:
            if (button == TMouseButton::mbLeft) input_.SwitchOff();
            break;
        case MouseRole::Drag:
            if (fullScreen_) {  // a full-screen window stays where it is
                pressed_ = nullptr;
                break;
            }
            // The toy moves the window by the pointer's travel: given in window pixels, the
            // window follows the pointer at every zoom.
            dragOrigin_ = toWindow_.map(QPointF(b.Left, b.Top)).toPoint();
            form_.Im_BaseMouseDown(button, at.x() - dragOrigin_.x(), at.y() - dragOrigin_.y());
            // Where a program may not place its own window, the system moves it instead.
            if (button == TMouseButton::mbLeft && QGuiApplication::platformName() == "wayland" &&
                windowHandle() != nullptr) {
                pressed_ = nullptr;
                windowHandle()->startSystemMove();
            }
            break;
        case MouseRole::None:
        case MouseRole::Inert:
            break;
    }
    UpdatePointer(at);
}

void PanelWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (pressed_ != nullptr && event->buttons() != Qt::NoButton) {
        if (pressed_->Role() == MouseRole::Drag) {
            form_.Im_BaseMouseMove((event->buttons() & Qt::LeftButton) != 0,
                                   at.x() - dragOrigin_.x(), at.y() - dragOrigin_.y());
        }
        return;
    }
    UpdatePointer(at);
}

void PanelWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton) pressed_ = nullptr;
    UpdatePointer(event->position().toPoint());
}

void PanelWindow::wheelEvent(QWheelEvent* event) {
    if ((event->modifiers() & Qt::ControlModifier) == 0 || fullScreen_) {
        event->ignore();
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta > 0) ZoomIn();
    if (delta < 0) ZoomOut();
    event->accept();
}

void PanelWindow::UpdatePointer(const QPoint& at) {
    const QPoint toy = ToToy(at);
    const TControl* target = form_.MouseTarget(toy.x(), toy.y());
    const TCursor cursor = target != nullptr ? target->Cursor() : TCursor::Default;
    setCursor(cursor == TCursor::Hand   ? Qt::PointingHandCursor
              : cursor == TCursor::Help ? Qt::WhatsThisCursor
                                        : Qt::ArrowCursor);
}

void PanelWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (menu_ != nullptr) menu_->popup(event->globalPos());
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    ReleaseHeldKeys();
    form_.FormClose();
    event->accept();
    QCoreApplication::quit();
}

}  // namespace zarq
