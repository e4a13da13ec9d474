// The panel window's zoom, full screen and place on the screens.
#include "desktop/window/PanelSizing.h"

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "core/panel/Seams.h"
#include "core/session/SettingsKeys.h"

namespace zarq {

namespace {
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
    return percent == PanelSizing::kFitToScreen ? QStringLiteral("Fit to screen")
                                                : QStringLiteral("%1 %").arg(percent);
}
}  // namespace

PanelSizing::PanelSizing(QWidget& window, const TCoolForm& outline, SettingsStore* store,
                         std::function<bool()> held)
    : window_(window), outline_(outline), store_(store), held_(std::move(held)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { Settle(); });
    BuildZoomMenu();
    zoom_ = ZoomFromSetting(store_ != nullptr ? store_->ReadInteger(settings::kZoom, 100) : 100);
}

PanelSizing::~PanelSizing() = default;

QRect PanelSizing::ScreenArea(bool available) const {
    const QScreen* s =
        window_.screen() != nullptr ? window_.screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return QRect(0, 0, kPanelToyWidth, kPanelToyHeight);
    return available ? s->availableGeometry() : s->geometry();
}

bool PanelSizing::Fits(int percent) const {
    if (percent == kFitToScreen) return true;
    return PanelFits(percent, PlaceHere().Area.size());
}

void PanelSizing::SetZoom(int percent) {
    if (ZoomFromSetting(percent) != percent) return;
    zoom_ = percent;
    if (store_ != nullptr) store_->WriteInteger(settings::kZoom, percent);
    if (fullScreen_) {
        SetFullScreen(false);
        return;
    }
    ResizeAboutCentre();
}

void PanelSizing::ZoomIn() {
    if (const auto percent = ZoomStep(scale_, PlaceHere().Area.size(), true)) SetZoom(*percent);
}

void PanelSizing::ZoomOut() {
    if (const auto percent = ZoomStep(scale_, PlaceHere().Area.size(), false)) SetZoom(*percent);
}

PanelPlacement PanelSizing::PlaceHere() const {
    // The window's place is unknown there: its size is worked out for the screen it shows on.
    if (!CanPlaceWindows()) {
        return PlaceUnplacedPanel(ScreenArea(true), workArea_, window_.geometry(), zoom_);
    }
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens()) areas << s->availableGeometry();
    const QRect now = window_.geometry();
    // The exact centre the last decision kept, while the window is still where it put it: zoom
    // steps back and forth bring the window back to the same pixel.
    return PlacePanel(areas, now, now == placed_ ? centre_ : ExactCentre(now), zoom_);
}

bool PanelSizing::Dragging() const {
    return systemMove_ || (held_ && held_());
}

bool PanelSizing::MoveBySystem() {
    if (QGuiApplication::platformName() != QLatin1String("wayland") ||
        window_.windowHandle() == nullptr) {
        return false;
    }
    systemMove_ = window_.windowHandle()->startSystemMove();
    return true;
}

void PanelSizing::ResizeAboutCentre() {
    // Under the pointer a new size would move the point held and the window with it; the drag's
    // end brings the decision.
    if (Dragging()) return;
    const PanelPlacement place = PlaceHere();
    QWidget& w = window_;
    if (w.isVisible() && !CanPlaceWindows() &&
        (place.Window.width() > w.width() || place.Window.height() > w.height())) {
        // Grown from where it is, the window could run off the screen, and only the compositor
        // can move it: shown anew, it is placed again, whole where it fits. A smaller window
        // keeps its top-left corner and stays on the screen where it was.
        w.hide();
        ApplyScale(place.Scale);
        w.show();
        w.raise();
        w.activateWindow();
        return;
    }
    if (w.isVisible() && place.Window != w.geometry()) {
        // One request for the place and the size: a window resized where it stood, then moved,
        // could be taken for a window on its old screen in between.
        w.setMinimumSize(0, 0);
        w.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        w.setGeometry(place.Window);
    }
    ApplyScale(place.Scale);
    placed_ = w.isVisible() ? w.geometry() : QRect();
    centre_ = placed_ == place.Window ? place.Centre : ExactCentre(placed_);
}

