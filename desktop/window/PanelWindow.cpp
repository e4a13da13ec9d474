// The panel window.
#include "desktop/window/PanelWindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <utility>

#include "core/session/SettingsKeys.h"
#include "desktop/input/QtKeys.h"

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
}  // namespace

PanelWindow::PanelWindow(PlaySession& session, const PictureSet& pictures, const QByteArray& mask2,
                         QWidget* parent)
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
      painter_(form, pictures),
      sizing_(*this, coolForm1_, settings_,
              [this] { return pressed_ != nullptr && pressed_->Role() == MouseRole::Drag; }) {
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
    sizing_.ApplyGeometry();
    form_.AttachView(this);
}

PanelWindow::~PanelWindow() {
    form_.AttachView(nullptr);
}

void PanelWindow::showEvent(QShowEvent* event) {
    painter_.SetTransparentOutside(DesktopComposes());
    QWidget::showEvent(event);
}

void PanelWindow::ElementChanged(const TControl& control) {
    const TRect& b = control.Bounds();
    update(PaintTransform().mapRect(QRectF(b.Left, b.Top, b.Width, b.Height)).toAlignedRect());
}

QPoint PanelWindow::ToToy(const QPointF& at) const {
    const QPointF toy = sizing_.ToWindow().inverted().map(at);
    return {static_cast<int>(std::floor(toy.x())), static_cast<int>(std::floor(toy.y()))};
}

void PanelWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRegion& area = event->region();
    // The whole of `area` is painted, not only the inside of the outline: the window system
    // rounds the mask to device pixels its own way, and every pixel it lets through along the
    // edge must show the toy (the painter carries its colours a little beyond the outline).
    if (sizing_.IsFullScreen()) {
        PaintFullScreen(painter, area);
        return;
    }
    painter.setTransform(PaintTransform());
    painter_.Paint(painter, ToyArea(area));
}

QTransform PanelWindow::PaintTransform() const {
    if (sizing_.IsFullScreen() || width() <= 0 || height() <= 0) return sizing_.ToWindow();
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
        onLayer.setTransform(sizing_.ToWindow() * QTransform::fromScale(ratio, ratio) *
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
    if (sizing_.Event(*event)) return true;
    switch (event->type()) {
        case QEvent::WindowActivate:
            form_.FormActivate();
            break;
        case QEvent::WindowDeactivate:
            ReleaseHeldKeys();
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
        case Qt::LeftButton:
            return TMouseButton::mbLeft;
        case Qt::RightButton:
            return TMouseButton::mbRight;
        default:
            return TMouseButton::mbMiddle;
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
            if (sizing_.IsFullScreen()) {  // a full-screen window stays where it is
                pressed_ = nullptr;
                break;
            }
            // The toy moves the window by the pointer's travel: given in window pixels, the
            // window follows the pointer at every zoom.
            dragOrigin_ = sizing_.ToWindow().map(QPointF(b.Left, b.Top)).toPoint();
            form_.Im_BaseMouseDown(button, at.x() - dragOrigin_.x(), at.y() - dragOrigin_.y());
            // Only the left button moves the window. Another press is no drag: the right one
            // opens the menu, which takes its release, and a zoom chosen there applies at once.
            if (button != TMouseButton::mbLeft) {
                pressed_ = nullptr;
                break;
            }
            if (sizing_.MoveBySystem()) pressed_ = nullptr;
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

void PanelWindow::UpdatePointer(const QPoint& at) {
    const QPoint toy = ToToy(at);
    const TControl* target = form_.MouseTarget(toy.x(), toy.y());
    const TCursor cursor = target != nullptr ? target->Cursor() : TCursor::Default;
    setCursor(cursor == TCursor::Hand   ? Qt::PointingHandCursor
              : cursor == TCursor::Help ? Qt::WhatsThisCursor
                                        : Qt::ArrowCursor);
}

void PanelWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (menu_ != nullptr) menu_->popup(sizing_.MenuPlace(*menu_, event->pos(), event->globalPos()));
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    ReleaseHeldKeys();
    form_.FormClose();
    event->accept();
    QCoreApplication::quit();
}

}  // namespace zarq
