// Game controllers through SDL: attached and removed at any time, looked at by the caller (no
// thread, no event loop of its own), each look's buttons and left stick handed to the
// session's controllers as a portable reading, which turns them into the toy's key presses
// and releases, repeats of a held control included, each controller under its own holder.
// Start works the power switch and Back opens the menu, through the handlers the program gives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/session/Pads.h"

typedef struct _SDL_GameController SDL_GameController;

namespace zarq {

class GameControllers {
  public:
    // SDL's controller support with its mapping database, plus the mappings in `mappingFile`
    // (gamecontrollerdb.txt format) when that file exists; started at the first use.
    explicit GameControllers(SharedControls& controls, const std::string& mappingFile = {});
    ~GameControllers();
    GameControllers(const GameControllers&) = delete;
    GameControllers& operator=(const GameControllers&) = delete;

    // Starts SDL's controller support if not yet tried; false when it could not be started
    // (every call then does nothing).
    bool Started();
    int Attached() const;

    // The buttons of each control; what is held under the old ones is let go first.
    void SetBindings(const PadBindings& bindings) { pads_.SetBindings(bindings); }
    const PadBindings& Bindings() const { return pads_.Bindings(); }
    // Called on a press of Start and of Back.
    void SetPowerHandler(std::function<void()> handler) {
        pads_.SetPowerHandler(std::move(handler));
    }
    void SetMenuHandler(std::function<void()> handler) { pads_.SetMenuHandler(std::move(handler)); }
    // How a held control repeats; a delay of 0 turns repeats off.
    void SetRepeat(const RepeatRule& rule) { pads_.SetRepeat(rule); }

    // One look at the controllers at `nowMs` (any steady millisecond count): controllers
    // attached or removed (a removed one's held controls are released), then every change of
    // a control since the last look delivered, releases before presses. True when a control,
    // Start or Back was pressed or released (by the player, or by a removal).
    bool Poll(std::int64_t nowMs);
    // True while a control, Start or Back is held on any controller.
    bool AnyHeld() const { return pads_.AnyHeld(); }
    // Key-ups for every control held. A control held now counts again only after it has been
    // let go, so a button held across the release does not press by itself.
    void ReleaseAll() { pads_.ReleaseAll(); }
    // For the controls dialog: the first button pressed on any controller since the last
    // call (devices and state brought up to date first), or -1 (SDL's button numbers are
    // the session's PadButton numbers). Delivers nothing to the toy.
    int TakePressedButton();

  private:
    struct Pad;
    bool Update();

    Pads pads_;
    std::string mappingFile_;
    bool tried_ = false;
    bool started_ = false;
    std::vector<Pad> attached_;
    std::vector<int> others_;  // joysticks that are no game controllers
};

}  // namespace zarq