void PanelSizing::ProbeWorkArea() {
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

bool PanelSizing::eventFilter(QObject* watched, QEvent* event) {
    // A Wayland compositor applies its answer to a change of full screen with the window's first
    // frame after the answer was acknowledged. Leaving full screen, the window has drawn its new
    // size before the answer came; without one more frame the compositor would stay in full
    // screen, the panel in the middle of black.
    if (watched == window_.windowHandle() && event->type() == QEvent::WindowStateChange &&
        event->spontaneous() && !CanPlaceWindows()) {
        window_.update();
    }
    if (probe_ != nullptr && watched == probe_.get() && event->type() == QEvent::Resize &&
        probe_->isMaximized() && probe_->width() > 1 && probe_->height() > 1) {
        workArea_ = probe_->size();
        probe_->removeEventFilter(this);
        // Not from inside its own event.
        QTimer::singleShot(0, this, [this] {
            probe_.reset();
            window_.activateWindow();
            ResizeAboutCentre();
        });
    }
    return QObject::eventFilter(watched, event);
}

void PanelSizing::Settle() {
    if (!window_.isVisible() || fullScreen_) return;
    ResizeAboutCentre();
}

void PanelSizing::FollowScreen(QScreen* screen) {
    if (screen == followed_) return;
    if (followed_ != nullptr) disconnect(followed_, nullptr, this, nullptr);
    followed_ = screen;
    if (screen != nullptr) {
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { ScreenChanged(); });
    }
}

void PanelSizing::ScreenChanged() {
    FollowScreen(window_.screen());
    // Full screen follows its own size; a zoom is worked out again for the new screen once the
    // window has stopped moving: "Fit to screen" fits this one, a zoom too large for it shows
    // at the largest that fits, and the chosen zoom comes back on a screen large enough.
    if (!fullScreen_) settle_.start();
}

void PanelSizing::SetFullScreen(bool on) {
    if (on == fullScreen_) return;
    fullScreen_ = on;
    if (fullScreenAction_ != nullptr) fullScreenAction_->setChecked(on);
    QWidget& w = window_;
    if (on) {
        normalPos_ = w.pos();
        w.setMinimumSize(0, 0);
        w.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        ApplyGeometry();
        w.showFullScreen();
        // Without a window manager nobody honours the request: the window covers the screen itself.
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            w.setGeometry(ScreenArea(false));
        }
    } else {
        w.showNormal();
        ApplyGeometry();
        w.move(normalPos_);  // back where it was before
    }
    w.update();
}

void PanelSizing::ApplyGeometry() {
    if (fullScreen_) {
        // Scaled to fit the whole screen, in the middle, on black; the screen takes every click.
        toWindow_ =
            FullScreenTransform(window_.isFullScreen() ? window_.size() : ScreenArea(false).size());
        window_.clearMask();
        return;
    }
    ApplyScale(PlaceHere().Scale);
}

void PanelSizing::ApplyScale(double scale) {
    const QRegion& outline = outline_.Outline();
    scale_ = scale;
    toWindow_ = QTransform::fromScale(scale_, scale_);
    window_.setFixedSize(PanelSizeAt(scale_));
    const QRegion shape = outline.isEmpty() ? QRegion() : ScaledRegion(outline, toWindow_);
    if (shape.isEmpty()) {
        window_.clearMask();
    } else {
        window_.setMask(shape);
    }
    UpdateZoomMenu();
}

void PanelSizing::BuildZoomMenu() {
    zoomMenu_ = new QMenu(QStringLiteral("Zoom"), &window_);
    zoomGroup_ = new QActionGroup(zoomMenu_);
    auto add = [this](int percent) {
        QAction* action = zoomMenu_->addAction(ZoomCaption(percent));
        action->setCheckable(true);
        action->setData(percent);
        zoomGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, percent] { SetZoom(percent); });
    };
    for (int percent : kOfferedZooms) add(percent);
    add(kFitToScreen);
    zoomMenu_->addSeparator();
    fullScreenAction_ = zoomMenu_->addAction(QStringLiteral("Full screen"));
    fullScreenAction_->setCheckable(true);
    fullScreenAction_->setShortcut(Qt::Key_F11);
    fullScreenAction_->setShortcutContext(Qt::WindowShortcut);
    window_.addAction(fullScreenAction_);  // F11 acts while the panel has the keyboard focus
    connect(fullScreenAction_, &QAction::triggered, this, [this](bool on) { SetFullScreen(on); });
    // Which zooms fit depends on the screen the panel is on now.
    connect(zoomMenu_, &QMenu::aboutToShow, this, [this] { UpdateZoomMenu(); });
}

