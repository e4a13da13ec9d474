// TForm1: the toy's front panel as the toy knows it. Its controls (display elements, click
// shapes, timers), its state and every handler and procedure, under the toy's own names.
// The member functions live in the files of their subsystem: panel/ for the elements, the
// score display, the timers, the sound calls, the controls and the sequencer; games/ for the
// three games.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/panel/GameState.h"
#include "core/panel/Seams.h"
#include "core/panel/TImage.h"
#include "core/panel/Tables.h"
#include "core/panel/Timers.h"

namespace zarq {

// The three elements of one figure.
struct TFigure {
    TImage* Body = nullptr;
    TImage* Hand = nullptr;
    TImage* Disk = nullptr;
};

// Windows virtual-key codes of the keys the toy reads.
enum KeyCode : int { VK_CONTROL = 17, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40 };

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using ElementColumn = Table<TImage*, 1, 5>;
using ElementGrid = Table<ElementColumn, 1, 7>;

class TForm1 {
  public:
    // Builds every control in stacking order and runs the creation handler.
    explicit TForm1(PanelSeams seams);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // ---- Controls -------------------------------------------------------------------------
    // Every control in stacking order: a later one paints over an earlier one.
    const std::vector<std::unique_ptr<TControl>>& Controls() const { return controls_; }
    // Any control by its name, or null.
    TControl* FindControl(const std::string& name) const;
    TImage* FindElement(const std::string& name) const;
    // The topmost visible control under a point of the window that takes mouse presses.
    TControl* MouseTarget(int x, int y) const;
    // Reports every later change of visibility or picture to `view`.
    void AttachView(ElementView* view);

    TImage* Im_Base = nullptr;
    TImage* Im_BaseScreen = nullptr;
    TImage* Puls_Speed = nullptr;
    TShape* Puls_Move = nullptr;
    TShape* Puls_Speed2 = nullptr;
    TImage* Im_BarH01 = nullptr;
    TImage* Im_BarH81 = nullptr;
    TImage* Im_DiskH82 = nullptr;
    TImage* Puls_On = nullptr;
    TImage* Puls_Off = nullptr;
    TImage* Im_BaseScreenTop = nullptr;

    // Index tables.
    Table<TImage*, 1, 4> DigitPos;
    Table<TImage*, 0, 9> DigitImage;
    ElementGrid BarH, BarV, DiskH, DiskV;
    Table<TFigure, 1, 5> ZarqFigure;
    Table<TFigure, 1, 4> KrevFigure;
    Table<TImage*, 1, 8> LifeBar;
    Table<TImage*, 1, 18> XomImage;

    // Out-of-range indexes met so far in any table (zero in a correct run).
    int TableFaults() const;

    // ---- State ----------------------------------------------------------------------------
    TGameState G;

    // ---- Display primitives ---------------------------------------------------------------
    void SvuotaSchermo();
    void MostraTuttoBar(bool V);
    void MostraTuttoDisk(bool V);
    void MostraTuttoZarq(bool V);
    void MostraTuttoKrev(bool V);
    void MostraTuttoXOM(bool V);
    void MostraZarq(bool V);
    void MostraKrev(bool V);
    void MostraDiscH(bool V);
    // One step (5 .. 15) of the line that sweeps down the screen at power-on and after a victory.
    void SweepLineStep(int step);
    // One step (5 .. 15) of the line that wipes the grid before the duel and the barrier stage.
    void WipeGridStep(int step);

    // ---- Score and lives ------------------------------------------------------------------
    void TrasformaScore(int& V);
    void TrasformaScoreTotale();
    void MostraViteZarq();
    void MostraViteKrev();
    void MostraViteDiscZarq(bool V);
    void MostraViteDiscKrev(bool V);

    // ---- Timers ---------------------------------------------------------------------------
    void BloccaTimers();
    // The 26 timers in creation order.
    std::array<TTimer*, 26> Timers();
    TTimer* FindTimer(const std::string& name);
    // A choice among n from the one generator: 0 .. n-1.
    std::uint32_t Random(std::uint32_t n);

    // ---- Sound ----------------------------------------------------------------------------
    void Suona(FSOUND_SAMPLE* sample);
    void SuonaSpeaker(unsigned frequency);
    void Silenzio();
    // The sound start-up run when the player presses "- PLAY -", given the two choices as
    // their texts. Returns false when the Beep sample could not be loaded (the sound folder
    // is missing); the caller reports it and ends the program.
    bool AvviaSuono(const std::string& soundMode, const std::string& windowsVersion);
    // The sound shutdown: silence, free the nine samples, close the library.
    void ChiudiSuono();

    // ---- Controls and input ---------------------------------------------------------------
    void FormKeyDown(int key);
    void FormKeyUp(int key);
    void Puls_OffMouseDown(TMouseButton button, int x, int y);
    void Puls_OnMouseDown(TMouseButton button, int x, int y);
    void Im_BaseMouseDown(TMouseButton button, int x, int y);
    void Im_BaseMouseMove(bool leftButtonHeld, int x, int y);

    // ---- Power-on sequence and sequencer --------------------------------------------------
    void FormCreate();
    void FormActivate();
    void FormClose();
    void TimerAvvioTimer();
    void TimerOverTimer();
    void TimerXOM1Timer();

