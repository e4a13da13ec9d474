// The power-on sequence into the first race, the game-over display, the boss animation,
// and what the panel does when it is activated and closed.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
constexpr unsigned kBeepInterval = 320;
constexpr unsigned kStartTuneInterval = 2810;  // the Start jingle plays out before the lives appear
constexpr unsigned kScoreShownInterval = 2000;
constexpr unsigned kLabyrinthInterval = 1600;
}  // namespace

// One tick of the power-on sequence. A line of bars sweeps down the screen, one half-row per
// beep: a row's vertical bars, then the same row's horizontal bars, from the top row down.
void TForm1::TimerAvvioTimer() {
    const int s = G.AvvioStep;

    if (s >= 1 && s <= 18) {
        Suona(G.SndBeep);
        SweepLineStep(s);
        TimerAvvio.SetInterval(kBeepInterval);
    } else if (s == 19) {
        Suona(G.SndStart);
        TimerAvvio.SetInterval(kStartTuneInterval);
    } else if (s == 20) {
        G.ZarqLives = 4;
        G.KrevLives = 4;
        G.CycleKrevLives = 3;
        MostraViteZarq();
        MostraViteKrev();
        MostraViteCycleKrev();
        MostraTuttoXOM(true);
        Im_DiskH82->SetVisible(false);
        G.Score = 0;
        G.ScoreWraps = 0;
        TrasformaScoreTotale();
        TimerAvvio.SetInterval(kScoreShownInterval);
    } else if (s == 21) {
        SetUpLabyrinth();
        TimerAvvio.SetInterval(kLabyrinthInterval);
    } else if (s == 22) {
        // The start of game 1 at the first speed level: the race start, with what a game start
        // adds.
        G.CurrentGame = 1;
        G.SpeedLevel = 1;
        TimerCycleKrev.SetInterval(G.SpeedTable[G.SpeedLevel][CycleKrev]);
        G.EngineTone = G.SpeedButtonDown ? kHumFast : kHumNormal;
        StartCycleRound();
        TimerAvvio.SetEnabled(false);
    }
    ++G.AvvioStep;
}

// The game-over display, 4000 ms after the last life was lost.
void TForm1::TimerOverTimer() {
    SvuotaSchermo();
    TrasformaScoreTotale();
    if (G.CurrentGame != 3) MostraViteKrev();
    MostraTuttoXOM(true);
    Im_DiskH82->SetVisible(false);
    G.GameStarted = false;
    TimerOver.SetEnabled(false);
}

// The boss's body turns: one stripe position is dark and the dark place moves one stripe
// per tick, from 5 back to 1.
void TForm1::TimerXOM1Timer() {
    const int p = G.XomPhase;
    if (p >= 1 && p <= 5) {
        const int previous = p == 1 ? 5 : p - 1;
        // XomImage 8 .. 12 are the upper stripes 1 .. 5, 13 .. 17 the lower ones.
        XomImage[7 + p]->SetVisible(false);
        XomImage[7 + previous]->SetVisible(true);
        XomImage[12 + p]->SetVisible(false);
        XomImage[12 + previous]->SetVisible(true);
    }
    G.XomPhase = p + 1;
    if (G.XomPhase == 6) G.XomPhase = 1;
}

void TForm1::FormActivate() {
    if (!G.FirstActivation) return;
    G.FirstActivation = false;
    seams_.Window.ShowOptionsDialog();
}

void TForm1::FormClose() {
    ChiudiSuono();
}

}  // namespace zarq
