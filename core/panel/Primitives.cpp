// The show/hide primitives that switch whole groups of display elements at once.
#include "core/panel/Unit1.h"

namespace zarq {

void TForm1::SvuotaSchermo() {
    MostraTuttoBar(false);
    MostraTuttoDisk(false);
    MostraTuttoZarq(false);
    MostraTuttoKrev(false);
    MostraTuttoXOM(false);
    // The digit places stay visible, only blank.
    for (int p = 1; p <= 4; ++p) DigitPos[p]->SetPicture("");
    Im_BarH01->SetVisible(false);
    Im_BarH81->SetVisible(false);
}

void TForm1::MostraTuttoBar(bool V) {
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) {
            BarH[c][r]->SetVisible(V);
            BarV[c][r]->SetVisible(V);
        }
    }
}

void TForm1::MostraTuttoDisk(bool V) {
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) {
            DiskH[c][r]->SetVisible(V);
            DiskV[c][r]->SetVisible(V);
        }
    }
}

void TForm1::MostraTuttoZarq(bool V) {
    for (int i = 1; i <= 5; ++i) {
        ZarqFigure[i].Body->SetVisible(V);
        ZarqFigure[i].Hand->SetVisible(V);
        ZarqFigure[i].Disk->SetVisible(V);
    }
}

void TForm1::MostraTuttoKrev(bool V) {
    for (int i = 1; i <= 4; ++i) {
        KrevFigure[i].Body->SetVisible(V);
        KrevFigure[i].Hand->SetVisible(V);
        KrevFigure[i].Disk->SetVisible(V);
    }
}

void TForm1::MostraTuttoXOM(bool V) {
    for (int i = 1; i <= 18; ++i) XomImage[i]->SetVisible(V);
}

namespace {
// A figure shows its body and exactly one of empty hand and disc in hand.
void ShowFigure(const TFigure& figure, bool hasDisc, bool V) {
    figure.Body->SetVisible(V);
    if (hasDisc) {
        figure.Disk->SetVisible(V);
        figure.Hand->SetVisible(false);
    } else {
        figure.Hand->SetVisible(V);
        figure.Disk->SetVisible(false);
    }
}
}  // namespace

void TForm1::MostraZarq(bool V) {
    ShowFigure(ZarqFigure[G.ZarqRow], G.ZarqHasDisc, V);
}

void TForm1::MostraKrev(bool V) {
    ShowFigure(KrevFigure[G.KrevRow], G.KrevHasDisc, V);
}

void TForm1::MostraDiscH(bool V) {
    DiskH[G.DiscCol][G.DiscRow]->SetVisible(V);
}

// The line that sweeps down the screen at power-on and after a victory, steps 5 to 15: one
// half-row per step (a row's vertical bars, then its horizontal bars, from the top row down),
// each step darkening the half-row the previous one lit.
void TForm1::SweepLineStep(int step) {
    auto halfRow = [this](int at, bool V) {
        if (at < 5 || at > 14) return;
        ElementGrid& grid = (at - 5) % 2 == 0 ? BarV : BarH;
        const int row = 5 - (at - 5) / 2;
        for (int c = 1; c <= 7; ++c) grid[c][row]->SetVisible(V);
    };
    halfRow(step - 1, false);
    halfRow(step, true);
}

// The line the duel and the barrier stage run down the grid before they start, steps 5 to 15:
// on odd steps a row's vertical bars light and its dashes and bars go, on even steps its
// horizontal bars take over; a lit row goes out when the next row lights, the last at step 15.
void TForm1::WipeGridStep(int step) {
    if (step == 15) {
        for (int c = 1; c <= 7; ++c) BarH[c][1]->SetVisible(false);
        return;
    }
    if (step < 5 || step > 15) return;
    const int row = 5 - (step - 5) / 2;
    for (int c = 1; c <= 7; ++c) {
        if (step % 2 == 1) {
            DiskV[c][row]->SetVisible(false);
            DiskH[c][row]->SetVisible(false);
            BarH[c][row]->SetVisible(false);
            if (row < 5) BarH[c][row + 1]->SetVisible(false);
            BarV[c][row]->SetVisible(true);
        } else {
            BarV[c][row]->SetVisible(false);
            BarH[c][row]->SetVisible(true);
        }
    }
}

}  // namespace zarq
