// The shaped window: the outline taken from the stored region data, and what bad data does.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>
#include <memory>

#include "desktop/window/PanelWindow.h"
#include "desktop/window/TCoolForm.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class Outline : public ::testing::Test {
  protected:
    static std::unique_ptr<QWidget> PanelSized() {
        auto w = std::make_unique<QWidget>();
        w->resize(490, 580);
        return w;
    }
    std::unique_ptr<QWidget> owner = PanelSized();
    QWidget& window = *owner;
    TCoolForm coolForm{&window};
};

TEST_F(Outline, ThePanelsOutlineLeavesOutTheTopCornersAndKeepsTheMiddle) {
    ASSERT_TRUE(coolForm.LoadMask2(PanelMask2()));
    const QRegion mask = window.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(489, 0)));
    EXPECT_FALSE(mask.contains(QPoint(62, 0)));
    EXPECT_TRUE(mask.contains(QPoint(245, 300)));
    EXPECT_TRUE(mask.contains(QPoint(245, 0)));
    // Nothing of the outline lies outside the window.
    EXPECT_TRUE(QRegion(window.rect()).contains(mask.boundingRect()));
}

TEST_F(Outline, ARectangleReachingPastTheRightEdgeIsCutAtTheWindow) {
    ASSERT_TRUE(coolForm.LoadMask2(Mask2Of({{1, 0, 491, 580}})));
    EXPECT_EQ(window.mask(), QRegion(1, 0, 489, 580));
}

TEST_F(Outline, RectanglesMeetEdgeToEdgeWithRightAndBottomOutside) {
    ASSERT_TRUE(coolForm.LoadMask2(Mask2Of({{10, 0, 20, 1}, {5, 1, 30, 3}})));
    const QRegion mask = window.mask();
    EXPECT_TRUE(mask.contains(QPoint(10, 0)));
    EXPECT_TRUE(mask.contains(QPoint(19, 0)));
    EXPECT_FALSE(mask.contains(QPoint(20, 0)));
    EXPECT_TRUE(mask.contains(QPoint(5, 2)));
    EXPECT_FALSE(mask.contains(QPoint(5, 3)));
}

TEST_F(Outline, BadDataLeavesTheWindowRectangular) {
    const QByteArray good = Mask2Of({{1, 0, 491, 580}});
    QByteArray wrongHeader = good;
    wrongHeader[4] = 40;  // a header size other than 32
    QByteArray countTooBig = good;
    countTooBig[12] = 2;  // two rectangles announced, one present
    const QByteArray cases[] = {
        QByteArray(),                // nothing stored
        QByteArray(4, '\0'),         // N = 0: no region
        good.left(20),               // cut short inside the header
        good.left(good.size() - 1),  // cut short inside the rectangle
        wrongHeader,
        countTooBig,
        Mask2Of({{600, 0, 700, 10}}),  // wholly outside the window
        Mask2Of({{50, 50, 40, 60}}),   // right of left: empty
    };
    for (const QByteArray& data : cases) {
        window.clearMask();
        EXPECT_FALSE(coolForm.LoadMask2(data)) << data.toHex().toStdString();
        EXPECT_TRUE(window.mask().isEmpty());
    }
}

TEST_F(Outline, TheParentLosesItsFrameAndTheComponentKeepsToTheCorner) {
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(coolForm.geometry(), QRect(0, 0, 490, 580));
    coolForm.SetTop(30);
    coolForm.SetLeft(40);
    EXPECT_EQ(coolForm.pos(), QPoint(0, 0));
    coolForm.SetWidth(100);
    EXPECT_EQ(coolForm.size(), QSize(100, 580));
    // It follows the window's client area.
    coolForm.show();
    window.show();
    window.resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(coolForm.geometry(), QRect(0, 0, 300, 200));
    // Even a plain move puts it back in the corner once shown.
    coolForm.move(30, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(coolForm.pos(), QPoint(0, 0));
}

TEST_F(Outline, AHiddenComponentStillGivesTheOutline) {
    coolForm.hide();
    window.show();
    EXPECT_TRUE(coolForm.LoadMask2(PanelMask2()));
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
}

TEST(OutlineOnAChild, APanelThatIsNotAWindowKeepsItsFrameSettings) {
    QWidget top;
    QWidget inner(&top);
    TCoolForm coolForm(&inner);
    EXPECT_FALSE(inner.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(top.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(PanelOutline, ThePanelWindowTakesItsOutlineAtConstruction) {
    Toy toy;
    PictureSet none;
    PanelWindow window(toy.F(), none, PanelMask2());
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(window.mask().contains(QPoint(489, 0)));
    EXPECT_TRUE(window.mask().contains(QPoint(245, 300)));
    EXPECT_FALSE(window.CoolForm1().isVisibleTo(&window));
}

}  // namespace
}  // namespace zarq::test
