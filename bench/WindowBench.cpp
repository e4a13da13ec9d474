// Painting cost of the panel: one changed element and a whole frame, into a plain image (at
// 1x, 3x and 150 %) and through the offscreen window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <memory>

#include "desktop/window/PanelPainter.h"
#include "desktop/window/PanelWindow.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq {
namespace {

struct Panel {
    test::Toy toy;
    test::PictureFolder folder{toy.F()};
    PictureSet pictures;
    Panel() {
        if (const auto error = pictures.Load(folder.Path(), PictureKeysOf(toy.F()))) {
            throw std::runtime_error(error->Text().toStdString());
        }
        // A busy screen: the whole lattice, both sides' figures and the boss.
        toy.F().MostraTuttoBar(true);
        toy.F().MostraTuttoZarq(true);
        toy.F().MostraTuttoKrev(true);
        toy.F().MostraTuttoXOM(true);
    }
};

QRegion RegionOf(const TImage& e) {
    const TRect& b = e.Bounds();
    return {b.Left, b.Top, b.Width, b.Height};
}

// One changed element repainted into a frame at `ratio` (the transparent figure over the
// screen, lit and dark in turn). At 3 the 3x pictures are copied pixel for pixel and the
// outside of the outline is made see-through, as a translucent window needs it.
void BM_PaintOneElement(benchmark::State& state, double ratio, bool seeThrough) {
    Panel panel;
    PanelPainter painter(panel.toy.F(), panel.pictures);
    painter.SetTransparentOutside(seeThrough);
    QImage frame = painter.Render(ratio);  // decodes the set for `ratio` before timing
    TImage& figure = *panel.toy.F().ZarqFigure[3].Body;
    const QRegion area = RegionOf(figure);
    for (auto _ : state) {
        figure.SetVisible(!figure.Visible());
        QPainter p(&frame);
        painter.Paint(p, area);
    }
    benchmark::DoNotOptimize(frame.constBits());
}
BENCHMARK_CAPTURE(BM_PaintOneElement, IntoImage, 1.0, false);
BENCHMARK_CAPTURE(BM_PaintOneElement, At3x, 3.0, true)->Unit(benchmark::kMicrosecond);

// The whole frame at `ratio`; at 150 % the 2x pictures are shrunk smoothly.
void BM_PaintWholeFrame(benchmark::State& state, double ratio, bool seeThrough) {
    Panel panel;
    PanelPainter painter(panel.toy.F(), panel.pictures);
    painter.SetTransparentOutside(seeThrough);
    QImage frame = painter.Render(ratio);
    const QRegion all(0, 0, 490, 580);
    for (auto _ : state) {
        QPainter p(&frame);
        painter.Paint(p, all);
    }
    benchmark::DoNotOptimize(frame.constBits());
}
BENCHMARK_CAPTURE(BM_PaintWholeFrame, IntoImage, 1.0, false);
BENCHMARK_CAPTURE(BM_PaintWholeFrame, At3x, 3.0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PaintWholeFrame, At150Percent, 1.5, false)->Unit(benchmark::kMillisecond);

// What start-up pays for the pictures: decoding one set (the one for the screen's ratio).
void BM_DecodePictureSet(benchmark::State& state) {
    test::Toy toy;
    const std::set<std::string> keys = PictureKeysOf(toy.F());
    const int scale = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PictureSet pictures;
        if (pictures.Load(PictureSet::ResourceFolder(), keys, scale)) {
            state.SkipWithError("the embedded pictures do not load");
            break;
        }
        benchmark::DoNotOptimize(pictures.Size());
    }
}
BENCHMARK(BM_DecodePictureSet)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// The real path: the element reports its change, the window repaints that rectangle at once.
void BM_WindowRepaintOneElement(benchmark::State& state) {
    Panel panel;
    PanelWindow window(panel.toy.F(), panel.pictures, test::PanelMask2());
    window.show();
    QCoreApplication::processEvents();
    TImage& bar = *panel.toy.F().BarV[4][4];
    const QRect area = RegionOf(bar).boundingRect();
    for (auto _ : state) {
        bar.SetVisible(!bar.Visible());
        window.repaint(area);
    }
}
BENCHMARK(BM_WindowRepaintOneElement);

void BM_WindowRepaintWholeFrame(benchmark::State& state) {
    Panel panel;
    PanelWindow window(panel.toy.F(), panel.pictures, test::PanelMask2());
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) window.repaint();
}
BENCHMARK(BM_WindowRepaintWholeFrame);

}  // namespace
}  // namespace zarq
