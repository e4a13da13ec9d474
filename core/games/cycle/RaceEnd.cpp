// The end of a cycle race: the first crash stops everything, the crashed cycle blinks, the
// lives are settled, and either the next race starts after an intermission or game 1 ends
// (the duel after the player's third win, game over after the player's last life).
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
// Both sequences run on the same timetable after the crash.
constexpr unsigned kFirstStep = 100;      // to step 1, the sample
constexpr unsigned kAfterSample = 1250;   // to step 2, the first blink
constexpr unsigned kBlink = 200;          // steps 2 .. 22
constexpr unsigned kIntermission = 2000;  // step 22 to the labyrinth's set-up
constexpr unsigned kSetUpToRace = 1600;   // set-up to the race start
constexpr int kFirstBlink = 2;
constexpr int kLastBlink = 21;
constexpr int kSettle = 22;
constexpr int kSetUp = 23;
constexpr int kRaceStart = 24;

constexpr int kWinBonus = 100;
constexpr unsigned kDuelStartStep = 320;
// The duel starts when the opponent is down to this many lives.
constexpr int kLastKrevLifeOfGame1 = 1;

// The interval that leads from step s to step s + 1.
unsigned IntervalAfter(int s) {
    if (s == 1) return kAfterSample;
    if (s < kSettle) return kBlink;
    if (s == kSettle) return kIntermission;
    return kSetUpToRace;
}
}  // namespace

void TForm1::ProcWinGame1() {
    BloccaTimers();
    Silenzio();
    G.PlayEnabled = false;
    G.WinCycleStep = 1;
    TimerWinCycleZarq.SetInterval(kFirstStep);
    TimerWinCycleZarq.SetEnabled(true);
}

void TForm1::ProcErroreCycle() {
    BloccaTimers();
    Silenzio();
    G.PlayEnabled = false;
    if (G.ZarqDirection % 2 == 1) {
        G.CrashImage1 = BarV[4][3];
        G.CrashImage2 = DiskV[4][3];
    } else {
        G.CrashImage1 = BarH[4][3];
        G.CrashImage2 = DiskH[4][3];
    }
    G.MissCycleStep = 1;
    TimerMissCycleZarq.SetInterval(kFirstStep);
    TimerMissCycleZarq.SetEnabled(true);
}

void TForm1::ShowIntermission() {
    MostraTuttoBar(false);
    MostraTuttoDisk(false);
    MostraViteZarq();
    MostraViteKrev();
    MostraViteCycleKrev();
    MostraTuttoXOM(true);
    Im_DiskH82->SetVisible(false);  // the boss at rest, without its disc
    TrasformaScoreTotale();
}

void TForm1::TimerWinCycleZarqTimer() {
    const int s = G.WinCycleStep;
    if (s >= kFirstBlink && s <= kLastBlink) MostraCycleKrev(s % 2 == 1);

    if (s == 1) {
        Suona(G.SndWin);
    } else if (s == 2) {
        G.Score += kWinBonus;
        TrasformaScore(G.Score);
    } else if (s == kSettle) {
        --G.KrevLives;
        --G.CycleKrevLives;
        if (G.KrevLives <= kLastKrevLifeOfGame1) {
            G.AvvioGioco2Step = 1;
            TimerAvvioGioco2.SetInterval(kDuelStartStep);
            TimerAvvioGioco2.SetEnabled(true);
            TimerWinCycleZarq.SetEnabled(false);
            ++G.WinCycleStep;
            return;
        }
        ShowIntermission();
    } else if (s == kSetUp) {
        SetUpLabyrinth();
    } else if (s == kRaceStart) {
        StartCycleRound();
        TimerWinCycleZarq.SetEnabled(false);
    }
    if (s < kRaceStart) TimerWinCycleZarq.SetInterval(IntervalAfter(s));
    ++G.WinCycleStep;
}

void TForm1::TimerMissCycleZarqTimer() {
    const int s = G.MissCycleStep;
    if (s >= kFirstBlink && s <= kLastBlink) {
        const bool shown = s % 2 == 1;
        if (G.CrashImage1 != nullptr) G.CrashImage1->SetVisible(shown);
        if (G.CrashImage2 != nullptr) G.CrashImage2->SetVisible(shown);
    }

    if (s == 1) {
        Suona(G.SndMiss1);
    } else if (s == kSettle) {
        --G.ZarqLives;
        if (G.ZarqLives <= 0) {
            Suona(G.SndOver);
            TimerOver.SetEnabled(true);
            TimerMissCycleZarq.SetEnabled(false);
            ++G.MissCycleStep;
            return;
        }
        ShowIntermission();
    } else if (s == kSetUp) {
        Im_BarH81->SetVisible(false);
        SetUpLabyrinth();
    } else if (s == kRaceStart) {
        StartCycleRound();
        TimerMissCycleZarq.SetEnabled(false);
    }
    if (s < kRaceStart) TimerMissCycleZarq.SetInterval(IntervalAfter(s));
    ++G.MissCycleStep;
}

void TForm1::StartCycleRound() {
    G.ZarqDirection = 2;
    G.ZarqTurnRequest = 0;
    G.ScoreTickCount = 0;
    G.PlayEnabled = true;
    const SpeedColumn pace = G.SpeedButtonDown ? CycleZarqFast : CycleZarq;
    TimerCycleZarq.SetInterval(G.SpeedTable[G.SpeedLevel][pace]);
    TimerCycleZarq.SetEnabled(true);
    TimerXOM1.SetInterval(G.SpeedTable[G.SpeedLevel][Xom1]);
    TimerXOM1.SetEnabled(true);
    SuonaSpeaker(G.EngineTone);
    // Its interval stays the one set when game 1 began.
    TimerCycleKrev.SetEnabled(true);
}

}  // namespace zarq
