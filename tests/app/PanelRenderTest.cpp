// What the panel looks like in chosen states, read back pixel by pixel from offscreen frames.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>

#include "desktop/window/PanelPainter.h"
#include "desktop/window/PanelWindow.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

class PanelRender : public ::testing::Test {
  protected:
    void SetUp() override {
        auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()));
        ASSERT_FALSE(error) << error->Text().toStdString();
    }

    // Where a picture's first lit (or key-coloured) pixel lands on the panel.
    QPoint At(const TImage& element, bool keyColour) const {
        const QImage* picture = pictures.Find(element.Picture(), false);
        const QPoint p = keyColour ? FindKeyColour(*picture) : FindLit(*picture);
        return {element.Bounds().Left + p.x(), element.Bounds().Top + p.y()};
    }
    QRgb LitColour(const TImage& element) const {
        const QImage* picture = pictures.Find(element.Picture(), false);
        return picture->pixel(FindLit(*picture));
    }
    QString Rendered(QPoint p) const { return ColourAt(painter.Render(), p.x(), p.y()); }

    Toy toy;
    PictureFolder folder{toy.F()};
    PictureSet pictures;
    PanelPainter painter{toy.F(), pictures};
};

TEST_F(PanelRender, AnUnlitBarShowsItsOutlineOnTheScreenAndALitOneItsColour) {
    TForm1& f = toy.F();
    TImage& bar = *f.BarH[2][4];
    const QPoint p = At(bar, false);
    EXPECT_EQ(Rendered(p), "#181818");
    bar.SetVisible(true);
    EXPECT_EQ(Rendered(p), "#18b618");
    EXPECT_EQ(Hex(LitColour(bar)), "#18b618");
}

TEST_F(PanelRender, ThePlayersCellIsCyanAndItsNeighboursGreenAndRed) {
    TForm1& f = toy.F();
    f.MostraTuttoBar(true);
    f.MostraTuttoDisk(true);
    const QImage frame = painter.Render();
    auto colour = [&](const TImage* e) {
        const QPoint p = At(*e, false);
        return ColourAt(frame, p.x(), p.y());
    };
    for (TImage* e : {f.BarH[4][3], f.BarV[4][3], f.DiskH[4][3], f.DiskV[4][3]}) {
        EXPECT_EQ(colour(e), "#40ffff") << e->Name();
    }
    EXPECT_EQ(colour(f.BarH[4][2]), "#18b618");
    EXPECT_EQ(colour(f.BarV[5][3]), "#18b618");
    EXPECT_EQ(colour(f.DiskH[3][3]), "#ff0000");
    EXPECT_EQ(colour(f.DiskV[4][4]), "#ff0000");
}

TEST_F(PanelRender, ATransparentFigureLetsTheScreenShowThroughItsBackground) {
    TForm1& f = toy.F();
    TImage& body = *f.ZarqFigure[3].Body;
    ASSERT_TRUE(body.Transparent());
    const QPoint clear = At(body, true);
    const QPoint lit = At(body, false);
    const QImage before = painter.Render();
    body.SetVisible(true);
    const QImage after = painter.Render();
    EXPECT_EQ(ColourAt(after, clear.x(), clear.y()), ColourAt(before, clear.x(), clear.y()));
    EXPECT_EQ(ColourAt(after, lit.x(), lit.y()), "#40ffff");
    EXPECT_NE(ColourAt(before, lit.x(), lit.y()), "#40ffff");
}

TEST_F(PanelRender, AnOpaqueElementCoversWhatLiesBelowWithItsBackground) {
    TForm1& f = toy.F();
    // The boss's upper stripe 3 is opaque: its black background hides the screen's outlines.
    TImage& stripe = *f.FindElement("Im_XomMid3A");
    ASSERT_FALSE(stripe.Transparent());
    stripe.SetVisible(true);
    const QImage frame = painter.Render();
    const TRect& b = stripe.Bounds();
    const QImage* picture = pictures.Find(stripe.Picture(), false);
    for (int y = 0; y < b.Height; ++y) {
        for (int x = 0; x < b.Width; ++x) {
            ASSERT_EQ(ColourAt(frame, b.Left + x, b.Top + y), Hex(picture->pixel(x, y)))
                << x << "," << y;
        }
    }
}

TEST_F(PanelRender, AtSwitchOffThePhotographTheSwitchAndTheBlankDigitsShow) {
    TForm1& f = toy.F();
    const QImage frame = painter.Render();
    // Outside the screen only the photograph is seen, pixel for pixel.
    const QImage* base = pictures.Find("Im_Base", false);
    for (QPoint p : {QPoint(60, 40), QPoint(245, 300), QPoint(400, 540)}) {
        EXPECT_EQ(ColourAt(frame, p.x(), p.y()), Hex(base->pixel(p))) << p.x() << "," << p.y();
    }
    const QImage* off = pictures.Find("Puls_Off", false);
    const TRect& s = f.Puls_Off->Bounds();
    EXPECT_EQ(ColourAt(frame, s.Left + 24, s.Top + 9), Hex(off->pixel(24, 9)));
    // The digit places are lit but blank: the screen's own black and #181818 show there.
    const QImage* screen = pictures.Find("Im_BaseScreen", false);
    const TRect& d = f.DigitPos[3]->Bounds();
    const TRect& sc = f.Im_BaseScreen->Bounds();
    EXPECT_EQ(ColourAt(frame, d.Left + 5, d.Top + 8),
              Hex(screen->pixel(d.Left + 5 - sc.Left, d.Top + 8 - sc.Top)));
}

