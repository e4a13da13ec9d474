// The "Controls..." dialog: the toy's five controls with their keys and controller buttons.
// A click on a key or a button field waits for the next key or controller button and assigns
// it; a key or button another control has, or one of the program's own (the menu's shortcut
// keys, Start and Back) is refused with a word why. "Defaults" restores both.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/session/KeyBindings.h"
#include "core/session/Pads.h"

namespace zarq {

class ControlsDialog : public QDialog {
  public:
    // `reserved` are the names of the menu's shortcut keys. `takeButton` returns the
    // controller button pressed since its last call, or -1; null when there is no controller
    // support.
    ControlsDialog(const KeyBindings& keys, const PadBindings& pads,
                   std::vector<std::string> reserved, std::function<int()> takeButton,
                   QWidget* parent = nullptr);

    const KeyBindings& Keys() const { return keys_; }
    const PadBindings& Pads() const { return pads_; }

    QPushButton* KeyField(ToyControl c) const { return keyFields_[static_cast<int>(c)]; }
    QPushButton* PadField(ToyControl c) const { return padFields_[static_cast<int>(c)]; }
    QPushButton* DefaultsButton() const { return defaults_; }
    QString Status() const { return status_->text(); }
    // One look for a pressed controller button while one is awaited (a timer makes it every
    // 16 ms then).
    void PollButton();

    // The names of the keys of every shortcut of `widget`'s actions (each combination's key,
    // without its modifiers), and of the panel's zoom keys.
    static std::vector<std::string> ShortcutKeys(const QWidget& widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void WaitForKey(ToyControl c);
    void WaitForButton(ToyControl c);
    void AssignKey(int qtKey);
    void AssignButton(int button);
    void StopWaiting();
    void Show();

    KeyBindings keys_;
    PadBindings pads_;
    std::vector<std::string> reserved_;
    std::function<int()> takeButton_;
    std::array<QPushButton*, kToyControlCount> keyFields_{};
    std::array<QPushButton*, kToyControlCount> padFields_{};
    QPushButton* defaults_ = nullptr;
    QLabel* status_ = nullptr;
    std::optional<ToyControl> waitingKey_;
    std::optional<ToyControl> waitingButton_;
    QTimer buttonPoll_;
};

}  // namespace zarq
