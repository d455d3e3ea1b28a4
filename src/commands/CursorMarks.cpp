// Cursor movement and marking.

#include "main/Form1.h"

void TForm1::CursorDown(bool) {}
void TForm1::CursorUp(bool) {}
void TForm1::PrevPage() {}
void TForm1::NextPage() {}
void TForm1::ToggleMark() {}
void TForm1::InvertMarks() {}
void TForm1::ClearOrMarkAll() {}
