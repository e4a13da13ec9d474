// Game 3, the barrier stage: its timers exist from the start; their handlers come with the game.
#include "panel/Unit1.h"

namespace zarq {

void TForm1::TimerAvvioGioco3Timer() {}
void TForm1::TimerMuoviDiscZarq2Timer() {}
void TForm1::TimerXOM2Timer() {}
void TForm1::TimerApriBarrieraTimer() {}
void TForm1::TimerChiudiBarrieraTimer() {}
void TForm1::TimerVittoriaTimer() {}
void TForm1::TimerTempoGioco3Timer() {}
void TForm1::TimerMissGame3Timer() {}
void TForm1::TimerRiprendiGame3Timer() {}

}  // namespace zarq
