// The flight of the duel's one disc across the grid: up one row per column, a bounce with a
// click off the top row, down again, and at the far side a catch or the end of the point.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
enum PathMove { Up, Down, Bounce, Stay };

constexpr int kLastStep = 7;
constexpr int kStartRows = 4;

// The row change at each tick of a flight, by the thrower's position s. Read down a column:
// the disc climbs to the top row, stays there one more column with the click, and falls,
// arriving in row 5 - s, seven cells and 1.4 s after the throw.
// clang-format off
constexpr PathMove kPath[kLastStep][kStartRows] = {
    // step     s = 1   s = 2   s = 3   s = 4
    /* 1 */ {Up,     Up,     Up,     Up},
    /* 2 */ {Up,     Up,     Up,     Bounce},
    /* 3 */ {Up,     Up,     Bounce, Down},
    /* 4 */ {Up,     Bounce, Down,   Down},
    /* 5 */ {Bounce, Down,   Down,   Down},
    /* 6 */ {Down,   Down,   Down,   Down},
    /* 7 */ {Stay,   Stay,   Stay,   Stay},
};
// clang-format on

// A step or start row outside the table (never met in play) leaves the disc where it is.
PathMove PathAt(int step, int startRow) {
    if (step < 1 || step > kLastStep || startRow < 1 || startRow > kStartRows) return Stay;
    return kPath[step - 1][startRow - 1];
}

constexpr int kCatchBonus = 5;
constexpr unsigned kBlinkFirstTick = 1;
}  // namespace

bool TForm1::FlyDisc(int& step, int towards) {
    MostraDiscH(false);
    switch (PathAt(step, G.DiscStartRow)) {
        case Up:
            ++G.DiscRow;
            break;
        case Down:
            --G.DiscRow;
            break;
        case Bounce:
            Suona(G.SndDisc);
            break;
        case Stay:
            break;
    }
    if (step < kLastStep) {
        ++step;
        G.DiscCol += towards;
        MostraDiscH(true);
        return false;
    }
    return true;
}

void TForm1::EndDuelPoint(TImage* edge, TTimer& blink, int& blinkStep) {
    BloccaTimers();
    Silenzio();
    G.PlayEnabled = false;
    edge->SetVisible(true);
    blinkStep = 1;
    blink.SetInterval(kBlinkFirstTick);
    blink.SetEnabled(true);
}

// The opponent's disc, flying from column 7 to column 1.
void TForm1::TimerMuoviDiscKrevTimer() {
    if (!FlyDisc(G.KrevDiscStep, -1)) return;
    if (G.ZarqRow == G.DiscRow) {
        G.ZarqHasDisc = true;
        MostraZarq(true);
        G.Score += kCatchBonus;
        TrasformaScore(G.Score);
    } else {
        EndDuelPoint(ZarqFigure[G.DiscRow].Disk, TimerMissGame2, G.MissDiscStep);
    }
    TimerMuoviDiscKrev.SetEnabled(false);
}

// The player's disc, flying from column 1 to column 7.
void TForm1::TimerMuoviDiscZarqTimer() {
    if (!FlyDisc(G.ZarqDiscStep, +1)) return;
    if (G.KrevRow == G.DiscRow) {
        G.KrevHasDisc = true;
        MostraKrev(true);
        ArmKrevThrow();
    } else {
        EndDuelPoint(KrevFigure[G.DiscRow].Disk, TimerWinDiscGame2, G.WinDiscStep);
    }
    TimerMuoviDiscZarq.SetEnabled(false);
}

}  // namespace zarq
