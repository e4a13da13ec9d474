// Game 3's two endings: the victory after a disc through the gap, which returns to the cycle
// race one speed level faster, and the time-out, which takes a life and restarts the stage
// with a closed barrier or ends the play.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
constexpr unsigned kFlash = 200;
constexpr unsigned kBonusShown = 2000;
constexpr unsigned kBeep = 320;
constexpr unsigned kLivesShown = 2000;
constexpr unsigned kSetUpToRace = 1600;
constexpr int kLastFlash = 20;  // the last flash; the same step then darkens the whole boss
constexpr int kFirstSweep = 25;
constexpr int kLastSweep = 35;
constexpr int kLastBeep = 38;
constexpr int kLives = 39;
constexpr int kSetUp = 40;
constexpr int kRaceStart = 41;

constexpr int kVictoryBonus = 200;
constexpr int kBonusPerSegment = 50;
constexpr int kTopSpeedLevel = 6;

constexpr unsigned kMissToRestart = 2000;
constexpr unsigned kRestartToPlay = 1000;
constexpr int kFreshSegments = 4;

// The boss flashes round the pieces that stay: the three intact outline pieces and the disc
// lodged inside.
void FlashBoss(TForm1& f, int step) {
    if (step % 2 == 1) {
        f.MostraTuttoXOM(true);
        f.XomImage[3]->SetVisible(false);
    } else {
        f.MostraTuttoXOM(false);
        for (int i : {1, 2, 4}) f.XomImage[i]->SetVisible(true);
        f.Im_DiskH82->SetVisible(true);
    }
}
}  // namespace

void TForm1::TimerVittoriaTimer() {
    const int s = G.VittoriaStep;
    if (s == 1) TimerVittoria.SetInterval(kFlash);
    if (s >= 1 && s <= kLastFlash) FlashBoss(*this, s);
    if (s == kLastFlash) {
        MostraTuttoXOM(false);
        MostraTuttoZarq(false);
        MostraViteDiscZarq(false);
        MostraViteZarq();
        G.Score += kVictoryBonus;
        G.Score += kBonusPerSegment * G.DiscZarqLives;
        TrasformaScoreTotale();
        TimerVittoria.SetInterval(kBonusShown);
    } else if (s == kLastFlash + 1) {
        MostraTuttoZarq(false);
        TrasformaScore(G.Score);
        MostraTuttoXOM(true);
        Im_DiskH82->SetVisible(false);
        TimerVittoria.SetInterval(kBeep);
        Suona(G.SndBeep);
    } else if (s > kLastFlash + 1 && s <= kLastBeep) {
        Suona(G.SndBeep);
        // The line sweeps down the screen as at power-on, twenty steps later.
        if (s >= kFirstSweep && s <= kLastSweep) SweepLineStep(s - kFirstSweep + 5);
    } else if (s == kLives) {
        G.KrevLives = 4;
        G.CycleKrevLives = 3;
        MostraViteZarq();
        MostraViteKrev();
        MostraViteCycleKrev();
        TrasformaScoreTotale();
        TimerVittoria.SetInterval(kLivesShown);
    } else if (s == kSetUp) {
        SetUpLabyrinth();
        TimerVittoria.SetInterval(kSetUpToRace);
    } else if (s == kRaceStart) {
        G.SpeedLevel = G.SpeedLevel + 1 > kTopSpeedLevel ? kTopSpeedLevel : G.SpeedLevel + 1;
        G.CurrentGame = 1;
        TimerCycleKrev.SetInterval(G.SpeedTable[G.SpeedLevel][CycleKrev]);
        G.EngineTone = G.SpeedButtonDown ? kHumFast : kHumNormal;
        StartCycleRound();
        TimerVittoria.SetEnabled(false);
    }
    ++G.VittoriaStep;
}

void TForm1::TimerMissGame3Timer() {
    --G.ZarqLives;
    if (G.ZarqLives > 0) {
        MostraTuttoDisk(false);  // a disc frozen in flight goes too
        MostraTuttoZarq(false);
        MostraViteZarq();
        MostraTuttoXOM(true);
        Im_DiskH82->SetVisible(false);
        TrasformaScoreTotale();
        G.Miss3Step = 1;
        TimerRiprendiGame3.SetInterval(kMissToRestart);
        TimerRiprendiGame3.SetEnabled(true);
    } else {
        Suona(G.SndOver);
        TimerOver.SetEnabled(true);
    }
    TimerMissGame3.SetEnabled(false);
}

void TForm1::TimerRiprendiGame3Timer() {
    const int s = G.Miss3Step;
    if (s == 1) {
        MostraTuttoZarq(false);
        G.ZarqHasDisc = true;
        MostraZarq(true);
        G.DiscZarqLives = kFreshSegments;
        MostraViteDiscZarq(true);
        TimerRiprendiGame3.SetInterval(kRestartToPlay);
    } else if (s == 2) {
        G.BarrierOpen = false;
        G.PlayEnabled = true;
        G.XomPhase = 1;
        TimerXOM1.SetEnabled(true);
        G.Game3Time = 1;
        TimerTempoGioco3.SetEnabled(true);
        TimerRiprendiGame3.SetEnabled(false);
    }
    ++G.Miss3Step;
}

}  // namespace zarq
