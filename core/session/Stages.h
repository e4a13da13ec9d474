// The toy put straight into a moment of its games, for pictures of that moment (the manual's
// scenes): the state a long play would reach, written by the core rather than by the picture's
// maker. Never part of a play, a recording or a replay.
#pragma once

#include "core/panel/Unit1.h"

namespace zarq {

// The race stopped where it stands and the game-over display started with `score`; its
// sequence takes some 4 s to show the score.
void StageGameOver(TForm1& form, int score);
// The opponent's third crash: the race won, the duel's start on its way.
void StageRaceWon(TForm1& form);
// The opponent's last duel life gone: the duel won, the barrier stage's start on its way.
void StageDuelWon(TForm1& form);

}  // namespace zarq