void PanelSizing::UpdateZoomMenu() {
    if (zoomGroup_ == nullptr) return;
    for (QAction* action : zoomGroup_->actions()) {
        const int percent = action->data().toInt();
        // 100 % stays a choice where it does not fit: as large as fits, up to the toy's size.
        action->setEnabled(percent == 100 || Fits(percent));
        action->setChecked(percent == zoom_);
    }
}

bool PanelSizing::Event(QEvent& event) {
    switch (event.type()) {
        case QEvent::Show:
            if (QWindow* handle = window_.windowHandle(); handle != nullptr && !screenWatched_) {
                screenWatched_ = true;
                connect(handle, &QWindow::screenChanged, this, [this] { ScreenChanged(); });
                handle->installEventFilter(this);  // the compositor's answers to full screen
                // A monitor added or taken away may leave the window beside every screen that
                // remains.
                connect(qGuiApp, &QGuiApplication::screenAdded, this, [this] { ScreenChanged(); });
                connect(qGuiApp, &QGuiApplication::screenRemoved, this,
                        [this] { ScreenChanged(); });
                FollowScreen(window_.screen());
                if (!CanPlaceWindows()) ProbeWorkArea();
            }
            return false;
        case QEvent::ShortcutOverride:
            // In full screen ESC only leaves full screen; the exit shortcut waits for the next.
            if (fullScreen_ && static_cast<QKeyEvent&>(event).key() == Qt::Key_Escape) {
                event.accept();
                return true;
            }
            return false;
        case QEvent::KeyPress: {
            const auto& key = static_cast<QKeyEvent&>(event);
            if (fullScreen_ && key.key() == Qt::Key_Escape) {
                SetFullScreen(false);
                return true;
            }
            if ((key.modifiers() & Qt::ControlModifier) == 0) return false;
            if (key.key() == Qt::Key_Plus || key.key() == Qt::Key_Equal) {
                ZoomIn();
                return true;
            }
            if (key.key() == Qt::Key_Minus) {
                ZoomOut();
                return true;
            }
            return false;
        }
        case QEvent::Wheel: {
            auto& wheel = static_cast<QWheelEvent&>(event);
            if ((wheel.modifiers() & Qt::ControlModifier) == 0 || fullScreen_) return false;
            const int delta = wheel.angleDelta().y();
            if (delta > 0) ZoomIn();
            if (delta < 0) ZoomOut();
            wheel.accept();
            return true;
        }
        case QEvent::Resize:
            if (fullScreen_) ApplyGeometry();
            return false;
        case QEvent::MouseButtonRelease:
            // The drag is over: the window may adapt once it rests.
            if (static_cast<QMouseEvent&>(event).buttons() == Qt::NoButton && Dragging()) {
                settle_.start();
            }
            [[fallthrough]];
        case QEvent::Enter:
        case QEvent::MouseMove:
            // The compositor's move is over once the pointer reports to the window again.
            if (systemMove_) {
                systemMove_ = false;
                settle_.start();
            }
            return false;
        case QEvent::Move:
            // Moved by the player, the window manager or another program: the zoom is worked
            // out again once it stops. Its own placement starts nothing.
            if (window_.isVisible() && !fullScreen_ && window_.geometry() != placed_) {
                settle_.start();
            }
            return false;
        default:
            return false;
    }
}

QPoint PanelSizing::MenuPlace(const QMenu& menu, const QPoint& at, const QPoint& global) const {
    if (CanPlaceWindows()) return global;
    // Where the compositor put the window is not told, so the toolkit cannot keep a menu and its
    // submenus on the screen (and not every compositor moves them there). The panel is on the
    // screen: the menu opens at the pointer or higher, so that it and its submenus stay within
    // the panel's height.
    int extent = menu.sizeHint().height();
    for (QAction* action : menu.actions()) {
        if (action->menu() == nullptr || !action->isVisible()) continue;
        extent = std::max(extent,
                          menu.actionGeometry(action).top() + action->menu()->sizeHint().height());
    }
    return window_.mapToGlobal(
        QPoint(at.x(), std::max(0, std::min(at.y(), window_.height() - extent))));
}

}  // namespace zarq
