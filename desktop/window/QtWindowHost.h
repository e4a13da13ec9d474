// The window system as the panel sees it, on Qt: screen size, the window's place, message
// boxes, the beep and the shell's "open".
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "core/panel/Seams.h"

namespace zarq {

class QtWindowHost : public WindowHost {
  public:
    // The panel is built before its window exists; until SetWindow the place is only remembered.
    void SetWindow(QWidget* window);
    // What the first activation of the panel brings up; nothing until the dialog exists.
    void SetOptionsDialog(std::function<void()> show) { showOptions_ = std::move(show); }

    TPoint ScreenSize() override;
    TPoint WindowPos() override;
    void MoveWindow(int left, int top) override;
    void MessageBox(const std::string& text, const std::string& caption, MessageKind kind) override;
    void Beep() override;
    void ShellOpen(const std::string& target) override;
    void ShowOptionsDialog() override;

  private:
    // The desktop rectangle of the screen the panel is (or will be) on.
    QRect Screen() const;

    QPointer<QWidget> window_;
    TPoint pos_{-600, 0};  // where the panel is created, hidden
    std::function<void()> showOptions_;
};

}  // namespace zarq
