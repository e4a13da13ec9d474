// The seeded player.
#include "tests/harness/PlayBot.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace zarq::test {

namespace {
// The player's point on the lattice and the four headings' steps (1 up, 2 right, 3 down, 4 left).
constexpr int kCol = 4, kRow = 3;
constexpr std::array<std::pair<int, int>, 5> kStep = {{{0, 0}, {0, 1}, {1, 0}, {0, -1}, {-1, 0}}};
constexpr int kArrowFor[5] = {0, VK_UP, VK_RIGHT, VK_DOWN, VK_LEFT};

// A point is touched when a segment leaves it (up or right) or arrives (from below or the left).
bool Touched(const LabyrinthGrid& l, int c, int r) {
    if (!LabyrinthGrid::InRange(c - 1) || !LabyrinthColumn::InRange(r - 1) ||
        !LabyrinthGrid::InRange(c) || !LabyrinthColumn::InRange(r)) {
        return true;
    }
    const std::int32_t below = l[c][r - 1];
    return l[c][r] != 0 || l[c - 1][r] >= 2 || below == 1 || below == 3;
}
}  // namespace

int SteerFrom(const LabyrinthGrid& l, int heading, std::pair<int, int> opponent) {
    // The opponent's head moves on: the points next to it are as good as touched.
    const auto blocked = [&](int c, int r) {
        return Touched(l, c, r) ||
               std::abs(c - opponent.first) + std::abs(r - opponent.second) <= 1;
    };
    int best = 0, bestRoom = -1;
    for (int h = 1; h <= 4; ++h) {
        if (h == (heading + 1) % 4 + 1) continue;  // no way back
        const int c = kCol + kStep[static_cast<std::size_t>(h)].first;
        const int r = kRow + kStep[static_cast<std::size_t>(h)].second;
        if (blocked(c, r)) continue;
        // Room ahead: the free points reachable in a few steps, the player's point excluded.
        bool seen[16][14] = {};
        seen[kCol + 3][kRow + 3] = true;
        int room = 0;
        std::array<std::pair<int, int>, 224> queue{};
        std::size_t head = 0, tail = 0;
        queue[tail++] = {c, r};
        seen[c + 3][r + 3] = true;
        while (head < tail && room < 40) {
            const auto [pc, pr] = queue[head++];
            ++room;
            for (int d = 1; d <= 4; ++d) {
                const int nc = pc + kStep[static_cast<std::size_t>(d)].first;
                const int nr = pr + kStep[static_cast<std::size_t>(d)].second;
                if (nc < -2 || nc > 10 || nr < -2 || nr > 8 || seen[nc + 3][nr + 3]) continue;
                seen[nc + 3][nr + 3] = true;
                if (!blocked(nc, nr)) queue[tail++] = {nc, nr};
            }
        }
        if (h == heading) room += 2;  // straight on, all else equal
        if (room > bestRoom) {
            bestRoom = room;
            best = h;
        }
    }
    return best == heading ? 0 : best;
}

void PlayBot::Tap(int key, Millis held) {
    input_.KeyDown(key);
    advance_(held);
    input_.KeyUp(key);
}

void PlayBot::Play(Millis until, bool restart, const std::function<bool()>& stop) {
    const TGameState& g = form_.G;
    const int keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_CONTROL};
    while (now_() < until && !(stop && stop())) {
        const std::optional<Millis> step = form_.TimerCycleZarq.DueTime();
        if (g.CurrentGame == 1 && g.PlayEnabled && step && *step - now_() > 40) {
            // Just before the cycle's step, a look at the lattice.
            advance_(*step - now_() - 10 - static_cast<Millis>(rng_() % 25));
            if (g.CurrentGame == 1 && g.PlayEnabled) {
                const int turn = SteerFrom(g.Labyrinth, g.ZarqDirection, {-99, -99});
                if (turn != 0) {
                    Tap(kArrowFor[turn], static_cast<Millis>(rng_() % 5));
                } else if (rng_() % 8 == 0) {
                    Tap(VK_CONTROL, static_cast<Millis>(rng_() % 5));  // an idle press now and then
                }
            }
            advance_(std::max<Millis>(1, *step - now_() + 1));
        } else {
            const int key = keys[rng_() % 5];
            input_.KeyDown(key);
            advance_(20 + static_cast<Millis>(rng_() % 300));
            input_.KeyUp(key);
            advance_(20 + static_cast<Millis>(rng_() % 400));
        }
        if (g.PowerOn && !g.GameStarted && restart) Tap(VK_CONTROL, 30);
    }
}

}  // namespace zarq::test
