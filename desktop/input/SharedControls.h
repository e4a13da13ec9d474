// The toy has one of each control, but several devices may hold it at once: the keyboard and
// one or more game controllers. Each device delivers its presses and releases here under its
// own holder number; the toy sees a control pressed when its first holder presses it and
// released only when its last holder lets go, and held-key repeats from the holder that
// pressed first. Plain C++ on the core's input path.
#pragma once

#include <map>
#include <vector>

#include "panel/InputPath.h"

namespace zarq {

// The keyboard's holder number; controllers use their own, above it.
inline constexpr int kKeyboardHolder = 0;

class SharedControls {
  public:
    explicit SharedControls(InputPath& input) : input_(input) {}
    SharedControls(const SharedControls&) = delete;
    SharedControls& operator=(const SharedControls&) = delete;

    // A press of the toy's `key` by `holder`: a key-down for the toy when nobody held it, or
    // as a repeat when `holder` holds it and pressed it first. Key 0 (a key the toy does not
    // know) always passes.
    void Press(int holder, int key);
    // `holder` lets go: a key-up for the toy when nobody else holds it.
    void Release(int holder, int key);

  private:
    InputPath& input_;
    std::map<int, std::vector<int>> holders_;  // per key, in the order they pressed
};

}  // namespace zarq
