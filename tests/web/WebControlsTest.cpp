// The browser's devices under the session's portable names: a KeyboardEvent's key and code,
// and a Gamepad's standard mapping. The controls' rules are the session's, tested there.
#include <gtest/gtest.h>

#include "web/src/Controls.h"

namespace zarq::web {
namespace {

TEST(Keys, ABrowsersKeyIsItsPortableName) {
    EXPECT_EQ(KeyName("ArrowUp", "ArrowUp"), "Up");
    EXPECT_EQ(KeyName("Control", "ControlRight"), "Ctrl");
    EXPECT_EQ(KeyName("w", "KeyW"), "W");
    EXPECT_EQ(KeyName(" ", "Space"), "Space");
    EXPECT_EQ(KeyName("Enter", "Enter"), "Return");
    EXPECT_EQ(KeyName("Enter", "NumpadEnter"), "Enter");
    EXPECT_EQ(KeyName("F5", "F5"), "F5");
    EXPECT_EQ(KeyName("Unidentified", ""), "");
    EXPECT_EQ(KeyName("Dead", "Quote"), "");
}

TEST(Pads, TheStandardMappingReadsAsThePortableButtons) {
    // A (0), the right shoulder (5), Start (9), d-pad left (14); the triggers (6, 7) are none.
    const PadReading r =
        StandardPad((1u << 0) | (1u << 5) | (1u << 6) | (1u << 9) | (1u << 14), -0.75, 0.25);
    EXPECT_EQ(r.Buttons, (1u << static_cast<int>(PadButton::A)) |
                             (1u << static_cast<int>(PadButton::RightShoulder)) |
                             (1u << static_cast<int>(PadButton::Start)) |
                             (1u << static_cast<int>(PadButton::DpadLeft)));
    EXPECT_EQ(r.X, -0.75);
    EXPECT_EQ(r.Y, 0.25);
    EXPECT_TRUE(StandardPad(1u << 16, 0, 0).Pressed(PadButton::Guide));
    EXPECT_TRUE(StandardPad(1u << 8, 0, 0).Pressed(PadButton::Back));
}

}  // namespace
}  // namespace zarq::web
