// Game 1, the cycle race (being built).
#include "panel/Unit1.h"

namespace zarq {

void TForm1::MostraLabir() {}
void TForm1::MuoviLabirSu() {}
void TForm1::MuoviLabirDx() {}
void TForm1::MuoviLabirGiu() {}
void TForm1::MuoviLabirSx() {}
void TForm1::GiraZarqOrario() {}
void TForm1::GiraZarqAnti() {}
void TForm1::TimerCycleZarqTimer() {}
void TForm1::AumentaScoreCycle() {}
void TForm1::VerificaCollisioneCycleZarq() {}
void TForm1::SetUpLabyrinth() {}
void TForm1::MostraCycleKrev(bool) {}
void TForm1::MostraViteCycleKrev() {}
bool TForm1::LiberoSu() { return false; }
bool TForm1::LiberoDx() { return false; }
bool TForm1::LiberoGiu() { return false; }
bool TForm1::LiberoSx() { return false; }
void TForm1::GiraKrev1() {}
void TForm1::GiraKrev2() {}
void TForm1::GiraKrev3() {}
void TForm1::GiraKrev4() {}
void TForm1::MuoviKrevSu() {}
void TForm1::MuoviKrevDx() {}
void TForm1::MuoviKrevGiu() {}
void TForm1::MuoviKrevSx() {}
void TForm1::TimerCycleKrevTimer() {}
void TForm1::ProcWinGame1() {}
void TForm1::ProcErroreCycle() {}
void TForm1::StartCycleRound() {}
void TForm1::TimerWinCycleZarqTimer() {}
void TForm1::TimerMissCycleZarqTimer() {}

}  // namespace zarq
