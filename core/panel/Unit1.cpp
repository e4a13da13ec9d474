// Construction of the panel, its creation handler, the timer set and the random generator.
#include "core/panel/Unit1.h"

#include <utility>

#include "core/session/SettingsKeys.h"

namespace zarq {

namespace {
// Six speed levels; a higher level means shorter intervals (milliseconds).
constexpr unsigned kSpeedTable[6][7] = {
    // CycleZarq CycleZarqFast CycleKrev MoveKrev Xom2 TempoGioco3 Xom1
    {660, 480, 560, 350, 180, 200, 230},  // level 1
    {560, 410, 490, 280, 160, 180, 200},  // level 2
    {490, 320, 380, 240, 140, 160, 170},  // level 3
    {400, 270, 330, 170, 120, 140, 140},  // level 4
    {350, 230, 280, 130, 100, 120, 110},  // level 5
    {280, 200, 230, 90, 80, 100, 80},     // level 6
};

}  // namespace

#define ZARQ_TIMER(name, interval) name(seams_.Clock, #name, interval, [this] { name##Timer(); })

TForm1::TForm1(PanelSeams seams)
    : seams_(std::move(seams)),
      // Creation order, with the intervals at creation.
      ZARQ_TIMER(TimerAvvio, 1),
      ZARQ_TIMER(TimerCycleZarq, 1),
      ZARQ_TIMER(TimerXOM1, 1),
      ZARQ_TIMER(TimerMissCycleZarq, 1),
      ZARQ_TIMER(TimerOver, 4000),
      ZARQ_TIMER(TimerWinCycleZarq, 1),
      ZARQ_TIMER(TimerAvvioGioco2, 1),
      ZARQ_TIMER(TimerMoveKrev, 1),
      ZARQ_TIMER(TimerMoveZarq, 250),
      ZARQ_TIMER(TimerLanciaDiscKrev, 1),
      ZARQ_TIMER(TimerMuoviDiscKrev, 200),
      ZARQ_TIMER(TimerMuoviDiscZarq, 200),
      ZARQ_TIMER(TimerMissGame2, 1),
      ZARQ_TIMER(TimerWinDiscGame2, 1),
      ZARQ_TIMER(TimerRiprendiGame2, 1000),
      ZARQ_TIMER(TimerAvvioGioco3, 1),
      ZARQ_TIMER(TimerTogliVitaGame2, 1),
      ZARQ_TIMER(TimerMuoviDiscZarq2, 110),
      ZARQ_TIMER(TimerXOM2, 1),
      ZARQ_TIMER(TimerApriBarriera, 110),
      ZARQ_TIMER(TimerChiudiBarriera, 110),
      ZARQ_TIMER(TimerVittoria, 1),
      ZARQ_TIMER(TimerTempoGioco3, 1),
      ZARQ_TIMER(TimerMissGame3, 1250),
      ZARQ_TIMER(TimerRiprendiGame3, 1000),
      ZARQ_TIMER(TimerCycleKrev, 1) {
    CreateControls();
    FormCreate();
}

#undef ZARQ_TIMER

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    ShareAndIndex();
    for (int level = 1; level <= 6; ++level) {
        for (int column = 0; column < 7; ++column) {
            G.SpeedTable[level][column] = kSpeedTable[level - 1][column];
        }
    }
    if (seams_.OpenSettings) SettingsStore_ = seams_.OpenSettings(settings::kStoreKey);
    G.PowerOn = false;
    G.GameStarted = false;
    G.PlayEnabled = false;
    G.MoveLocked = false;
    G.SpeedButtonDown = false;
    G.SpeedLevel = 1;
}

std::array<TTimer*, 26> TForm1::Timers() {
    return {&TimerAvvio,          &TimerCycleZarq,      &TimerXOM1,          &TimerMissCycleZarq,
            &TimerOver,           &TimerWinCycleZarq,   &TimerAvvioGioco2,   &TimerMoveKrev,
            &TimerMoveZarq,       &TimerLanciaDiscKrev, &TimerMuoviDiscKrev, &TimerMuoviDiscZarq,
            &TimerMissGame2,      &TimerWinDiscGame2,   &TimerRiprendiGame2, &TimerAvvioGioco3,
            &TimerTogliVitaGame2, &TimerMuoviDiscZarq2, &TimerXOM2,          &TimerApriBarriera,
            &TimerChiudiBarriera, &TimerVittoria,       &TimerTempoGioco3,   &TimerMissGame3,
            &TimerRiprendiGame3,  &TimerCycleKrev};
}

TTimer* TForm1::FindTimer(const std::string& name) {
    for (TTimer* t : Timers()) {
        if (t->Name() == name) return t;
    }
    return nullptr;
}

void TForm1::BloccaTimers() {
    for (TTimer* t : {&TimerAvvio,          &TimerCycleZarq,
                      &TimerCycleKrev,      &TimerWinCycleZarq,
                      &TimerMissCycleZarq,  &TimerAvvioGioco2,
                      &TimerMoveZarq,       &TimerMoveKrev,
                      &TimerLanciaDiscKrev, &TimerMuoviDiscZarq,
                      &TimerMuoviDiscKrev,  &TimerWinDiscGame2,
                      &TimerMissGame2,      &TimerRiprendiGame2,
                      &TimerTogliVitaGame2, &TimerAvvioGioco3,
                      &TimerTempoGioco3,    &TimerMuoviDiscZarq2,
                      &TimerApriBarriera,   &TimerChiudiBarriera,
                      &TimerXOM2,           &TimerVittoria,
                      &TimerMissGame3,      &TimerRiprendiGame3,
                      &TimerOver,           &TimerXOM1}) {
        t->SetEnabled(false);
    }
}

std::uint32_t TForm1::Random(std::uint32_t n) {
    G.RandomSeed = G.RandomSeed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(G.RandomSeed) * n) >> 32);
}

}  // namespace zarq
