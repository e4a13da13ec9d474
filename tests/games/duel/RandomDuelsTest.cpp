// Long runs: many seeded duels with a player pressing keys at random (leaning towards the
// incoming disc's arrival row), checking after every tick and key what must always hold;
// and one play from the power switch through three won races into the duel.
#include <random>

#include "DuelFixture.h"

namespace zarq::test {
namespace {

class RandomDuels : public Duel {
  protected:
    std::int64_t lastTotal = 0;
    int playerCatches = 0, pointsWon = 0;

    std::int64_t Total() const { return g.Score + 2000LL * g.ScoreWraps; }

    // What holds after every tick and every key.
    void Check() {
        ASSERT_EQ(f.TableFaults(), 0);
        const std::int64_t total = Total();
        const std::int64_t rise = total - lastTotal;
        ASSERT_TRUE(rise == 0 || rise == 5 || rise == 20) << "score rose by " << rise;
        playerCatches += rise == 5;
        pointsWon += rise == 20;
        lastTotal = total;
        ASSERT_GE(g.ZarqLives, 0);
        ASSERT_LE(g.ZarqLives, 4);
        ASSERT_GE(g.DiscZarqLives, 0);
        ASSERT_LE(g.DiscZarqLives, 4);
        ASSERT_GE(g.DiscKrevLives, 0);
        ASSERT_LE(g.DiscKrevLives, 4);

        const bool zarqFlight = f.TimerMuoviDiscZarq.Enabled(),
                   krevFlight = f.TimerMuoviDiscKrev.Enabled();
        ASSERT_FALSE(zarqFlight && krevFlight);
        if (zarqFlight || krevFlight) {
            ASSERT_EQ(DiscsLit(), (std::vector<std::string>{std::to_string(g.DiscCol) + "," +
                                                            std::to_string(g.DiscRow)}));
        }
        if (g.CurrentGame != 2 || f.TimerAvvioGioco2.Enabled()) return;
        ASSERT_GE(g.ZarqRow, 1);
        ASSERT_LE(g.ZarqRow, 4);
        ASSERT_GE(g.KrevRow, 1);
        ASSERT_LE(g.KrevRow, 4);
        if (!g.PlayEnabled) return;
        // In play exactly one side holds the disc or it flies; each figure stands in one place.
        ASSERT_EQ(int{g.ZarqHasDisc} + int{g.KrevHasDisc} + int{zarqFlight || krevFlight}, 1);
        std::string zarq(5, '.'), krev(4, '.');
        zarq[static_cast<std::size_t>(g.ZarqRow - 1)] = g.ZarqHasDisc ? 'd' : 'h';
        krev[static_cast<std::size_t>(g.KrevRow - 1)] = g.KrevHasDisc ? 'd' : 'h';
        ASSERT_EQ(ZarqPlaces(), zarq);
        ASSERT_EQ(KrevPlaces(), krev);
        std::string bars(8, '.');
        for (int i = 0; i < g.DiscZarqLives; ++i) bars[static_cast<std::size_t>(i)] = '#';
        for (int i = 0; i < g.DiscKrevLives; ++i) bars[static_cast<std::size_t>(4 + i)] = '#';
        ASSERT_EQ(LifeBars(), bars);
    }

    void Key(std::mt19937& rng) {
        std::uniform_int_distribution<int> pick(0, 9);
        const int k = pick(rng);
        if (f.TimerMuoviDiscKrev.Enabled() && k < 5) {
            // A player who reads the path heads for the arrival row.
            const int arrival = 5 - g.DiscStartRow;
            if (g.ZarqRow < arrival) toy.Press(VK_UP);
            if (g.ZarqRow > arrival) toy.Press(VK_DOWN);
            if (g.ZarqRow != arrival && pick(rng) < 5) toy.Release(VK_UP);
            return;
        }
        switch (k % 6) {
            case 0:
                toy.Press(VK_UP);
                break;
            case 1:
                toy.Press(VK_DOWN);
                break;
            case 2:
            case 3:
                toy.Press(VK_CONTROL);
                break;
            case 4:
                toy.Release(VK_CONTROL);
                break;
            default:
                toy.Release(pick(rng) < 5 ? VK_UP : VK_DOWN);
                break;
        }
    }

