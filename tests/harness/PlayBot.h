// A seeded player for long plays through all three games by inputs alone: in the race it
// steers away from lit segments towards open ground (random keys seldom win a race), in the
// duel and the barrier stage it presses keys at random. Every input goes through the input
// path, so a recorder sees the whole play.
#pragma once

#include <functional>
#include <random>
#include <utility>

#include "core/panel/InputPath.h"
#include "core/panel/Unit1.h"

namespace zarq::test {

// The heading (1 up, 2 right, 3 down, 4 left) with the most open ground ahead of the player's
// point in `labyrinth`, away from the opponent's point, or 0 to keep straight on `heading`.
int SteerFrom(const LabyrinthGrid& labyrinth, int heading, std::pair<int, int> opponent);

class PlayBot {
  public:
    PlayBot(TForm1& form, InputPath& input, VirtualClock& clock, unsigned seed)
        : PlayBot(
              form, input, [&clock] { return clock.Now(); },
              [&clock](Millis ms) { clock.Advance(ms); }, seed) {}
    // On another clock: what it reads and how it moves on by `ms`.
    PlayBot(TForm1& form, InputPath& input, std::function<Millis()> now,
            std::function<void(Millis)> advance, unsigned seed)
        : form_(form),
          input_(input),
          now_(std::move(now)),
          advance_(std::move(advance)),
          rng_(seed) {}

    // Plays until the clock reads `until` or `stop` says so (asked after every input).
    // After a game over it starts again with CTRL when `restart` is set.
    void Play(Millis until, bool restart, const std::function<bool()>& stop = {});

    // Press and release, each through the input path.
    void Tap(int key, Millis held);

  private:
    TForm1& form_;
    InputPath& input_;
    std::function<Millis()> now_;
    std::function<void(Millis)> advance_;
    std::mt19937 rng_;
};

}  // namespace zarq::test
