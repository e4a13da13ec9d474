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

#include "input/QtKeys.h"
#include "session/SettingsKeys.h"

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

// Where the compositor alone places windows and never tells a program where they are.
bool CanPlaceWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Long enough for a window moved step by step to count as still moving between two steps.
constexpr int kSettleMs = 250;

QString ZoomCaption(int percent) {
    return percent == PanelWindow::kFitToScreen ? QStringLiteral("Fit to screen")
                                                : QStringLiteral("%1 %").arg(percent);
}
}  // namespace

PanelWindow::PanelWindow(PlaySession& session, const PictureSet& pictures,
                         const QByteArray& mask2, QWidget* parent)
    : PanelWindow(session.Panel(), &session, pictures, mask2, parent) {}

PanelWindow::PanelWindow(TForm1& form, const PictureSet& pictures, const QByteArray& mask2,
                         QWidget* parent)
    : PanelWindow(form, nullptr, pictures, mask2, parent) {}

PanelWindow::PanelWindow(TForm1& form, PlaySession* session, const PictureSet& pictures,
                         const QByteArray& mask2, QWidget* parent)
    : QWidget(parent),
      form_(form),
      session_(session),
      own_(session != nullptr ? nullptr : std::make_unique<OwnControls>(form)),
      input_(session != nullptr ? session->Input() : own_->Input),
      controls_(session != nullptr ? session->Controls() : own_->Controls),
      heldKeys_(session != nullptr ? session->Keyboard() : own_->Keyboard),
      settings_(session != nullptr ? &session->Settings() : nullptr),
      painter_(form, pictures) {
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
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { Settle(); });
    BuildZoomMenu();
    zoom_ = ZoomFromSetting(settings_ != nullptr ? settings_->ReadInteger(settings::kZoom, 100)
                                                 : 100);
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
    if (percent == kFitToScreen) return true;
    const PanelPlacement here = PlaceHere();
    return PanelFits(percent, here.Area.size());
}

void PanelWindow::SetZoom(int percent) {
    if (ZoomFromSetting(percent) != percent) return;
    zoom_ = percent;
    if (settings_ != nullptr) settings_->WriteInteger(settings::kZoom, percent);
    if (fullScreen_) {
        SetFullScreen(false);
        return;
    }
    ResizeAboutCentre();
}

PanelPlacement PanelWindow::PlaceHere() const {
    if (!CanPlaceWindows()) {
        // The window's place is unknown: its size is worked out for the available area of the
        // screen the compositor shows it on.
        QRect area = ScreenArea(true);
        if (workArea_.isValid()) area.setSize(area.size().boundedTo(workArea_));
        PanelPlacement place = PlacePanel({area}, geometry(), ExactCentre(area), zoom_);
        if (place.Window.size() == size()) place.Window = geometry();  // nothing to place
        return place;
    }
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens()) areas << s->availableGeometry();
    const QRect now = geometry();
    // The exact centre the last decision kept, while the window is still where it put it: zoom
    // steps back and forth bring the window back to the same pixel.
    return PlacePanel(areas, now, now == placed_ ? centre_ : ExactCentre(now), zoom_);
}

bool PanelWindow::Dragging() const {
    return systemMove_ || (pressed_ != nullptr && pressed_->Role() == MouseRole::Drag);
}

void PanelWindow::ResizeAboutCentre() {
    // Under the pointer a new size would move the point held and the window with it; the drag's
    // end brings the decision.
    if (Dragging()) return;
    const PanelPlacement place = PlaceHere();
    if (isVisible() && !CanPlaceWindows() &&
        (place.Window.width() > width() || place.Window.height() > height())) {
        // Grown from where it is, the window could run off the screen, and only the compositor
        // can move it: shown anew, it is placed again, whole where it fits. A smaller window
        // keeps its top-left corner and stays on the screen where it was.
        hide();
        ApplyScale(place.Scale);
        show();
        raise();
        activateWindow();
        return;
    }
    if (isVisible() && place.Window != geometry()) {
        // One request for the place and the size: a window resized where it stood, then moved,
        // could be taken for a window on its old screen in between.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setGeometry(place.Window);
    }
    ApplyScale(place.Scale);
    placed_ = isVisible() ? geometry() : QRect();
    centre_ = placed_ == place.Window ? place.Centre : ExactCentre(placed_);
}