    void ReleaseAll() {
        toy.Release(VK_UP);
        toy.Release(VK_DOWN);
        toy.Release(VK_CONTROL);
    }
};

TEST_F(RandomDuels, ManySeededDuelsKeepEveryInvariant) {
    for (std::uint32_t seed : {1u, 7u, 1234u}) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<Millis> gap(1, 300);
        int won = 0, lost = 0, level = 1;
        HandOver(level, g.Score, 4);
        lastTotal = Total();
        Millis nextKey = toy.Now() + gap(rng);
        const Millis cap = toy.Now() + 6LL * 3600 * 1000;
        while (won + lost < 30) {
            ASSERT_LT(toy.Now(), cap) << "a duel that never ends, seed " << seed;
            const bool duelWon = f.TimerAvvioGioco3.Enabled(), gameLost = f.TimerOver.Enabled();
            if (duelWon || gameLost) {
                if (duelWon) {
                    ++won;
                    ASSERT_EQ(g.DiscKrevLives, 0);
                    ASSERT_GT(g.DiscZarqLives, 0);
                } else {
                    ++lost;
                    ASSERT_EQ(g.ZarqLives, 0);
                    ASSERT_EQ(g.DiscZarqLives, 0);
                }
                ReleaseAll();
                level = level % 6 + 1;
                HandOver(level, g.Score, duelWon ? g.ZarqLives : 4);
                continue;
            }
            const auto due = toy.Clock.Scheduler().NextDue();
            ASSERT_TRUE(due.has_value());
            if (*due <= nextKey) {
                toy.Clock.RunNext();
            } else {
                toy.Advance(nextKey - toy.Now());
                Key(rng);
                nextKey = toy.Now() + gap(rng);
            }
            Check();
            if (HasFatalFailure()) return;
        }
        EXPECT_GT(won, 0) << "seed " << seed;
        EXPECT_GT(lost, 0) << "seed " << seed;
    }
    EXPECT_GT(playerCatches, 0);
    EXPECT_GT(pointsWon, 0);
}

TEST_F(RandomDuels, PowerOnThroughThreeWonRacesIntoTheDuelAndOnToItsEnd) {
    toy.SwitchOn();
    toy.Advance(12490);
    ASSERT_EQ(g.CurrentGame, 1);
    ASSERT_TRUE(g.PlayEnabled);
    for (int race = 1; race <= 3; ++race) {
        f.ProcWinGame1();  // the opponent crashes at the start of each race
        if (race < 3) {
            toy.Advance(8950);
            ASSERT_TRUE(g.PlayEnabled) << "race " << race + 1;
        }
    }
    toy.Advance(5350);
    ASSERT_TRUE(f.TimerAvvioGioco2.Enabled());
    EXPECT_EQ(g.AvvioGioco2Step, 1);
    EXPECT_EQ(g.KrevLives, 1);
    toy.Advance(320 + kPlayStartsAt - 320);
    EXPECT_EQ(g.CurrentGame, 2);
    EXPECT_TRUE(g.PlayEnabled);
    EXPECT_EQ(GridLit(), 6) << toy.Lattice();  // only the life bars inside the bottom row
    EXPECT_EQ(ZarqPlaces(), "..h..");
    EXPECT_EQ(KrevPlaces(), "..d.");
    EXPECT_EQ(LifeBars(), "########");
    EXPECT_EQ(g.Score, 300);
    EXPECT_EQ(toy.ScoreShown(), "_300");
    EXPECT_EQ(EnabledTimers(), (Names{"TimerXOM1", "TimerMoveKrev"}));

    // A player who stays put and throws back whatever it catches, to the end of the duel.
    handOver = 0;
    lastTotal = Total();
    const Millis cap = toy.Now() + 3600 * 1000;
    while (!f.TimerAvvioGioco3.Enabled() && !f.TimerOver.Enabled()) {
        ASSERT_LT(toy.Now(), cap);
        ASSERT_TRUE(toy.Clock.RunNext());
        if (g.ZarqHasDisc && g.PlayEnabled) {
            toy.Press(VK_CONTROL);
            toy.Release(VK_CONTROL);
        }
        Check();
        if (HasFatalFailure()) return;
    }
    if (f.TimerOver.Enabled()) {
        EXPECT_EQ(g.ZarqLives, 0);
        EXPECT_EQ(Played("Over"), 1);
    } else {
        EXPECT_EQ(g.DiscKrevLives, 0);
    }
}

}  // namespace
}  // namespace zarq::test
