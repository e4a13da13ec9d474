// The one way in for what a player does to the toy: key-downs and key-ups of the controls and
// clicks on the power switch. Keyboard, game controller and a recording all deliver here, so
// the toy sees the same events whatever their source and an observer (a recorder) sees
// exactly what the toy saw, in the order it saw it.
#pragma once

#include <cstdint>

namespace zarq {

class TForm1;

enum class InputKind : std::uint8_t { KeyDown, KeyUp, SwitchOn, SwitchOff };

struct ToyInput {
    InputKind Kind = InputKind::KeyDown;
    int Key = 0;  // the toy's key code for KeyDown and KeyUp (0: a key the toy does not know)
    bool operator==(const ToyInput&) const = default;
};

class InputObserver {
  public:
    virtual ~InputObserver() = default;
    // Called just before the toy receives `input`.
    virtual void InputDelivered(const ToyInput& input) = 0;
};

class InputPath {
  public:
    explicit InputPath(TForm1& form) : form_(form) {}
    InputPath(const InputPath&) = delete;
    InputPath& operator=(const InputPath&) = delete;

    // A player's input: dropped while a recording plays.
    void Deliver(const ToyInput& input);
    // An input from a recording being played: it reaches the toy whatever the lock.
    void DeliverRecorded(const ToyInput& input);
    void KeyDown(int key) { Deliver({InputKind::KeyDown, key}); }
    void KeyUp(int key) { Deliver({InputKind::KeyUp, key}); }
    // A left click on the switch while it shows off, or while it shows on.
    void SwitchOn() { Deliver({InputKind::SwitchOn, 0}); }
    void SwitchOff() { Deliver({InputKind::SwitchOff, 0}); }

    // One observer at a time (a recorder); null removes it.
    void SetObserver(InputObserver* observer) { observer_ = observer; }
    // One more, told first, that watches every play as the player plays it whatever else
    // observes the path: the keeper of the best plays.
    void SetPlayWatcher(InputObserver* watcher) { watcher_ = watcher; }
    // While locked, the player's own inputs do not reach the toy (a recording is playing).
    void SetPlayerLocked(bool locked) { playerLocked_ = locked; }
    bool PlayerLocked() const { return playerLocked_; }

  private:
    TForm1& form_;
    InputObserver* observer_ = nullptr;
    InputObserver* watcher_ = nullptr;
    bool playerLocked_ = false;
};

}  // namespace zarq
