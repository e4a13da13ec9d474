// The manual's pictures are the real panel at the moments its texts describe.
#include <gtest/gtest.h>

#include <QApplication>

#include "desktop/manual/Scenes.h"

namespace zarq::test {
namespace {

int Count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
    return n;
}

TEST(Manual, ItsScenesShowWhatTheirTextsSay) {
    PictureSet pictures;
    ASSERT_FALSE(LoadPanelPictures(pictures));
    const std::vector<Scene> scenes = MakeScenes(pictures);
    ASSERT_GE(scenes.size(), 4u);
    const QRgb green = qRgb(0x18, 0xB6, 0x18), cyan = qRgb(0x40, 0xFF, 0xFF);

    // Switching on: one horizontal line of seven green bars.
    EXPECT_EQ(scenes[0].Title, "Switching on");
    EXPECT_EQ(scenes[0].Screen.size(), QSize(kScreenWidth, kScreenHeight));
    const int lineBar = Count(scenes[0].Screen, green);
    EXPECT_GT(lineBar, 0);
    // The race: trails of both cycles are lit, and the player's cyan segment.
    EXPECT_EQ(scenes[2].Title, "Game 1: the cycle race");
    EXPECT_GT(Count(scenes[2].Screen, green), 0);
    EXPECT_GT(Count(scenes[2].Screen, cyan), 0);
    // Game over: no trail left, but cyan digits and figures.
    EXPECT_LT(Count(scenes[3].Screen, green), Count(scenes[2].Screen, green));
    EXPECT_GT(Count(scenes[3].Screen, cyan), 0);
    // The duel: figures on both sides, a disc (red) in flight, life bars in the bottom row.
    ASSERT_EQ(scenes.size(), 6u);
    EXPECT_EQ(scenes[4].Title, "Game 2: the disc duel");
    EXPECT_GT(Count(scenes[4].Screen, qRgb(0xFF, 0, 0)), 0);
    EXPECT_GT(Count(scenes[4].Screen, cyan), 0);
    EXPECT_GT(Count(scenes[4].Screen, green), 0);
    // The barrier stage: the boss and the player's thrown disc.
    EXPECT_EQ(scenes[5].Title, "Game 3: the barrier stage");
    EXPECT_GT(Count(scenes[5].Screen, qRgb(0xFF, 0, 0)), 0);
    for (const Scene& s : scenes) {
        EXPECT_FALSE(s.Text.isEmpty()) << s.Title.toStdString();
        EXPECT_FALSE(s.Screen.isNull()) << s.Title.toStdString();
    }
}

}  // namespace
}  // namespace zarq::test