void PanelWindow::ProbeWorkArea() {
    probe_ = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    // Nothing of it shows: every pixel is see-through.
    probe_->setAttribute(Qt::WA_TranslucentBackground);
    probe_->setAttribute(Qt::WA_ShowWithoutActivating);
    probe_->resize(1, 1);
    probe_->installEventFilter(this);
    probe_->showMaximized();
    // A compositor that never maximises it: the screen's own area stays.
    QTimer::singleShot(3000, this, [this] { probe_.reset(); });
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event) {
    // A Wayland compositor applies its answer to a change of full screen with the window's first
    // frame after the answer was acknowledged. Leaving full screen, the window has drawn its new
    // size before the answer came; without one more frame the compositor would stay in full
    // screen, the panel in the middle of black.
    if (watched == windowHandle() && event->type() == QEvent::WindowStateChange &&
        event->spontaneous() && !CanPlaceWindows()) {
        update();
    }
    if (probe_ != nullptr && watched == probe_.get() && event->type() == QEvent::Resize &&
        probe_->isMaximized() && probe_->width() > 1 && probe_->height() > 1) {
        workArea_ = probe_->size();
        probe_->removeEventFilter(this);
        // Not from inside its own event.
        QTimer::singleShot(0, this, [this] {
            probe_.reset();
            activateWindow();
            ResizeAboutCentre();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void PanelWindow::Settle() {
    if (!isVisible() || fullScreen_) return;
    ResizeAboutCentre();
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
    // Full screen follows its own size; a zoom is worked out again for the new screen once the
    // window has stopped moving: "Fit to screen" fits this one, a zoom too large for it shows
    // at the largest that fits, and the chosen zoom comes back on a screen large enough.
    if (!fullScreen_) settle_.start();
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
    ApplyScale(PlaceHere().Scale);
}

void PanelWindow::ApplyScale(double scale) {
    const QRegion outline = coolForm1_.Outline();
    scale_ = scale;
    toWindow_ = QTransform::fromScale(scale_, scale_);
    setFixedSize(PanelSizeAt(scale_));
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
        // 100 % stays a choice where it does not fit: as large as fits, up to the toy's size.
        action->setEnabled(percent == 100 || Fits(percent));
        action->setChecked(percent == zoom_);
    }
}

void PanelWindow::showEvent(QShowEvent* event) {
    painter_.SetTransparentOutside(DesktopComposes());
    if (QWindow* window = windowHandle(); window != nullptr && !screenWatched_) {
        screenWatched_ = true;
        connect(window, &QWindow::screenChanged, this, [this] { ScreenChanged(); });
        window->installEventFilter(this);  // the compositor's answers to full screen
        // A monitor added or taken away may leave the window beside every screen that remains.
        connect(qGuiApp, &QGuiApplication::screenAdded, this, [this] { ScreenChanged(); });
        connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { ScreenChanged(); });
        FollowScreen(screen());
        if (!CanPlaceWindows()) ProbeWorkArea();
    }
    QWidget::showEvent(event);
}

void PanelWindow::ElementChanged(const TControl& control) {
    const TRect& b = control.Bounds();
    update(PaintTransform().mapRect(QRectF(b.Left, b.Top, b.Width, b.Height)).toAlignedRect());
}

QPoint PanelWindow::ToToy(const QPointF& at) const {
    const QPointF toy = toWindow_.inverted().map(at);
    return {static_cast<int>(std::floor(toy.x())), static_cast<int>(std::floor(toy.y()))};
}

void PanelWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRegion& area = event->region();
    // The whole of `area` is painted, not only the inside of the outline: the window system
    // rounds the mask to device pixels its own way, and every pixel it lets through along the
    // edge must show the toy (the painter carries its colours a little beyond the outline).
    if (fullScreen_) {
        PaintFullScreen(painter, area);
        return;
    }
    painter.setTransform(PaintTransform());
    painter_.Paint(painter, ToyArea(area));
}

QTransform PanelWindow::PaintTransform() const {
    if (fullScreen_ || width() <= 0 || height() <= 0) return toWindow_;
    // Edge to edge over the whole window, to its last device pixel: its size is the zoomed
    // size rounded, and at a fractional ratio rounded again to device pixels. A strip left
    // unpainted at the right or bottom would show black inside the mask.
    const double ratio = devicePixelRatioF();
    const double across = std::ceil(width() * ratio - 1e-6) / ratio;
    const double down = std::ceil(height() * ratio - 1e-6) / ratio;
    return QTransform::fromScale(across / kWidth, down / kHeight);
}

QRegion PanelWindow::ToyArea(const QRegion& area) const {
    const QTransform toToy = PaintTransform().inverted();
    QRegion toyArea;
    for (const QRect& r : area) toyArea += toToy.mapRect(QRectF(r)).toAlignedRect();
    return toyArea.intersected(QRect(0, 0, kWidth, kHeight));
}

void PanelWindow::PaintFullScreen(QPainter& painter, const QRegion& area) {
    // The whole panel lies inside the window, on black: its anti-aliased outline is laid onto
    // the black instead of being cut by a mask. The panel is painted see-through outside
    // into a layer of whole device pixels, which is then put down on the black unscaled.
    const double ratio = devicePixelRatioF();
    const QRect box = area.boundingRect();
    const QRect device =
        QRectF(box.x() * ratio, box.y() * ratio, box.width() * ratio, box.height() * ratio)
            .toAlignedRect();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(box, Qt::black);
    const QRegion toyArea = ToyArea(area);
    if (toyArea.isEmpty() || device.isEmpty()) return;
    QImage layer(device.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter onLayer(&layer);
        onLayer.setTransform(toWindow_ * QTransform::fromScale(ratio, ratio) *
                             QTransform::fromTranslate(-device.x(), -device.y()));
        painter_.Paint(onLayer, toyArea, true);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    painter.drawImage(device.topLeft(), layer);
}

void PanelWindow::SetKeyBindings(const KeyBindings& keys) {
    ReleaseHeldKeys();
    if (session_ != nullptr) {
        session_->SetKeys(keys);
    } else {
        keys_ = keys;
    }
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
        case QEvent::Enter:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            // The compositor's move is over once the pointer reports to the window again.
            if (systemMove_) {
                systemMove_ = false;
                settle_.start();
            }
            break;
        case QEvent::Move:
            // Moved by the player, the window manager or another program: the zoom is worked
            // out again once it stops. Its own placement starts nothing.
            if (isVisible() && !fullScreen_ && geometry() != placed_) settle_.start();
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
    // Automatic repeats reach the toy as further key-downs.
    heldKeys_.Down(Keys().ToyKey(QtKeyName(event->key())));
    QWidget::keyPressEvent(event);
}

void PanelWindow::keyReleaseEvent(QKeyEvent* event) {
    // X11 reports a held key's repeats as release-and-press pairs; the toy sees only the presses.
    if (event->isAutoRepeat()) return;
    heldKeys_.Up(Keys().ToyKey(QtKeyName(event->key())));
}

void PanelWindow::focusOutEvent(QFocusEvent* event) {
    ReleaseHeldKeys();
    QWidget::focusOutEvent(event);
}

void PanelWindow::ReleaseHeldKeys() {
    heldKeys_.ReleaseAll();
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
            // Only the left button moves the window. Another press is no drag: the right one
            // opens the menu, which takes its release, and a zoom chosen there applies at once.
            if (button != TMouseButton::mbLeft) {
                pressed_ = nullptr;
                break;
            }
            // Where a program may not place its own window, the system moves it instead.
            if (button == TMouseButton::mbLeft && QGuiApplication::platformName() == "wayland" &&
                windowHandle() != nullptr) {
                pressed_ = nullptr;
                systemMove_ = windowHandle()->startSystemMove();
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
    if (event->buttons() == Qt::NoButton) {
        if (Dragging()) settle_.start();  // the drag is over: the window may adapt once it rests
        pressed_ = nullptr;
    }
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
    if (menu_ == nullptr) return;
    if (CanPlaceWindows()) {
        menu_->popup(event->globalPos());
        return;
    }
    // Where the compositor put the window is not told, so the toolkit cannot keep a menu and its
    // submenus on the screen (and not every compositor moves them there). The panel is on the
    // screen: the menu opens at the pointer or higher, so that it and its submenus stay within
    // the panel's height.
    int extent = menu_->sizeHint().height();
    for (QAction* action : menu_->actions()) {
        if (action->menu() == nullptr || !action->isVisible()) continue;
        extent = std::max(extent, menu_->actionGeometry(action).top() +
                                      action->menu()->sizeHint().height());
    }
    const QPoint at(event->pos().x(), std::max(0, std::min(event->pos().y(), height() - extent)));
    menu_->popup(mapToGlobal(at));
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    ReleaseHeldKeys();
    form_.FormClose();
    event->accept();
    QCoreApplication::quit();
}

}  // namespace zarq
