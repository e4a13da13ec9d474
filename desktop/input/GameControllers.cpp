// Controllers are found by looking at SDL's device list on every poll, not through SDL's
// event queue, which nobody in this program drains; SDL's controller events are switched off
// so that they never pile up there.
#include "desktop/input/GameControllers.h"

#include <SDL.h>

#include <algorithm>
#include <bitset>
#include <filesystem>

namespace zarq {

namespace {
static_assert(SDL_CONTROLLER_BUTTON_MAX == kPadButtonCount &&
                  SDL_CONTROLLER_BUTTON_DPAD_UP == static_cast<int>(PadButton::DpadUp) &&
                  SDL_CONTROLLER_BUTTON_TOUCHPAD == static_cast<int>(PadButton::Touchpad),
              "the session numbers controller buttons as SDL does");

// The stick's axes from -32768 to 32767: half its travel is half of 32768.
constexpr double kAxisTravel = 32768;
}  // namespace

struct GameControllers::Pad {
    SDL_JoystickID id = -1;
    SDL_GameController* controller = nullptr;
    std::bitset<SDL_CONTROLLER_BUTTON_MAX> buttons;  // for the controls dialog
};

GameControllers::GameControllers(SharedControls& controls, const std::string& mappingFile)
    : pads_(controls), mappingFile_(mappingFile) {}

bool GameControllers::Started() {
    if (tried_) return started_;
    // Started at the first use rather than with the program: finding the devices takes a
    // while, and the program's window should not wait for it.
    tried_ = true;
    SDL_SetMainReady();
    // The program answers the termination signals itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    started_ = true;
    SDL_GameControllerEventState(SDL_IGNORE);
    SDL_JoystickEventState(SDL_IGNORE);
    std::error_code error;
    if (!mappingFile_.empty() && std::filesystem::is_regular_file(mappingFile_, error)) {
        SDL_GameControllerAddMappingsFromFile(mappingFile_.c_str());
    }
    return true;
}

GameControllers::~GameControllers() {
    for (Pad& pad : attached_) SDL_GameControllerClose(pad.controller);
    attached_.clear();
    if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

int GameControllers::Attached() const {
    return static_cast<int>(attached_.size());
}

bool GameControllers::Update() {
    if (!Started()) return false;
    bool released = false;
    // Reads every device and finds the ones attached and removed.
    SDL_GameControllerUpdate();
    for (auto it = attached_.begin(); it != attached_.end();) {
        if (SDL_GameControllerGetAttached(it->controller)) {
            ++it;
            continue;
        }
        released = pads_.Gone(it->id) || released;
        SDL_GameControllerClose(it->controller);
        it = attached_.erase(it);
    }
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0) continue;
        if (std::any_of(attached_.begin(), attached_.end(),
                        [id](const Pad& p) { return p.id == id; })) {
            continue;
        }
        // Telling a controller from another joystick searches the whole mapping database:
        // once per device, not on every look.
        if (std::find(others_.begin(), others_.end(), id) != others_.end()) continue;
        if (!SDL_IsGameController(index)) {
            others_.push_back(id);
            continue;
        }
        SDL_GameController* controller = SDL_GameControllerOpen(index);
        if (controller == nullptr) continue;
        Pad pad;
        pad.id = id;
        pad.controller = controller;
        // Whatever is held at the moment it is plugged in must be let go first.
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            pad.buttons[b] = SDL_GameControllerGetButton(
                                 controller, static_cast<SDL_GameControllerButton>(b)) != 0;
        }
        attached_.push_back(pad);
    }
    return released;
}

bool GameControllers::Poll(std::int64_t nowMs) {
    if (!Started()) return false;
    bool changed = Update();
    for (Pad& pad : attached_) {
        SDL_GameController* gc = pad.controller;
        PadReading reading;
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            pad.buttons[b] =
                SDL_GameControllerGetButton(gc, static_cast<SDL_GameControllerButton>(b)) != 0;
            if (pad.buttons[b]) reading.Buttons |= 1u << b;
        }
        reading.X = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTX) / kAxisTravel;
        reading.Y = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTY) / kAxisTravel;
        changed = pads_.Read(pad.id, reading, nowMs) || changed;
    }
    return changed;
}

int GameControllers::TakePressedButton() {
    if (!Started()) return -1;
    std::vector<std::pair<SDL_JoystickID, std::bitset<SDL_CONTROLLER_BUTTON_MAX>>> before;
    before.reserve(attached_.size());
    for (const Pad& pad : attached_) before.emplace_back(pad.id, pad.buttons);
    Update();  // a controller plugged in now starts from what it holds
    int found = -1;
    for (Pad& pad : attached_) {
        const auto old = std::find_if(before.begin(), before.end(),
                                      [&pad](const auto& entry) { return entry.first == pad.id; });
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            const bool down = SDL_GameControllerGetButton(
                                  pad.controller, static_cast<SDL_GameControllerButton>(b)) != 0;
            const bool wasDown = old != before.end() ? old->second[b] : pad.buttons[b];
            if (down && !wasDown && found < 0) found = b;
            pad.buttons[b] = down;
        }
    }
    return found;
}

}  // namespace zarq
