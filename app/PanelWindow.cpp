// The panel window.
#include "PanelWindow.h"

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
#include <QWindow>
#include <utility>

namespace zarq {

PanelWindow::PanelWindow(TForm1& form, const PictureSet& pictures, const QByteArray& mask2,
                         QWidget* parent)
    : QWidget(parent), form_(form), painter_(form, pictures) {
    setWindowTitle(QStringLiteral("Zarq (Keldo) Simulator"));
    setFixedSize(kWidth, kHeight);
    // Every pixel is painted by paintEvent, white where no picture lies.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    // The component makes the window frameless and gives it the toy's outline; it stays
    // hidden, so it never takes a press.
    coolForm1_.SetParent(this);
    coolForm1_.setVisible(false);
    coolForm1_.SetDraggable(false);
    coolForm1_.LoadMask2(mask2);

    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);  // cursors and hints follow the pointer
    form_.AttachView(this);
}

PanelWindow::~PanelWindow() { form_.AttachView(nullptr); }

void PanelWindow::CentreOnScreen() {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return;
    const QRect area = s->geometry();
    move(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2);
}

void PanelWindow::ElementChanged(const TControl& control) {
    const TRect& b = control.Bounds();
    update(b.Left, b.Top, b.Width, b.Height);
}

void PanelWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter_.Paint(painter, event->region());
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
    const TControl* target = form_.MouseTarget(at.x(), at.y());
    return target != nullptr ? QString::fromStdString(target->Hint()) : QString();
}

void PanelWindow::keyPressEvent(QKeyEvent* event) {
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
    TControl* target = form_.MouseTarget(at.x(), at.y());
    if (target == nullptr) return;
    const TRect& b = target->Bounds();
    const int x = at.x() - b.Left, y = at.y() - b.Top;
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
            form_.Im_BaseMouseDown(button, x, y);
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
            const TRect& b = pressed_->Bounds();
            form_.Im_BaseMouseMove((event->buttons() & Qt::LeftButton) != 0, at.x() - b.Left,
                                   at.y() - b.Top);
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
    const TControl* target = form_.MouseTarget(at.x(), at.y());
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