TEST_F(PanelRender, ADigitPlaceShowsItsBorrowedPictureWithTheBackgroundKeyedOut) {
    TForm1& f = toy.F();
    TImage& place = *f.DigitPos[2];
    place.SetPicture(f.DigitImage[5]->Picture());
    const QImage* digit = pictures.Find(place.Picture(), false);
    const QPoint lit = FindLit(*digit);
    const QPoint clear = FindKeyColour(*digit);
    const QImage frame = painter.Render();
    const TRect& b = place.Bounds();
    EXPECT_EQ(ColourAt(frame, b.Left + lit.x(), b.Top + lit.y()), "#40ffff");
    const QImage* screen = pictures.Find("Im_BaseScreen", false);
    const TRect& sc = f.Im_BaseScreen->Bounds();
    EXPECT_EQ(ColourAt(frame, b.Left + clear.x(), b.Top + clear.y()),
              Hex(screen->pixel(b.Left + clear.x() - sc.Left, b.Top + clear.y() - sc.Top)));
}

TEST_F(PanelRender, RepaintingOnlyTheChangedRectangleGivesTheWholeNewFrame) {
    TForm1& f = toy.F();
    toy.G().ZarqRow = 2;
    toy.G().ZarqHasDisc = true;
    f.MostraZarq(true);
    f.MostraTuttoXOM(true);
    QImage frame = painter.Render();
    // The disc in hand lies on the body; the disc at the boss on the boss's middle.
    TImage* changed[] = {f.ZarqFigure[2].Disk, f.Im_DiskH82, f.XomImage[6]};
    for (TImage* e : changed) {
        e->SetVisible(false);
        const TRect& b = e->Bounds();
        QPainter p(&frame);
        painter.Paint(p, QRegion(b.Left, b.Top, b.Width, b.Height));
    }
    EXPECT_TRUE(frame == painter.Render());
}

TEST_F(PanelRender, PaintingTouchesNothingOutsideTheGivenArea) {
    QImage frame(490, 580, QImage::Format_RGB32);
    frame.fill(Qt::magenta);
    const QRect area(140, 150, 30, 20);
    {
        QPainter p(&frame);
        painter.Paint(p, QRegion(area));
    }
    EXPECT_EQ(ColourAt(frame, area.left() - 1, area.top()), "#ff00ff");
    EXPECT_EQ(ColourAt(frame, area.right() + 1, area.bottom()), "#ff00ff");
    EXPECT_EQ(ColourAt(frame, area.left(), area.bottom() + 1), "#ff00ff");
    EXPECT_NE(ColourAt(frame, area.left(), area.top()), "#ff00ff");
}

// The window records what it was asked to repaint.
class RecordingWindow : public PanelWindow {
  public:
    using PanelWindow::PanelWindow;
    QRegion Painted;

  protected:
    void paintEvent(QPaintEvent* event) override {
        Painted += event->region();
        PanelWindow::paintEvent(event);
    }
};

TEST_F(PanelRender, TheWindowRepaintsOnlyTheRectangleOfAChangedElement) {
    RecordingWindow window(toy.F(), pictures, PanelMask2());
    window.show();
    QCoreApplication::processEvents();
    window.Painted = QRegion();
    TImage& bar = *toy.F().BarV[6][2];
    bar.SetVisible(true);
    QCoreApplication::processEvents();
    const TRect& b = bar.Bounds();
    EXPECT_EQ(window.Painted, QRegion(b.Left, b.Top, b.Width, b.Height));
    // What the window shows agrees with a frame painted from scratch, see-through outside the
    // outline.
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QPoint p = At(bar, false);
    EXPECT_EQ(ColourAt(shown, p.x(), p.y()), "#18b618");
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    PanelPainter seeThrough(toy.F(), pictures);
    seeThrough.SetTransparentOutside(true);
    EXPECT_TRUE(shown == seeThrough.Render().convertToFormat(QImage::Format_ARGB32));
}

TEST_F(PanelRender, TheWindowIsAFramelessPanelOfTheToysSizeAndTitle) {
    PanelWindow window(toy.F(), pictures, PanelMask2());
    EXPECT_EQ(window.size(), QSize(490, 580));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowTitle(), "Zarq (Keldo) Simulator");
}

TEST_F(PanelRender, AClosedWindowNoLongerHearsTheElements) {
    { PanelWindow window(toy.F(), pictures, PanelMask2()); }
    toy.F().MostraTuttoBar(true);  // would reach a dead window if it were still attached
    EXPECT_TRUE(toy.Lit("Im_BarH11"));
}

}  // namespace
}  // namespace zarq::test
