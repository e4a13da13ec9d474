// Button names and the default buttons of the toy's controls.
#include "ToyControl.h"

#include <SDL.h>

#include <algorithm>
#include <sstream>

namespace zarq {

int ToyCode(ToyControl control) {
    // The toy's Windows key codes.
    constexpr int kCodes[kToyControlCount] = {38, 40, 37, 39, 17};
    return kCodes[static_cast<int>(control)];
}

PadBindings PadBindings::Defaults() {
    PadBindings b;
    b.Buttons = {
        {{SDL_CONTROLLER_BUTTON_DPAD_UP},
         {SDL_CONTROLLER_BUTTON_DPAD_DOWN},
         {SDL_CONTROLLER_BUTTON_DPAD_LEFT},
         {SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
         {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER}}};
    return b;
}

int PadBindings::ControlOf(int button) const {
    for (int i = 0; i < kToyControlCount; ++i) {
        if (std::find(Buttons[i].begin(), Buttons[i].end(), button) != Buttons[i].end()) return i;
    }
    return -1;
}

bool PadBindings::Reserved(int button) {
    return button == SDL_CONTROLLER_BUTTON_START || button == SDL_CONTROLLER_BUTTON_BACK;
}

bool PadBindings::Assign(ToyControl control, int button) {
    if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX || Reserved(button)) return false;
    const int owner = ControlOf(button);
    if (owner >= 0 && owner != static_cast<int>(control)) return false;
    Buttons[static_cast<int>(control)] = {button};
    return true;
}

std::string PadBindings::Format(const std::vector<int>& buttons) {
    std::string out;
    for (int b : buttons) {
        const char* name =
            SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(b));
        if (name == nullptr) continue;
        if (!out.empty()) out += ',';
        out += name;
    }
    return out;
}

std::vector<int> PadBindings::Parse(const std::string& text) {
    std::vector<int> buttons;
    std::istringstream in(text);
    std::string name;
    while (std::getline(in, name, ',')) {
        const SDL_GameControllerButton b = SDL_GameControllerGetButtonFromString(name.c_str());
        if (b == SDL_CONTROLLER_BUTTON_INVALID || Reserved(b)) return {};
        if (std::find(buttons.begin(), buttons.end(), b) == buttons.end()) buttons.push_back(b);
    }
    return buttons;
}

std::string PadBindings::DisplayName(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return "A (south)";
        case SDL_CONTROLLER_BUTTON_B:
            return "B (east)";
        case SDL_CONTROLLER_BUTTON_X:
            return "X (west)";
        case SDL_CONTROLLER_BUTTON_Y:
            return "Y (north)";
        case SDL_CONTROLLER_BUTTON_BACK:
            return "Back";
        case SDL_CONTROLLER_BUTTON_GUIDE:
            return "Guide";
        case SDL_CONTROLLER_BUTTON_START:
            return "Start";
        case SDL_CONTROLLER_BUTTON_LEFTSTICK:
            return "Left stick press";
        case SDL_CONTROLLER_BUTTON_RIGHTSTICK:
            return "Right stick press";
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return "Left shoulder";
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return "Right shoulder";
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return "D-pad up";
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return "D-pad down";
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return "D-pad left";
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return "D-pad right";
        default: {
            const char* name =
                SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(button));
            return name != nullptr ? name : "?";
        }
    }
}

}  // namespace zarq
