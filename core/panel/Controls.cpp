// The three controls of the toy: the control pad (arrow keys), the speed/fire button (CTRL)
// and the power switch (mouse), and the dragging of the borderless window.
#include "core/panel/Unit1.h"

namespace zarq {

namespace {
constexpr unsigned kAvvioFirstBeep = 320;

// The switch and the speed button after a game over both start the power-on sequence.
void StartPowerOnSequence(TForm1& f) {
    f.G.AvvioStep = 1;
    f.TimerAvvio.SetInterval(kAvvioFirstBeep);
    f.TimerAvvio.SetEnabled(true);
}

// Game 1: an arrow at right angles to the heading stores the turn to make at the next step.
struct TurnKey {
    int key;
    int heading;
    int code;
};
constexpr TurnKey kTurnKeys[] = {
    // key       heading now   turn code
    {VK_UP, 2, 1},     // right to up
    {VK_UP, 4, 2},     // left to up
    {VK_RIGHT, 1, 3},  // up to right
    {VK_RIGHT, 3, 4},  // down to right
    {VK_DOWN, 2, 5},   // right to down
    {VK_DOWN, 4, 6},   // left to down
    {VK_LEFT, 1, 7},   // up to left
    {VK_LEFT, 3, 8},   // down to left
};
}  // namespace

void TForm1::FormKeyDown(int key) {
    if (key == VK_CONTROL) {
        // The button shows pressed even while the toy is off.
        Puls_Speed->SetVisible(false);
        if (!G.SpeedButtonDown) {  // the first key-down of a press, not a repeat
            G.SpeedButtonDown = true;
            G.EngineTone = kHumFast;
            TimerCycleZarq.SetInterval(G.SpeedTable[G.SpeedLevel][CycleZarqFast]);
            if (G.PlayEnabled && G.CurrentGame == 1) SuonaSpeaker(G.EngineTone);
        }
        if (G.PowerOn && !G.GameStarted) {
            // On and idle after a game over: a new power-on sequence.
            G.GameStarted = true;
            SvuotaSchermo();
            StartPowerOnSequence(*this);
        }
    }
    if (!G.PlayEnabled) return;

    if (G.CurrentGame == 1) {
        for (const TurnKey& t : kTurnKeys) {
            if (t.key == key && t.heading == G.ZarqDirection) G.ZarqTurnRequest = t.code;
        }
    } else if (G.CurrentGame == 2) {
        if (key == VK_CONTROL && G.ZarqHasDisc) {
            G.DiscCol = 1;
            G.DiscRow = G.ZarqRow;
            G.ZarqHasDisc = false;
            MostraDiscH(true);
            MostraZarq(true);
            Suona(G.SndDisc);
            G.DiscStartRow = G.ZarqRow;
            G.ZarqDiscStep = 1;
            TimerMuoviDiscZarq.SetEnabled(true);
        }
        // One step up or down per press, within positions 1 .. 4.
        auto move = [this](int by) {
            MostraZarq(false);
            G.ZarqRow += by;
            MostraZarq(true);
            G.MoveLocked = true;
            TimerMoveZarq.SetEnabled(true);
        };
        if (key == VK_UP && !G.MoveLocked && G.ZarqRow < 4) move(+1);
        if (key == VK_DOWN && !G.MoveLocked && G.ZarqRow > 1) move(-1);
    } else if (G.CurrentGame == 3) {
        if (key == VK_CONTROL && !G.MoveLocked) {
            G.PlayEnabled = false;
            G.MoveLocked = true;
            G.ZarqHasDisc = false;
            MostraZarq(true);
            G.DiscRow = 2;
            G.DiscCol = 1;
            MostraDiscH(true);
            Suona(G.SndDisc);
            G.Disc3Pos = 1;
            TimerMuoviDiscZarq2.SetEnabled(true);
        }
    }
}

void TForm1::FormKeyUp(int key) {
    if (key == VK_CONTROL) {
        G.SpeedButtonDown = false;
        G.EngineTone = kHumNormal;
        Puls_Speed->SetVisible(true);
        if (G.CurrentGame == 1 && G.PlayEnabled) {
            TimerCycleZarq.SetInterval(G.SpeedTable[G.SpeedLevel][CycleZarq]);
            SuonaSpeaker(G.EngineTone);
        }
    }
    G.MoveLocked = false;
}

void TForm1::Puls_OffMouseDown(TMouseButton button, int, int) {
    if (button != TMouseButton::mbLeft) return;
    Puls_Off->SetVisible(false);
    Puls_On->SetVisible(true);
    G.PowerOn = true;
    G.GameStarted = true;
    StartPowerOnSequence(*this);
}

void TForm1::Puls_OnMouseDown(TMouseButton button, int, int) {
    if (button != TMouseButton::mbLeft) return;
    Puls_On->SetVisible(false);
    Puls_Off->SetVisible(true);
    G.PowerOn = false;
    G.GameStarted = false;
    G.PlayEnabled = false;
    BloccaTimers();
    Silenzio();
    SvuotaSchermo();
}

void TForm1::Im_BaseMouseDown(TMouseButton, int x, int y) {
    G.DragStartX = x;
    G.DragStartY = y;
}

void TForm1::Im_BaseMouseMove(bool leftButtonHeld, int x, int y) {
    if (!leftButtonHeld) return;
    const TPoint pos = seams_.Window.WindowPos();
    seams_.Window.MoveWindow(pos.X + x - G.DragStartX, pos.Y + y - G.DragStartY);
}

}  // namespace zarq
