// A disc duel on the virtual clock, begun the way the end of the cycle race hands over to it,
// and the readings of the figures and the bottom row that the duel tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/Harness.h"

namespace zarq::test {

// Milliseconds from the hand-over to the start of play: 19 beeps' worth of 320 ms steps,
// then 1000, 2000 and 1000 ms.
inline constexpr Millis kPlayStartsAt = 10080;
inline constexpr Millis kFlightTick = 200;

class Duel : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();
    Millis handOver = 0;

    Duel() { toy.SoundOn(); }

    // The state the third won race leaves: everything stopped, play off, the duel's start
    // sequence armed 320 ms ahead.
    void HandOver(int level = 1, int score = 300, int zarqLives = 4) {
        f.BloccaTimers();
        g.PowerOn = true;
        g.GameStarted = true;
        g.CurrentGame = 1;
        g.SpeedLevel = level;
        g.Score = score;
        g.ZarqLives = zarqLives;
        g.KrevLives = 1;
        g.PlayEnabled = false;
        g.AvvioGioco2Step = 1;
        f.TimerAvvioGioco2.SetInterval(320);
        f.TimerAvvioGioco2.SetEnabled(true);
        handOver = toy.Now();
    }
    // The duel in play, at the moment its first move is scheduled.
    void StartPlay(int level = 1, int score = 300, int zarqLives = 4) {
        HandOver(level, score, zarqLives);
        toy.Advance(kPlayStartsAt);
    }
    // The opponent's movement and throws stopped, so a test places the disc by hand.
    void Freeze() {
        f.TimerMoveKrev.SetEnabled(false);
        f.TimerLanciaDiscKrev.SetEnabled(false);
    }
    void PlaceZarq(int row) {
        f.MostraZarq(false);
        g.ZarqRow = row;
        f.MostraZarq(true);
    }
    void PlaceKrev(int row) {
        f.MostraKrev(false);
        g.KrevRow = row;
        f.MostraKrev(true);
    }
    // The player holding the disc at `row`, the opponent elsewhere and still.
    void ZarqServes(int row) {
        Freeze();
        f.MostraKrev(false);
        g.KrevHasDisc = false;
        f.MostraKrev(true);
        g.ZarqHasDisc = true;
        PlaceZarq(row);
    }
    // The opponent throws from `row` now.
    void KrevThrowsFrom(int row) {
        Freeze();
        PlaceKrev(row);
        f.TimerLanciaDiscKrevTimer();
        f.TimerMoveKrev.SetEnabled(false);
    }

    Millis SinceHandOver() const { return toy.Now() - handOver; }
    void AdvanceTo(Millis sinceHandOver) { toy.Advance(handOver + sinceHandOver - toy.Now()); }

    // The figure places, position 1 first: '.' dark, 'h' figure with empty hand, 'd' figure
    // holding the disc, 'o' the disc alone at the place, 'F' body, hand and disc all lit
    // (a life shown as a figure), '?' anything else.
    static char Place(const TFigure& fig) {
        const bool b = fig.Body->Visible(), h = fig.Hand->Visible(), d = fig.Disk->Visible();
        if (!b && !h && !d) return '.';
        if (b && h && !d) return 'h';
        if (b && !h && d) return 'd';
        if (!b && !h && d) return 'o';
        if (b && h && d) return 'F';
        return '?';
    }
    std::string ZarqPlaces() const {
        std::string s;
        for (int i = 1; i <= 5; ++i) s += Place(f.ZarqFigure[i]);
        return s;
    }
    std::string KrevPlaces() const {
        std::string s;
        for (int i = 1; i <= 4; ++i) s += Place(f.KrevFigure[i]);
        return s;
    }
    // The eight life bars, LifeBar 1 .. 8: '#' lit, '.' dark.
    std::string LifeBars() const {
        std::string s;
        for (int i = 1; i <= 8; ++i) s += f.LifeBar[i]->Visible() ? '#' : '.';
        return s;
    }
    // The lit horizontal dashes of the grid, as "c,r" in column order.
    std::vector<std::string> DiscsLit() const {
        std::vector<std::string> out;
        for (int c = 1; c <= 7; ++c) {
            for (int r = 1; r <= 5; ++r) {
                if (f.DiskH[c][r]->Visible())
                    out.push_back(std::to_string(c) + "," + std::to_string(r));
            }
        }
        return out;
    }
    int GridLit() const {
        int n = 0;
        for (int c = 1; c <= 7; ++c) {
            for (int r = 1; r <= 5; ++r) {
                n += f.BarH[c][r]->Visible() + f.BarV[c][r]->Visible() + f.DiskH[c][r]->Visible() +
                     f.DiskV[c][r]->Visible();
            }
        }
        return n;
    }
    // Plays of one sample, as times since the hand-over.
    std::vector<Millis> PlayTimes(const std::string& sample) const {
        std::vector<Millis> out;
        for (const SoundCall& c : toy.Sound.Calls) {
            if (c.Call == "Play" && c.Sample == sample) out.push_back(c.At - handOver);
        }
        return out;
    }
    int Played(const std::string& sample) const {
        return static_cast<int>(PlayTimes(sample).size());
    }
    std::vector<std::string> EnabledTimers() {
        std::vector<std::string> out;
        for (TTimer* t : f.Timers()) {
            if (t->Enabled()) out.push_back(t->Name());
        }
        return out;
    }
    using Names = std::vector<std::string>;
};

}  // namespace zarq::test
