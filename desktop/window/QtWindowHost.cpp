// Qt's side of the window host.
#include "desktop/window/QtWindowHost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include "desktop/window/ShellOpen.h"

namespace zarq {

namespace {
// A message box centred over its owner. Qt's own placement takes off a guessed window frame
// where no window manager draws one, which puts the box at the owner's left edge and high.
class CentredMessageBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // the box takes its final size here
        const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        if (owner == nullptr || event->spontaneous()) return;
        // Before the box is mapped: the window system gets this place, no jump is seen.
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2) -
             (geometry().topLeft() - pos()));
    }
};
}  // namespace

void QtWindowHost::SetWindow(QWidget* window) {
    window_ = window;
    if (window_) window_->move(Screen().topLeft() + QPoint(pos_.X, pos_.Y));
}

QRect QtWindowHost::Screen() const {
    const QScreen* screen = window_ && window_->screen() != nullptr
                                ? window_->screen()
                                : QGuiApplication::primaryScreen();
    // The available area: the panel is centred and kept clear of the desktop's own bars.
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

TPoint QtWindowHost::ScreenSize() {
    const QSize size = Screen().size();
    return {size.width(), size.height()};
}

// The toy sees its screen with the origin at its top-left corner; on the desktop that screen
// may lie anywhere (a second monitor left of the first has negative coordinates).
TPoint QtWindowHost::WindowPos() {
    if (window_) {
        const QPoint p = window_->pos() - Screen().topLeft();
        pos_ = {p.x(), p.y()};
    }
    return pos_;
}

void QtWindowHost::MoveWindow(int left, int top) {
    pos_ = {left, top};
    if (window_) window_->move(Screen().topLeft() + QPoint(left, top));
}

void QtWindowHost::MessageBox(const std::string& text, const std::string& caption,
                              MessageKind kind) {
    // Over the window the user is looking at: the panel once it shows, else the dialog.
    // (Without a window manager the panel's activation may not have arrived yet.)
    QWidget* owner =
        window_ && window_->isVisible() ? window_.data() : QApplication::activeWindow();
    CentredMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                          QString::fromStdString(caption), QString::fromStdString(text),
                          QMessageBox::Ok, owner);
    box.exec();
}

void QtWindowHost::Beep() {
    QApplication::beep();
}

void QtWindowHost::ShellOpen(const std::string& target) {
    zarq::ShellOpen(QString::fromStdString(target));
}

void QtWindowHost::ShowOptionsDialog() {
    if (showOptions_) showOptions_();
}

}  // namespace zarq
