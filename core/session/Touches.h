// Touches and mouse presses on the panel's own pictures, several at once: a finger on the
// control pad steers by the quarter it is in and may slide from arrow to arrow, a finger on
// the speed button holds it wherever it wanders, a finger near the switch works it. Held
// controls repeat as held keys do, since a touch screen repeats nothing itself; every finger
// holds under the touches' one holder number, beside the keyboard and the controllers.
#pragma once

#include <array>
#include <map>
#include <optional>

#include "core/session/Controls.h"

namespace zarq {

class TForm1;

enum class PointerKind { Down, Move, Up };

class Touches {
  public:
    // The least a finger needs to hit, in CSS pixels each way (the platforms' guidance).
    static constexpr double kFingerTarget = 44;
    static constexpr int kTouchHolder = 1;

    Touches(TForm1& form, SharedControls& controls);
    // A pointer at toy pixel (x, y); `finger`: a touch or a pen rather than a mouse. Returns
    // true when it is on one of the toy's controls (the page then keeps the browser's own
    // gestures away from it).
    bool Pointer(PointerKind kind, int id, double x, double y, Millis now, bool finger = false);
    // How many CSS pixels a toy pixel is drawn at: a finger's target around the switch is
    // kFingerTarget CSS pixels at least, whatever the size the panel is shown at.
    void SetScale(double cssPerToyPixel);
    // Repeats of the held controls up to `now`.
    void Repeat(Millis now);
    // When the next repeat is due, if a control is held: the caller wakes for it.
    std::optional<Millis> NextRepeat() const;
    // Every pointer let go (the page lost its focus).
    void ReleaseAll();
    // The control a point of the panel presses, if any (not the switch).
    std::optional<ToyControl> ControlAt(double x, double y) const;
    // Whether a finger at (x, y) reaches the switch: its picture widened about its middle to
    // the finger's target, where no other control is.
    bool FingerOnSwitch(double x, double y) const;

  private:
    void Hold(int id, std::optional<ToyControl> control, Millis now);

    TForm1& form_;
    SharedControls& controls_;
    RepeatRule repeat_;
    double scale_ = 1;                                   // CSS pixels per toy pixel
    std::map<int, std::optional<ToyControl>> pointers_;  // what each pointer holds
    std::array<int, kToyControlCount> holders_{};
    std::array<Repeats, kToyControlCount> repeats_{};
};

}  // namespace zarq
