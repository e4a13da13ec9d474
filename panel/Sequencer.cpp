// The power-on sequence, the game-over display, the boss animation, and the panel's
// activation and closing.
#include "Unit1.h"

namespace zarq {

void TForm1::TimerAvvioTimer() {}
void TForm1::TimerOverTimer() {}
void TForm1::TimerXOM1Timer() {}
void TForm1::FormActivate() {}
void TForm1::FormClose() { ChiudiSuono(); }

}  // namespace zarq
