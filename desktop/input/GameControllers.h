// Game controllers through SDL: attached and removed at any time, polled by the caller (no
// thread, no event loop of its own), their buttons and left stick turned into the toy's key
// presses and releases on the input path, exactly as the keyboard delivers them, repeats of a
// held control included. Start works the power switch and Back opens the menu, through the
// handlers the program gives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "input/ToyControl.h"
#include "panel/InputPath.h"

typedef struct _SDL_GameController SDL_GameController;

namespace zarq {

class GameControllers {
  public:
    // SDL's controller support with its mapping database, plus the mappings in `mappingFile`
    // (gamecontrollerdb.txt format) when that file exists; started at the first use.
    explicit GameControllers(InputPath& input, const std::string& mappingFile = {});
    ~GameControllers();
    GameControllers(const GameControllers&) = delete;
    GameControllers& operator=(const GameControllers&) = delete;

    // Starts SDL's controller support if not yet tried; false when it could not be started
    // (every call then does nothing).
    bool Started();
    int Attached() const;

    void SetBindings(const PadBindings& bindings);
    const PadBindings& Bindings() const { return bindings_; }
    // Called on a press of Start and of Back.
    void SetPowerHandler(std::function<void()> handler) { onPower_ = std::move(handler); }
    void SetMenuHandler(std::function<void()> handler) { onMenu_ = std::move(handler); }
    // A held control is pressed again `delayMs` after its press, then every `intervalMs`,
    // as a held key repeats; a delay of 0 turns repeats off.
    void SetRepeat(int delayMs, int intervalMs);

    // One look at the controllers at `nowMs` (any steady millisecond count): controllers
    // attached or removed (a removed one's held controls are released), then every change of
    // a control since the last look delivered, releases before presses. True when a control,
    // Start or Back was pressed or released (by the player, or by a removal).
    bool Poll(std::int64_t nowMs);
    // True while a control, Start or Back is held on any controller.
    bool AnyHeld() const;
    // Key-ups for every control held. A control held now counts again only after it has been
    // let go, so a button held across the release does not press by itself.
    void ReleaseAll();
    // For the controls dialog: the first button pressed on any controller since the last
    // call (devices and state brought up to date first), or -1. Delivers nothing to the toy.
    int TakePressedButton();

  private:
    struct Pad;
    bool Update();
    bool Deliver(Pad& pad, std::int64_t nowMs);
    void Release(Pad& pad);

    InputPath& input_;
    std::string mappingFile_;
    bool tried_ = false;
    bool started_ = false;
    PadBindings bindings_ = PadBindings::Defaults();
    std::function<void()> onPower_;
    std::function<void()> onMenu_;
    int repeatDelay_ = 500;
    int repeatInterval_ = 33;
    std::vector<Pad> pads_;
    std::vector<int> others_;  // joysticks that are no game controllers
};

}  // namespace zarq
