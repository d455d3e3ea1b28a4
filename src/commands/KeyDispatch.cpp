// Key dispatch: the application-wide hook and the list's own keys.

#include "main/Form1.h"

void TForm1::AppMessage(MSG&, bool&) {}
void TForm1::LBox_FilesKeyDown(WORD&, unsigned) {}
void TForm1::LBox_FilesDblClick() {}
bool TForm1::FormMouseWheel(int) { return true; }
