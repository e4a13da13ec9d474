// The four-place score display with its pass markers, and the lives shown as figures and bars.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
constexpr int kScoreLimit = 2000;
// Marker bars exist for seven passes: the top row's horizontal bars, columns 7 down to 1.
constexpr int kMarkerBars = 7;
}  // namespace

void TForm1::TrasformaScore(int& V) {
    // One correction per call is enough: no single award reaches 2000 points.
    if (G.Score > kScoreLimit - 1) {
        G.Score -= kScoreLimit;
        ++G.ScoreWraps;
    }
    const int v = V;
    auto digit = [this](int place, int d) {
        DigitPos[place]->SetPicture(DigitImage[d]->Picture());
    };
    auto blank = [this](int place) { DigitPos[place]->SetPicture(""); };
    // After a pass beyond 1999 the middle places fill with zeros; the leading place never does.
    auto zeroOrBlank = [&](int place) {
        if (G.ScoreWraps > 0) {
            digit(place, 0);
        } else {
            blank(place);
        }
    };

    if (v < 0 || v >= kScoreLimit) return;
    if (v < 10) {
        blank(1);
        zeroOrBlank(2);
        zeroOrBlank(3);
        digit(4, v);
    } else if (v < 100) {
        blank(1);
        zeroOrBlank(2);
        digit(3, v / 10);
        digit(4, v % 10);
    } else if (v < 1000) {
        blank(1);
        digit(2, v / 100);
        digit(3, (v / 10) % 10);
        digit(4, v % 10);
    } else {
        digit(1, 1);
        digit(2, (v / 100) % 10);
        digit(3, (v / 10) % 10);
        digit(4, v % 10);
    }
}

void TForm1::TrasformaScoreTotale() {
    TrasformaScore(G.Score);
    // Passes beyond the seventh have no bar left to light.
    const int markers = G.ScoreWraps < kMarkerBars ? G.ScoreWraps : kMarkerBars;
    for (int i = 1; i <= markers; ++i) BarH[8 - i][5]->SetVisible(true);
}

void TForm1::MostraViteZarq() {
    if (G.ZarqLives == 0) {
        MostraTuttoZarq(false);
        return;
    }
    for (int i = 1; i <= G.ZarqLives && i <= 5; ++i) {
        ZarqFigure[i].Body->SetVisible(true);
        ZarqFigure[i].Hand->SetVisible(true);
        ZarqFigure[i].Disk->SetVisible(true);
    }
}

void TForm1::MostraViteKrev() {
    if (G.KrevLives == 0) {
        MostraTuttoKrev(false);
        return;
    }
    for (int i = 1; i <= G.KrevLives && i <= 4; ++i) {
        KrevFigure[i].Body->SetVisible(true);
        KrevFigure[i].Hand->SetVisible(true);
        KrevFigure[i].Disk->SetVisible(true);
    }
}

void TForm1::MostraViteDiscZarq(bool V) {
    for (int i = 1; i <= G.DiscZarqLives && i <= 4; ++i) LifeBar[i]->SetVisible(V);
}

void TForm1::MostraViteDiscKrev(bool V) {
    for (int i = 1; i <= G.DiscKrevLives && i <= 4; ++i) LifeBar[4 + i]->SetVisible(V);
}

}  // namespace zarq
