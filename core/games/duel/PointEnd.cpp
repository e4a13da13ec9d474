// The end of a duel point: the innermost life bar of the side that missed blinks out, then
// play resumes with the opponent serving, or the player loses a life and the duel starts
// over (or the play ends), or the opponent's last duel life hands over to the barrier stage.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
constexpr unsigned kBlinkInterval = 35;
constexpr int kBlinkDone = 21;  // ten flashes: steps 1 .. 20, odd lit, even dark
constexpr int kPointBonus = 20;
constexpr unsigned kBarrierFirstStep = 320;

// The life loss: its steps and the pause before each of the next ones.
constexpr int kLossSample = 1;
constexpr int kLossTaken = 2;
constexpr int kLossSetUp = 3;
constexpr int kLossPlay = 4;
constexpr unsigned kLossFirstTick = 100;
constexpr unsigned kSampleToLoss = 1250;
constexpr unsigned kLossPause = 1000;
}  // namespace

bool TForm1::BlinkDuelLife(TTimer& blink, int& step, TImage* bar) {
    blink.SetInterval(kBlinkInterval);
    if (step % 2 == 1) {
        Suona(G.SndMiss2);
        bar->SetVisible(true);
    } else {
        bar->SetVisible(false);
    }
    ++step;
    return step >= kBlinkDone;
}

// The opponent missed the player's disc.
void TForm1::TimerWinDiscGame2Timer() {
    if (!BlinkDuelLife(TimerWinDiscGame2, G.WinDiscStep, LifeBar[G.DiscKrevLives + 4])) return;
    KrevFigure[G.DiscRow].Disk->SetVisible(false);
    --G.DiscKrevLives;
    if (G.DiscKrevLives > 0) {
        G.KrevHasDisc = true;
        MostraKrev(true);
        G.Score += kPointBonus;
        TrasformaScore(G.Score);
        TimerRiprendiGame2.SetEnabled(true);
    } else {
        // The duel is won; its reward comes with the start of the barrier stage.
        G.AvvioGioco3Step = 1;
        TimerAvvioGioco3.SetInterval(kBarrierFirstStep);
        TimerAvvioGioco3.SetEnabled(true);
    }
    TimerWinDiscGame2.SetEnabled(false);
}

// The player missed the opponent's disc.
void TForm1::TimerMissGame2Timer() {
    if (!BlinkDuelLife(TimerMissGame2, G.MissDiscStep, LifeBar[G.DiscZarqLives])) return;
    ZarqFigure[G.DiscRow].Disk->SetVisible(false);
    --G.DiscZarqLives;
    if (G.DiscZarqLives > 0) {
        G.KrevHasDisc = true;
        MostraKrev(true);
        TimerRiprendiGame2.SetEnabled(true);
    } else {
        G.TogliVitaStep = 1;
        TimerTogliVitaGame2.SetInterval(kLossFirstTick);
        TimerTogliVitaGame2.SetEnabled(true);
    }
    TimerMissGame2.SetEnabled(false);
}

// Play goes on a second after the blink, both figures where they stood; the boss turns on
// from where it stopped.
void TForm1::TimerRiprendiGame2Timer() {
    TimerMoveKrev.SetEnabled(true);
    TimerXOM1.SetInterval(G.SpeedTable[G.SpeedLevel][Xom1]);
    TimerXOM1.SetEnabled(true);
    G.PlayEnabled = true;
    TimerRiprendiGame2.SetEnabled(false);
}

void TForm1::TimerTogliVitaGame2Timer() {
    const int s = G.TogliVitaStep;
    if (s == kLossSample) {
        Suona(G.SndMiss1);
        TimerTogliVitaGame2.SetInterval(kSampleToLoss);
    } else if (s == kLossTaken) {
        --G.ZarqLives;
        if (G.ZarqLives > 0) {
            // Both sides' lives as figures and the boss at rest, the grid and bottom row dark.
            MostraTuttoBar(false);
            Im_BarH01->SetVisible(false);
            Im_BarH81->SetVisible(false);
            MostraTuttoZarq(false);
            MostraTuttoKrev(false);
            MostraViteZarq();
            MostraViteKrev();
            MostraTuttoXOM(true);
            Im_DiskH82->SetVisible(false);
            TimerTogliVitaGame2.SetInterval(kLossPause);
        } else {
            Suona(G.SndOver);
            TimerOver.SetEnabled(true);
            TimerTogliVitaGame2.SetEnabled(false);
        }
    } else if (s == kLossSetUp) {
        SetUpDuel(false);
    } else if (s == kLossPlay) {
        G.PlayEnabled = true;
        G.XomPhase = 1;
        TimerXOM1.SetInterval(G.SpeedTable[G.SpeedLevel][Xom1]);
        TimerXOM1.SetEnabled(true);
        TimerMoveKrev.SetEnabled(true);
        TimerTogliVitaGame2.SetEnabled(false);
    }
    ++G.TogliVitaStep;
}

}  // namespace zarq
