#include "RaceFixture.h"
#include <iostream>
namespace zarq::test {
TEST_F(Race, Probe) {
    StartGame1();
    f.TimerXOM1.SetEnabled(false);
    for (int i = 0; i < 30; ++i) {
        toy.Clock.RunNext();
        std::cout << "t=" << toy.Now() - raceStart << " K=" << g.KrevCol << "," << g.KrevRow << " d" << g.KrevDirection << " z" << g.ZarqDirection << " miss=" << MissStarted() << " win=" << WinStarted() << "\n";
        if (toy.Now() - raceStart > 3500) std::cout << toy.Lattice() << "\n";
        if (!g.PlayEnabled) break;
    }
}
}
