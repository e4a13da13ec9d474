// Controllers are found by looking at SDL's device list on every poll, not through SDL's
// event queue, which nobody in this program drains; SDL's controller events are switched off
// so that they never pile up there.
#include "GameControllers.h"

#include <SDL.h>

#include <algorithm>
#include <bitset>
#include <filesystem>

namespace zarq {

namespace {
// The toy's five controls, then the program's own two.
constexpr int kPower = kToyControlCount;
constexpr int kMenu = kToyControlCount + 1;
constexpr int kActions = kToyControlCount + 2;
using Held = std::bitset<kActions>;

// Half the stick's travel: a light touch or a worn stick does not steer.
constexpr int kStickThreshold = 16384;
}  // namespace

struct GameControllers::Pad {
    SDL_JoystickID id = -1;
    SDL_GameController* controller = nullptr;
    Held held;     // what the toy was last told is held
    Held latched;  // held across a release-all: ignored until let go
    std::int64_t nextRepeat[kToyControlCount] = {};
    std::bitset<SDL_CONTROLLER_BUTTON_MAX> buttons;  // for the controls dialog
};

GameControllers::GameControllers(InputPath& input, const std::string& mappingFile)
    : input_(input), mappingFile_(mappingFile) {}

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
    for (Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
    pads_.clear();
    if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

int GameControllers::Attached() const {
    return static_cast<int>(pads_.size());
}

void GameControllers::SetBindings(const PadBindings& bindings) {
    // What is held under the old buttons is let go first.
    ReleaseAll();
    bindings_ = bindings;
}

void GameControllers::SetRepeat(int delayMs, int intervalMs) {
    repeatDelay_ = std::max(0, delayMs);
    repeatInterval_ = std::max(1, intervalMs);
}

bool GameControllers::Update() {
    if (!Started()) return false;
    bool released = false;
    // Reads every device and finds the ones attached and removed.
    SDL_GameControllerUpdate();
    for (auto it = pads_.begin(); it != pads_.end();) {
        if (SDL_GameControllerGetAttached(it->controller)) {
            ++it;
            continue;
        }
        released = it->held.any() || released;
        Release(*it);
        SDL_GameControllerClose(it->controller);
        it = pads_.erase(it);
    }
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0) continue;
        if (std::any_of(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.id == id; })) {
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
        pads_.push_back(pad);
    }
    return released;
}

bool GameControllers::Poll(std::int64_t nowMs) {
    if (!Started()) return false;
    bool changed = Update();
    for (Pad& pad : pads_) changed = Deliver(pad, nowMs) || changed;
    return changed;
}

bool GameControllers::AnyHeld() const {
    return std::any_of(pads_.begin(), pads_.end(), [](const Pad& p) { return p.held.any(); });
}

bool GameControllers::Deliver(Pad& pad, std::int64_t nowMs) {
    SDL_GameController* gc = pad.controller;
    auto button = [gc](int b) {
        return SDL_GameControllerGetButton(gc, static_cast<SDL_GameControllerButton>(b)) != 0;
    };
    Held now;
    for (int c = 0; c < kToyControlCount; ++c) {
        for (int b : bindings_.Buttons[c]) now[c] = now[c] || button(b);
    }
    const int x = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTX);
    const int y = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTY);
    auto stick = [&now](ToyControl c, bool pushed) {
        now[static_cast<int>(c)] = now[static_cast<int>(c)] || pushed;
    };
    stick(ToyControl::Up, y < -kStickThreshold);
    stick(ToyControl::Down, y > kStickThreshold);
    stick(ToyControl::Left, x < -kStickThreshold);
    stick(ToyControl::Right, x > kStickThreshold);
    now[kPower] = button(SDL_CONTROLLER_BUTTON_START);
    now[kMenu] = button(SDL_CONTROLLER_BUTTON_BACK);
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) pad.buttons[b] = button(b);

    pad.latched &= now;  // let go: counts again
    now &= ~pad.latched;
    const Held pressed = now & ~pad.held;
    const Held released = pad.held & ~now;
    pad.held = now;

    // Releases first, so that a release of one direction and a press of another in the same
    // look reach the toy in the order a rolling thumb makes them.
    for (int c = 0; c < kToyControlCount; ++c) {
        if (released[c]) input_.KeyUp(ToyCode(static_cast<ToyControl>(c)));
    }
    for (int c = 0; c < kToyControlCount; ++c) {
        if (pressed[c]) {
            input_.KeyDown(ToyCode(static_cast<ToyControl>(c)));
            pad.nextRepeat[c] = nowMs + repeatDelay_;
        } else if (now[c] && repeatDelay_ > 0 && nowMs >= pad.nextRepeat[c]) {
            input_.KeyDown(ToyCode(static_cast<ToyControl>(c)));
            // A late look repeats once, as a keyboard does not catch up either.
            pad.nextRepeat[c] = std::max(pad.nextRepeat[c] + repeatInterval_, nowMs + 1);
        }
    }
    if (pressed[kPower] && onPower_) onPower_();
    if (pressed[kMenu] && onMenu_) onMenu_();
    return pressed.any() || released.any();
}

void GameControllers::Release(Pad& pad) {
    for (int c = 0; c < kToyControlCount; ++c) {
        if (pad.held[c]) input_.KeyUp(ToyCode(static_cast<ToyControl>(c)));
    }
    pad.latched |= pad.held;
    pad.held.reset();
}

void GameControllers::ReleaseAll() {
    for (Pad& pad : pads_) Release(pad);
}

int GameControllers::TakePressedButton() {
    if (!Started()) return -1;
    std::vector<std::pair<SDL_JoystickID, std::bitset<SDL_CONTROLLER_BUTTON_MAX>>> before;
    before.reserve(pads_.size());
    for (const Pad& pad : pads_) before.emplace_back(pad.id, pad.buttons);
    Update();  // a controller plugged in now starts from what it holds
    int found = -1;
    for (Pad& pad : pads_) {
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
