// Game 3, the barrier stage in play: its start sequence after a won duel, the player's disc
// flying at the boss, the barrier knocked open or shut by a rebound, the gap turning round
// the boss and the clock running the time bars down.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
// The start sequence: the interval each step sets for the wait before the next one.
constexpr unsigned kAfterWinSample = 750;
constexpr unsigned kAfterKrevGone = 500;
constexpr unsigned kBeep = 320;
constexpr unsigned kBeforeLives = 1000;
constexpr unsigned kLivesShown = 2000;
constexpr unsigned kBeforePlay = 1000;
constexpr int kDuelWonBonus = 220;
constexpr int kFirstWipeStep = 7;  // the duel's wipe runs here from its own step 5
constexpr int kLastWipeStep = 17;
constexpr int kLastBeepStep = 20;

// The disc runs along row 2 from column 1 to column 7 in six ticks, then meets the barrier.
constexpr int kDiscRow = 2;
constexpr int kArrival = 7;
// The barrier piece level with the disc's row.
constexpr int kCoverInLine = 3;
constexpr int kGapPhaseOnOpening = 3;

// The victory waits this long after the hit before the boss starts to flash.
constexpr unsigned kHitToVictory = 3500;

// The path of a struck disc back up and to the left, a horizontal and a vertical dash per
// cell, so that it seems to spin.
struct DashCell {
    bool Vertical;
    int Col;
    int Row;
};
// clang-format off
constexpr DashCell kReboundPath[] = {
    // vertical col row
    {false,     7,  3},
    {true,      7,  3},
    {false,     6,  4},
    {true,      6,  4},
    {false,     5,  5},
    {true,      5,  5},
};
// clang-format on
constexpr int kReboundSteps = 7;

// One clock segment: lit for 26 ticks, four blinks, gone at tick 35.
constexpr int kSteadyTicks = 26;
constexpr int kSegmentTicks = 35;

TImage* Dash(TForm1& f, const DashCell& d) {
    return d.Vertical ? f.DiskV[d.Col][d.Row] : f.DiskH[d.Col][d.Row];
}

// The common part of both rebounds; true at the last step, when the caller's end follows.
bool ReboundStep(TForm1& f, int step) {
    if (step < 1 || step > kReboundSteps) return false;
    TImage* leaving = step == 1 ? f.KrevFigure[2].Disk : Dash(f, kReboundPath[step - 2]);
    leaving->SetVisible(false);
    if (step < kReboundSteps) Dash(f, kReboundPath[step - 1])->SetVisible(true);
    return step == kReboundSteps;
}

// The player holds a new disc and may throw again; the clock runs on.
void NewDiscInHand(TForm1& f) {
    f.G.ZarqHasDisc = true;
    f.MostraZarq(true);
    f.G.PlayEnabled = true;
    f.TimerTempoGioco3.SetEnabled(true);
}
}  // namespace

void TForm1::TimerAvvioGioco3Timer() {
    const int s = G.AvvioGioco3Step;
    if (s == 1) {
        Suona(G.SndWin);
        TimerAvvioGioco3.SetInterval(kAfterWinSample);
        G.Score += kDuelWonBonus;
        TrasformaScore(G.Score);
    } else if (s == 2) {
        MostraKrev(false);
        TimerAvvioGioco3.SetInterval(kAfterKrevGone);
    } else if (s >= 3 && s <= kLastBeepStep) {
        Suona(G.SndBeep);
        if (s == 3) TimerAvvioGioco3.SetInterval(kBeep);
        if (s >= kFirstWipeStep && s <= kLastWipeStep) WipeGridStep(s - kFirstWipeStep + 5);
    } else if (s == 21) {
        TimerAvvioGioco3.SetInterval(kBeforeLives);
    } else if (s == 22) {
        MostraTuttoZarq(false);
        Im_BarH01->SetVisible(false);
        MostraViteZarq();
        MostraTuttoXOM(true);
        Im_DiskH82->SetVisible(false);
        TrasformaScoreTotale();
        TimerAvvioGioco3.SetInterval(kLivesShown);
    } else if (s == 23) {
        MostraTuttoZarq(false);
        MostraTuttoBar(false);
        G.ZarqRow = kDiscRow;
        G.ZarqHasDisc = true;
        MostraZarq(true);
        MostraViteDiscZarq(true);
        TimerAvvioGioco3.SetInterval(kBeforePlay);
    } else if (s == 24) {
        G.CurrentGame = 3;
        G.BarrierOpen = false;
        G.PlayEnabled = true;
        TimerXOM2.SetInterval(G.SpeedTable[G.SpeedLevel][Xom2]);
        G.XomPhase = 1;
        TimerXOM1.SetEnabled(true);  // at the pace the duel left it
        G.Game3Time = 1;
        TimerTempoGioco3.SetInterval(G.SpeedTable[G.SpeedLevel][TempoGioco3]);
        TimerTempoGioco3.SetEnabled(true);
        TimerAvvioGioco3.SetEnabled(false);
    }
    ++G.AvvioGioco3Step;
}

