// Drag and drop.

#include "main/Form1.h"

void TForm1::LBox_FilesMouseDown(int, int) {}
void TForm1::RegisterDropTarget() {}
void TForm1::RevokeDropTarget() {}
