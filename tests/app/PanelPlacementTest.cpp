// The panel window's size and place as a pure decision, over many screen layouts: a decision
// applied to its own result changes nothing and leaves the window whole on a screen, zoom steps
// keep the centre to the pixel, a screen too small for the chosen zoom shows the largest that
// fits, below 100 % if need be, and Ctrl + '+' / '-' step to the zooms that fit.
#include <gtest/gtest.h>

#include <random>

#include "desktop/window/PanelPlacement.h"

namespace zarq::test {
namespace {

// The two monitors of one 5120 x 2160 X screen: a large one and a small one to its right.
const QList<QRect> kBigAndSmall = {QRect(0, 0, 3840, 2160), QRect(3840, 0, 1280, 1024)};

std::string Text(const QRect& r) {
    return std::to_string(r.width()) + "x" + std::to_string(r.height()) + "+" +
           std::to_string(r.x()) + "+" + std::to_string(r.y());
}

TEST(PanelPlacement, DraggedOntoTheSmallScreenTheWindowShrinksOnceAndStays) {
    // 200 % on the large screen, left at its right edge: it stays.
    const QRect big(2860, 0, 980, 1160);
    const PanelPlacement there = PlacePanel(kBigAndSmall, big, ExactCentre(big), 200);
    EXPECT_EQ(there.Window, big);
    // Its centre dragged onto the small screen: 150 % (200 % is too tall), inside it.
    const QRect dropped = big.translated(600, 0);
    const PanelPlacement here = PlacePanel(kBigAndSmall, dropped, ExactCentre(dropped), 200);
    EXPECT_EQ(here.Window, QRect(3840, 145, 735, 870)) << Text(here.Window);
    // Worked out again, as the window there reports itself: nothing changes, in either form.
    for (const QPointF& centre : {here.Centre, ExactCentre(here.Window)}) {
        const PanelPlacement again = PlacePanel(kBigAndSmall, here.Window, centre, 200);
        EXPECT_EQ(again.Window, here.Window) << Text(again.Window);
        EXPECT_EQ(again.Scale, here.Scale);
    }
}

TEST(PanelPlacement, ADecisionAppliedToItsOwnResultChangesNothingOverManyLayouts) {
    std::mt19937 random(20261207);
    auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int zooms[] = {0, 100, 150, 200, 300};
    for (int layout = 0; layout < 2000; ++layout) {
        // One to four screens side by side, of different sizes, some above or below the first,
        // with a bar taken from some; the first may lie left of the origin.
        QList<QRect> areas;
        int x = between(-3000, 0);
        for (int n = between(1, 4); n > 0; --n) {
            const int width = between(300, 4000);
            const int height = between(300, 2500);
            QRect area(x, between(-800, 800), width, height);
            if (between(0, 1) != 0) area.adjust(0, between(0, 60), 0, -between(0, 60));
            areas << area;
            x += width + between(0, 1) * between(0, 200);
        }
        const int zoom = zooms[between(0, 4)];
        // The window anywhere near, even partly off every screen, at any of the sizes it takes.
        const QSize size = PanelSizeAt(between(20, 300) / 100.0);
        const QRect window(between(areas.front().left() - 800, x + 400), between(-1500, 2500),
                           size.width(), size.height());
        const PanelPlacement first = PlacePanel(areas, window, ExactCentre(window), zoom);
        const PanelPlacement second = PlacePanel(areas, first.Window, first.Centre, zoom);
        const PanelPlacement fromPixels =
            PlacePanel(areas, first.Window, ExactCentre(first.Window), zoom);
        ASSERT_EQ(second.Window, first.Window)
            << "layout " << layout << ": " << Text(window) << " -> " << Text(first.Window) << " -> "
            << Text(second.Window);
        ASSERT_EQ(second.Scale, first.Scale) << "layout " << layout;
        ASSERT_EQ(fromPixels.Window, first.Window) << "layout " << layout;
        // Wherever it was, the window ends whole on the screen decided on.
        EXPECT_TRUE(first.Area.contains(first.Window))
            << "layout " << layout << ": " << Text(window) << " -> " << Text(first.Window) << " on "
            << Text(first.Area);
    }
}

// On the small monitor at 100 %, which is then taken away: pushed onto the large one, just
// inside its right edge, at the same height.
TEST(PanelPlacement, AWindowWhoseMonitorWentComesWholeOntoTheOneLeft) {
    const QRect onSmall(4355, 210, 490, 580);
    EXPECT_EQ(PlacePanel({kBigAndSmall.front()}, onSmall, ExactCentre(onSmall), 100).Window,
              QRect(3350, 210, 490, 580));
}

TEST(PanelPlacement, ZoomStepsKeepTheCentreExactlyAndComeBackToTheSamePixel) {
    const QList<QRect> screen = {QRect(0, 0, 4000, 3000)};
    const QRect start(1701, 1207, 490, 580);
    QRect window = start;
    QPointF centre = ExactCentre(start);
    // Odd and even growths alike (245 and 490 pixels wider, 290 and 580 taller), many times.
    const int steps[] = {150, 200, 300, 200, 150, 100, 200, 100, 300, 100};
    for (int round = 0; round < 50; ++round) {
        for (int zoom : steps) {
            const PanelPlacement p = PlacePanel(screen, window, centre, zoom);
            ASSERT_EQ(p.Centre, ExactCentre(start)) << "round " << round << ", zoom " << zoom;
            EXPECT_LE(std::abs(ExactCentre(p.Window).x() - centre.x()), 0.5);
            EXPECT_LE(std::abs(ExactCentre(p.Window).y() - centre.y()), 0.5);
            window = p.Window;
            centre = p.Centre;
        }
        ASSERT_EQ(window, start) << "round " << round << ": " << Text(window);
    }
}

TEST(PanelPlacement, AZoomTooLargeShowsTheLargestThatFitsAndTheChoiceComesBack) {
    struct Case {
        QSize Area;
        int Zoom;
        QSize Window;
        int Larger, Smaller;  // where Ctrl + '+' and Ctrl + '-' go from there (0: nowhere)
    };
    const Case cases[] = {
        {{1920, 1080}, 300, {735, 870}, 0, 100},  // 200 % is 1160 tall
        {{1920, 1080}, 100, {490, 580}, 150, 0},
        {{1920, 1048}, 0, {885, 1048}, 0, 150},  // fitted below a bar
        {{960, 540}, 100, {456, 540}, 0, 0},     // 1920 x 1080 at a scale of 2: below 100 %
        {{960, 540}, 300, {456, 540}, 0, 0},
        {{960, 540}, 0, {456, 540}, 0, 0},
        {{3840, 2160}, 300, {1470, 1740}, 0, 200},
        {{3840, 2160}, 150, {735, 870}, 200, 100},
    };
    for (const Case& c : cases) {
        const QRect area(QPoint(100, 50), c.Area);
        const QRect window(100, 50, 490, 580);
        const PanelPlacement p = PlacePanel({area}, window, ExactCentre(window), c.Zoom);
        const std::string name = Text(area) + " at " + std::to_string(c.Zoom) + " %";
        EXPECT_EQ(p.Window.size(), c.Window) << name << ": " << Text(p.Window);
        EXPECT_TRUE(area.contains(p.Window)) << Text(p.Window);
        EXPECT_EQ(ZoomStep(p.Scale, c.Area, true).value_or(0), c.Larger) << name;
        EXPECT_EQ(ZoomStep(p.Scale, c.Area, false).value_or(0), c.Smaller) << name;
    }
    // A stored zoom that is not offered means 100 %.
    for (int stored : {0, 100, 150, 200, 300}) EXPECT_EQ(ZoomFromSetting(stored), stored);
    for (int stored : {175, -100, 1, 400}) EXPECT_EQ(ZoomFromSetting(stored), 100);
}

// Where the compositor places the window, its size follows the area a maximised window gets
// there (the screen less the desktop's bars); a window that keeps its size stays as it reports.
TEST(PanelPlacement, WhereTheCompositorPlacesTheWindowItsSizeFollowsTheAreaLeftByTheBars) {
    const QRect screen(0, 0, 2560, 1200), shown(0, 0, 735, 870);
    EXPECT_EQ(PlaceUnplacedPanel(screen, {}, shown, 200).Window, QRect(790, 20, 980, 1160));
    EXPECT_EQ(PlaceUnplacedPanel(screen, {2560, 1140}, shown, 200).Window, shown);
}

TEST(PanelPlacement, InFullScreenThePanelIsAsLargeAsTheScreenAllowsInItsMiddle) {
    const QRectF panel = FullScreenTransform({1920, 1080}).mapRect(QRectF(0, 0, 490, 580));
    EXPECT_EQ(panel, QRectF(960 - 490 * 540 / 580.0, 0, 490 * 1080 / 580.0, 1080));
}

}  // namespace
}  // namespace zarq::test