void TForm1::TimerMuoviDiscZarq2Timer() {
    if (G.Disc3Pos < kArrival) {
        ++G.Disc3Pos;
        MostraDiscH(false);
        ++G.DiscCol;
        MostraDiscH(true);
        return;
    }
    // Both stop before the barrier is looked at, so the gap cannot move under the disc.
    TimerXOM2.SetEnabled(false);
    TimerTempoGioco3.SetEnabled(false);
    TImage* coverInLine = XomImage[kCoverInLine];
    MostraDiscH(false);
    if (!G.BarrierOpen) {
        KrevFigure[2].Disk->SetVisible(true);
        coverInLine->SetVisible(false);
        Suona(G.SndDisc);
        G.BarrierState = 1;
        TimerApriBarriera.SetEnabled(true);
    } else if (coverInLine->Visible()) {
        KrevFigure[2].Disk->SetVisible(true);
        Suona(G.SndDisc);
        G.BarrierState = 1;
        TimerChiudiBarriera.SetEnabled(true);
    } else {
        TimerXOM1.SetEnabled(false);
        Im_DiskH82->SetVisible(true);
        Suona(G.SndEnd);
        G.VittoriaStep = 1;
        TimerVittoria.SetInterval(kHitToVictory);
        TimerVittoria.SetEnabled(true);
    }
    TimerMuoviDiscZarq2.SetEnabled(false);
}

void TForm1::TimerApriBarrieraTimer() {
    if (ReboundStep(*this, G.BarrierState)) {
        G.BarrierOpen = true;
        G.Xom2Phase = kGapPhaseOnOpening;
        TimerXOM2.SetEnabled(true);
        NewDiscInHand(*this);
        TimerApriBarriera.SetEnabled(false);
    }
    ++G.BarrierState;
}

void TForm1::TimerChiudiBarrieraTimer() {
    if (ReboundStep(*this, G.BarrierState)) {
        G.BarrierOpen = false;
        for (int i = 1; i <= 4; ++i) XomImage[i]->SetVisible(true);
        // The gap does not turn: a closed barrier stands still.
        NewDiscInHand(*this);
        TimerChiudiBarriera.SetEnabled(false);
    }
    ++G.BarrierState;
}

void TForm1::TimerXOM2Timer() {
    // The gap moves down one piece per tick and wraps from the bottom piece to the top.
    const int p = G.Xom2Phase;
    if (p >= 1 && p <= 4) {
        const int above = p == 1 ? 4 : p - 1;
        XomImage[above]->SetVisible(true);
        XomImage[p]->SetVisible(false);
    }
    G.Xom2Phase = p + 1 > 4 ? 1 : p + 1;
}

void TForm1::TimerTempoGioco3Timer() {
    const int t = G.Game3Time;
    if (t > kSteadyTicks && t < kSegmentTicks) {
        LifeBar[G.DiscZarqLives]->SetVisible(t % 2 == 0);
    } else if (t == kSegmentTicks) {
        LifeBar[G.DiscZarqLives]->SetVisible(false);
        --G.DiscZarqLives;
        if (G.DiscZarqLives > 0) {
            G.Game3Time = 0;
        } else {
            BloccaTimers();
            G.PlayEnabled = false;
            Suona(G.SndMiss1);
            TimerMissGame3.SetEnabled(true);
        }
    }
    ++G.Game3Time;
}

}  // namespace zarq
