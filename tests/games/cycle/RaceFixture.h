// A cycle race on the virtual clock, set going the way the start of game 1 sets it going,
// and the few readings of the labyrinth the race tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/harness/Harness.h"

namespace zarq::test {

// The real region of the labyrinth's torus.
inline constexpr int kColLo = -1, kColHi = 9, kRowLo = -1, kRowHi = 7;

class Race : public ::testing::Test {
  protected:
    Toy toy;
    TForm1& f = toy.F();
    TGameState& g = toy.G();
    Millis raceStart = 0;

    Race() { toy.SoundOn(); }

    // Game 1 at `level` with full lives: the labyrinth set up, then the race started, as the
    // power-on sequence does at its last two steps.
    void StartGame1(int level = 1) {
        f.BloccaTimers();
        g.CurrentGame = 1;
        g.SpeedLevel = level;
        g.ZarqLives = 4;
        g.KrevLives = 4;
        g.CycleKrevLives = 3;
        g.EngineTone = g.SpeedButtonDown ? 38 : 20;
        f.SetUpLabyrinth();
        f.TimerCycleKrev.SetInterval(g.SpeedTable[level][CycleKrev]);
        f.StartCycleRound();
        raceStart = toy.Now();
    }
    // A race in which the opponent stays where it is.
    void StartPlayerAlone() {
        StartGame1();
        f.TimerCycleKrev.SetEnabled(false);
    }
    // The opponent's steps only, for hand-made labyrinths.
    void StartOpponentAlone() {
        StartGame1();
        f.TimerCycleZarq.SetEnabled(false);
    }
    // Every cell of the real region emptied, the display redrawn and both dashes dark.
    void EmptyLabyrinth() {
        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r) g.Labyrinth[c][r] = 0;
        }
        f.MostraTuttoDisk(false);
        f.MostraLabir();
    }
    std::int32_t& Cell(int c, int r) { return g.Labyrinth[c][r]; }
    // The lattice as text (see the harness), without trailing blanks and with a leading line
    // break, so that it compares with a picture written as a raw string.
    std::string Screen() const {
        std::string out = "\n", line;
        for (char ch : toy.Lattice()) {
            if (ch != '\n') {
                line += ch;
                continue;
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out += line + '\n';
            line.clear();
        }
        return out;
    }
    // The opponent placed by hand, shown as the game shows it.
    void PlaceOpponent(int col, int row, int heading) {
        f.MostraCycleKrev(false);
        g.KrevCol = col;
        g.KrevRow = row;
        g.KrevDirection = heading;
        f.MostraCycleKrev(true);
    }
    std::int64_t RealSum() {
        std::int64_t s = 0;
        for (int c = kColLo; c <= kColHi; ++c) {
            for (int r = kRowLo; r <= kRowHi; ++r) s += g.Labyrinth[c][r];
        }
        return s;
    }
    int Played(const std::string& sample) {
        int n = 0;
        for (const SoundCall& c : toy.Sound.Calls) n += c.Call == "Play" && c.Sample == sample;
        return n;
    }
    // The moment of the race start plus `ms`, reached from now.
    void AdvanceTo(Millis sinceStart) { toy.Advance(raceStart + sinceStart - toy.Now()); }
    bool MissStarted() const { return f.TimerMissCycleZarq.Enabled(); }
    bool WinStarted() const { return f.TimerWinCycleZarq.Enabled(); }
};

}  // namespace zarq::test
