// The three controls of the toy: the control pad and speed button on the keyboard, the power
// switch under the mouse, and dragging of the borderless window.
#include "Unit1.h"

namespace zarq {

void TForm1::FormKeyDown(int) {}
void TForm1::FormKeyUp(int) {}
void TForm1::Puls_OffMouseDown(TMouseButton, int, int) {}
void TForm1::Puls_OnMouseDown(TMouseButton, int, int) {}
void TForm1::Im_BaseMouseDown(TMouseButton, int, int) {}
void TForm1::Im_BaseMouseMove(bool, int, int) {}

}  // namespace zarq
