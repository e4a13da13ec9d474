// Qt's side of the window host.
#include "QtWindowHost.h"

#include "ShellOpen.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace zarq {

void QtWindowHost::SetWindow(QWidget* window) {
    window_ = window;
    if (window_) window_->move(Screen().topLeft() + QPoint(pos_.X, pos_.Y));
}

QRect QtWindowHost::Screen() const {
    const QScreen* screen = window_ && window_->screen() != nullptr
                                ? window_->screen()
                                : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect();
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
    QWidget* owner = QApplication::activeWindow();
    if (owner == nullptr && window_ && window_->isVisible()) owner = window_.data();
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, owner);
    box.exec();
}

void QtWindowHost::Beep() { QApplication::beep(); }

void QtWindowHost::ShellOpen(const std::string& target) {
    zarq::ShellOpen(QString::fromStdString(target));
}

void QtWindowHost::ShowOptionsDialog() {
    if (showOptions_) showOptions_();
}

}  // namespace zarq
