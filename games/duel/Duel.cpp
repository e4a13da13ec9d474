// Game 2, the disc duel: its timers exist from the start; their handlers come with the game.
#include "panel/Unit1.h"

namespace zarq {

void TForm1::TimerAvvioGioco2Timer() {}
void TForm1::TimerMoveKrevTimer() {}
void TForm1::TimerMoveZarqTimer() {}
void TForm1::TimerLanciaDiscKrevTimer() {}
void TForm1::TimerMuoviDiscKrevTimer() {}
void TForm1::TimerMuoviDiscZarqTimer() {}
void TForm1::TimerMissGame2Timer() {}
void TForm1::TimerWinDiscGame2Timer() {}
void TForm1::TimerRiprendiGame2Timer() {}
void TForm1::TimerTogliVitaGame2Timer() {}

}  // namespace zarq
