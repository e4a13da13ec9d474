// Moments of the games reached at once, by the toy's own procedures where it has them.
#include "core/session/Stages.h"

namespace zarq {

void StageGameOver(TForm1& form, int score) {
    form.BloccaTimers();
    form.G.ZarqLives = 0;
    form.G.Score = score;
    form.TimerOver.SetEnabled(true);
}

void StageRaceWon(TForm1& form) {
    form.G.KrevLives = 2;
    form.ProcWinGame1();
}

void StageDuelWon(TForm1& form) {
    form.BloccaTimers();
    form.MostraViteDiscKrev(false);
    form.G.DiscKrevLives = 0;
    form.G.AvvioGioco3Step = 1;
    form.TimerAvvioGioco3.SetInterval(320);
    form.TimerAvvioGioco3.SetEnabled(true);
}

}  // namespace zarq
