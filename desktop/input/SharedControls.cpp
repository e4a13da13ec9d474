// Counting the holders of each control.
#include "SharedControls.h"

#include <algorithm>

namespace zarq {

void SharedControls::Press(int holder, int key) {
    if (key == 0) {
        input_.KeyDown(key);
        return;
    }
    std::vector<int>& holders = holders_[key];
    if (holders.empty()) {
        holders.push_back(holder);
        input_.KeyDown(key);
    } else if (holders.front() == holder) {
        input_.KeyDown(key);  // its repeat
    } else if (std::find(holders.begin(), holders.end(), holder) == holders.end()) {
        holders.push_back(holder);
    }
}

void SharedControls::Release(int holder, int key) {
    if (key == 0) {
        input_.KeyUp(key);
        return;
    }
    const auto it = holders_.find(key);
    if (it != holders_.end()) {
        std::erase(it->second, holder);
        if (!it->second.empty()) return;
        holders_.erase(it);
    }
    // Also when nobody was known to hold it: a key pressed before the window had the focus.
    input_.KeyUp(key);
}

}  // namespace zarq
