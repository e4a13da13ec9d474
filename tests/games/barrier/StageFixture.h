// The barrier stage on the virtual clock, begun the way a won duel begins it, and the readings
// of the boss, the time bars and the recorded sound the stage tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/Harness.h"

namespace zarq::test {

// From the hand-over to the first moment of play.
inline constexpr Millis kStartToPlay = 11330;
// A throw meets the barrier this long after CTRL, and a rebound takes as long again.
inline constexpr Millis kFlight = 770;
inline constexpr Millis kRebound = 770;

class Stage : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();
    Millis handOver = 0;  // when the duel's end started game 3
    Millis playFrom = 0;  // when play began

    Stage() { toy.SoundOn(); }

    // The panel as the duel's last won point leaves it: everything stopped, the player at
    // position 3 with an empty hand, the opponent at position 1 without disc and without
    // bars, the player's remaining duel lives as bars, leftovers on the grid; then game 3's
    // start sequence is set going as the duel's end does.
    void WinDuel(int segments = 4, int level = 1, int lives = 3, int score = 500) {
        f.BloccaTimers();
        g.PowerOn = true;
        g.GameStarted = true;
        g.CurrentGame = 2;
        g.PlayEnabled = false;
        g.SpeedLevel = level;
        g.ZarqLives = lives;
        g.KrevLives = 1;
        g.CycleKrevLives = 0;
        g.Score = score;
        g.ScoreWraps = 0;
        g.DiscZarqLives = segments;
        g.DiscKrevLives = 0;
        g.ZarqRow = 3;
        g.ZarqHasDisc = false;
        g.KrevRow = 1;
        g.KrevHasDisc = false;
        f.MostraZarq(true);
        f.MostraKrev(true);
        f.MostraViteDiscZarq(true);
        f.MostraTuttoXOM(true);
        f.Im_DiskH82->SetVisible(false);
        f.BarH[4][3]->SetVisible(true);
        f.DiskV[2][4]->SetVisible(true);
        f.TrasformaScoreTotale();
        f.TimerXOM1.SetInterval(g.SpeedTable[level][Xom1]);
        g.AvvioGioco3Step = 1;
        f.TimerAvvioGioco3.SetInterval(320);
        f.TimerAvvioGioco3.SetEnabled(true);
        handOver = toy.Now();
    }
    // Game 3 in play, at its first moment.
    void StartPlay(int segments = 4, int level = 1, int lives = 3, int score = 500) {
        WinDuel(segments, level, lives, score);
        toy.Advance(kStartToPlay);
        playFrom = toy.Now();
    }
    void AdvanceTo(Millis at) { toy.Advance(at - toy.Now()); }
    // A short press of the fire button.
    void Throw() {
        toy.Press(VK_CONTROL);
        toy.Release(VK_CONTROL);
    }
    // The four barrier pieces from the top, '#' lit and '.' dark: "##.#".
    std::string Barrier() const {
        std::string out;
        for (int i = 1; i <= 4; ++i) out += toy.Lit("Im_XomCover" + std::to_string(i)) ? '#' : '.';
        return out;
    }
    // The player's bottom bars from the left edge, '#' lit: "##..".
    std::string TimeBars() const {
        std::string out;
        for (int i = 1; i <= 4; ++i) out += f.LifeBar[i]->Visible() ? '#' : '.';
        return out;
    }
    int Played(const std::string& sample) const {
        int n = 0;
        for (const SoundCall& c : toy.Sound.Calls) n += c.Call == "Play" && c.Sample == sample;
        return n;
    }
    // "Beep@320" for every sample played from `from` on.
    std::vector<std::string> PlayedSince(Millis from) const {
        std::vector<std::string> out;
        for (const SoundCall& c : toy.Sound.Calls) {
            if (c.Call == "Play" && c.At >= from)
                out.push_back(c.Sample + "@" + std::to_string(c.At));
        }
        return out;
    }
    std::vector<std::string> EnabledTimers() {
        std::vector<std::string> out;
        for (TTimer* t : f.Timers()) {
            if (t->Enabled()) out.push_back(t->Name());
        }
        return out;
    }
    // Lit disc elements of the grid (flying, rebounding or left over).
    int LitDiscs() const {
        int n = 0;
        for (int c = 1; c <= 7; ++c) {
            for (int r = 1; r <= 5; ++r) n += f.DiskH[c][r]->Visible() + f.DiskV[c][r]->Visible();
        }
        return n;
    }
    // Lit bars of the grid; the bottom row's also serve as time bars.
    int LitBars() const {
        int n = 0;
        for (int c = 1; c <= 7; ++c) {
            for (int r = 1; r <= 5; ++r) n += f.BarH[c][r]->Visible() + f.BarV[c][r]->Visible();
        }
        return n;
    }
    int LitGridElements() const { return LitDiscs() + LitBars(); }
    // The score counted with its passes beyond 1999.
    int Total() const { return g.Score + 2000 * g.ScoreWraps; }
};

}  // namespace zarq::test