    // ---- Game 1: the cycle race -----------------------------------------------------------
    void MostraLabir();
    void MuoviLabirSu();
    void MuoviLabirDx();
    void MuoviLabirGiu();
    void MuoviLabirSx();
    void GiraZarqOrario();
    void GiraZarqAnti();
    void TimerCycleZarqTimer();
    void AumentaScoreCycle();
    void VerificaCollisioneCycleZarq();
    void SetUpLabyrinth();
    void MostraCycleKrev(bool show);
    void MostraViteCycleKrev();
    bool LiberoSu();
    bool LiberoDx();
    bool LiberoGiu();
    bool LiberoSx();
    void GiraKrev1();
    void GiraKrev2();
    void GiraKrev3();
    void GiraKrev4();
    void MuoviKrevSu();
    void MuoviKrevDx();
    void MuoviKrevGiu();
    void MuoviKrevSx();
    void TimerCycleKrevTimer();
    void ProcWinGame1();
    void ProcErroreCycle();
    void StartCycleRound();
    void TimerWinCycleZarqTimer();
    void TimerMissCycleZarqTimer();

  private:
    // The opponent's cell N(dc, dr). Its position is taken round the torus first and the
    // offsets are held within two cells, so the index always falls inside the grid.
    std::int32_t& KrevCell(int dc, int dr);
    // The free-way test of one way (0 up, 1 right, 2 down, 3 left) for the opponent's heading.
    bool KrevWayFree(int way);
    // Every trail moved one lattice step, each cell taking the value of its neighbour
    // `towards` (+1 or -1) along the axis; the opponent drifts along with them.
    void ScrollLabyrinth(bool vertical, int towards);
    // The opponent's own step: a move of `dc`, `dr`, then the segment added at its new place.
    void StepKrev(int dc, int dr, int newHeading);
    // The labyrinth gone, the lives, the boss and the score shown between races.
    void ShowIntermission();

  public:
    // ---- Game 2: the disc duel ------------------------------------------------------------
    void TimerAvvioGioco2Timer();
    void TimerMoveKrevTimer();
    void TimerMoveZarqTimer();
    void TimerLanciaDiscKrevTimer();
    void TimerMuoviDiscKrevTimer();
    void TimerMuoviDiscZarqTimer();
    void TimerMissGame2Timer();
    void TimerWinDiscGame2Timer();
    void TimerRiprendiGame2Timer();
    void TimerTogliVitaGame2Timer();

  private:
    // The duel set up as at its start: four duel lives a side, both figures at position 3,
    // the opponent holding the disc. `clearGrid` also darkens every grid bar first.
    void SetUpDuel(bool clearGrid);
    // The opponent's throw armed one or two movement intervals ahead, at random.
    void ArmKrevThrow();
    // One tick of a disc's flight; `towards` is +1 for the player's disc, -1 for the
    // opponent's. True when this tick is the arrival, with the disc hidden.
    bool FlyDisc(int& step, int towards);
    // A disc not caught: the game frozen, the disc lying at `edge`, the blink of `blink` begun.
    void EndDuelPoint(TImage* edge, TTimer& blink, int& blinkStep);
    // One tick of the blink of a lost duel life on `bar`. True once the blink is over.
    bool BlinkDuelLife(TTimer& blink, int& step, TImage* bar);

  public:
    // ---- Game 3: the barrier stage --------------------------------------------------------
    void TimerAvvioGioco3Timer();
    void TimerMuoviDiscZarq2Timer();
    void TimerXOM2Timer();
    void TimerApriBarrieraTimer();
    void TimerChiudiBarrieraTimer();
    void TimerVittoriaTimer();
    void TimerTempoGioco3Timer();
    void TimerMissGame3Timer();
    void TimerRiprendiGame3Timer();

  private:
    void CreateControls();
    void ShareAndIndex();
    TImage* AddImage(const std::string& name, TRect r, const std::string& picture, bool transparent,
                     bool visible);
    TImage* Element(const std::string& name) const;  // must exist

    // The session reads and writes the player's choices; nothing outside the core reaches it.
    friend class PlaySession;
    std::unique_ptr<SettingsStore> SettingsStore_;

    PanelSeams seams_;
    std::vector<std::unique_ptr<TControl>> controls_;
    // What an out-of-range table index reaches: an element that is never shown.
    TImage noElement_{"", TRect{}, "", false, false};

  public:
    // ---- The 26 timers, in creation order -------------------------------------------------
    TTimer TimerAvvio;
    TTimer TimerCycleZarq;
    TTimer TimerXOM1;
    TTimer TimerMissCycleZarq;
    TTimer TimerOver;
    TTimer TimerWinCycleZarq;
    TTimer TimerAvvioGioco2;
    TTimer TimerMoveKrev;
    TTimer TimerMoveZarq;
    TTimer TimerLanciaDiscKrev;
    TTimer TimerMuoviDiscKrev;
    TTimer TimerMuoviDiscZarq;
    TTimer TimerMissGame2;
    TTimer TimerWinDiscGame2;
    TTimer TimerRiprendiGame2;
    TTimer TimerAvvioGioco3;
    TTimer TimerTogliVitaGame2;
    TTimer TimerMuoviDiscZarq2;
    TTimer TimerXOM2;
    TTimer TimerApriBarriera;
    TTimer TimerChiudiBarriera;
    TTimer TimerVittoria;
    TTimer TimerTempoGioco3;
    TTimer TimerMissGame3;
    TTimer TimerRiprendiGame3;
    TTimer TimerCycleKrev;

    const PanelSeams& Seams() const { return seams_; }
};

}  // namespace zarq
