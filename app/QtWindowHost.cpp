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
    if (window_) window_->move(pos_.X, pos_.Y);
}

TPoint QtWindowHost::ScreenSize() {
    const QScreen* screen = window_ ? window_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return {0, 0};
    const QSize size = screen->geometry().size();
    return {size.width(), size.height()};
}

TPoint QtWindowHost::WindowPos() {
    if (window_) {
        const QPoint p = window_->pos();
        pos_ = {p.x(), p.y()};
    }
    return pos_;
}

void QtWindowHost::MoveWindow(int left, int top) {
    pos_ = {left, top};
    if (window_) window_->move(left, top);
}

void QtWindowHost::MessageBox(const std::string& text, const std::string& caption,
                              MessageKind kind) {
    // Over the window the user is looking at: the panel may still be off screen.
    QWidget* owner = QApplication::activeWindow();
    if (owner == nullptr && window_ && window_->x() >= 0) owner = window_.data();
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
