// The start of the disc duel (beeps, a line wiping the race off the grid, lives and boss,
// the set-up, play) and the movement of both figures: the player's move throttle, the
// opponent's climb through its positions and its throw after a random delay.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
// The start sequence's timetable: 320 ms per beep (set by whoever starts it), then pauses.
constexpr int kLastBeep = 18;
constexpr int kFirstWipeStep = 5;
constexpr int kLastWipeStep = 15;
constexpr int kQuietStep = 19;
constexpr int kLivesStep = 20;
constexpr int kSetUpStep = 21;
constexpr int kPlayStep = 22;
constexpr unsigned kQuietToLives = 1000;
constexpr unsigned kLivesToSetUp = 2000;
constexpr unsigned kSetUpToPlay = 1000;

constexpr int kDuelLives = 4;
constexpr int kDuelStartPosition = 3;
constexpr int kTopPosition = 4;
constexpr int kColumns = 7;
}  // namespace

void TForm1::SetUpDuel(bool clearGrid) {
    MostraTuttoZarq(false);
    MostraTuttoKrev(false);
    if (clearGrid) MostraTuttoBar(false);
    G.DiscZarqLives = kDuelLives;
    G.DiscKrevLives = kDuelLives;
    MostraViteDiscZarq(true);
    MostraViteDiscKrev(true);
    G.KrevRow = kDuelStartPosition;
    G.ZarqRow = kDuelStartPosition;
    G.ZarqHasDisc = false;
    G.KrevHasDisc = true;  // the opponent always serves first
    MostraZarq(true);
    MostraKrev(true);
}

void TForm1::TimerAvvioGioco2Timer() {
    const int s = G.AvvioGioco2Step;

    if (s >= 1 && s <= kLastBeep) Suona(G.SndBeep);

    // A line wipes whatever the race left off the grid, from the top row down.
    if (s >= kFirstWipeStep && s <= kLastWipeStep) WipeGridStep(s);

    if (s == kQuietStep) {
        TimerAvvioGioco2.SetInterval(kQuietToLives);
    } else if (s == kLivesStep) {
        MostraViteZarq();
        MostraViteKrev();
        MostraTuttoXOM(true);
        Im_DiskH82->SetVisible(false);  // the boss at rest, without its disc
        TrasformaScoreTotale();
        TimerAvvioGioco2.SetInterval(kLivesToSetUp);
    } else if (s == kSetUpStep) {
        SetUpDuel(true);
        TimerAvvioGioco2.SetInterval(kSetUpToPlay);
    } else if (s == kPlayStep) {
        G.CurrentGame = 2;
        G.PlayEnabled = true;
        TimerMoveKrev.SetInterval(G.SpeedTable[G.SpeedLevel][MoveKrev]);
        TimerMoveKrev.SetEnabled(true);
        G.XomPhase = 1;
        TimerXOM1.SetInterval(G.SpeedTable[G.SpeedLevel][Xom1]);
        TimerXOM1.SetEnabled(true);
        TimerAvvioGioco2.SetEnabled(false);
    }
    ++G.AvvioGioco2Step;
}

// A move of the player (made by the key handler) locks further moves until this tick or
// until any key is released, so a held arrow moves at most once per 250 ms.
void TForm1::TimerMoveZarqTimer() {
    G.MoveLocked = false;
    TimerMoveZarq.SetEnabled(false);
}

void TForm1::ArmKrevThrow() {
    const unsigned intervals = Random(2) + 1;
    TimerLanciaDiscKrev.SetInterval(intervals * G.SpeedTable[G.SpeedLevel][MoveKrev]);
    TimerLanciaDiscKrev.SetEnabled(true);
}

// The opponent climbs one position per tick, from the top back to the bottom, heedless of
// the player and of the disc.
void TForm1::TimerMoveKrevTimer() {
    MostraKrev(false);
    ++G.KrevRow;
    if (G.KrevRow > kTopPosition || G.KrevRow < 1) G.KrevRow = 1;
    MostraKrev(true);
    if (G.KrevHasDisc && !TimerLanciaDiscKrev.Enabled()) ArmKrevThrow();
}

void TForm1::TimerLanciaDiscKrevTimer() {
    TimerMoveKrev.SetEnabled(false);
    G.DiscCol = kColumns;
    G.DiscRow = G.KrevRow;
    G.KrevHasDisc = false;
    MostraDiscH(true);
    MostraKrev(true);  // now with the empty hand
    Suona(G.SndDisc);
    G.DiscStartRow = G.KrevRow;
    G.KrevDiscStep = 1;
    TimerMuoviDiscKrev.SetEnabled(true);
    // Enabled afresh: the next move comes a whole interval after the throw.
    TimerMoveKrev.SetEnabled(true);
    TimerLanciaDiscKrev.SetEnabled(false);
}

}  // namespace zarq
