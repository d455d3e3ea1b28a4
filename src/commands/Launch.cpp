// Opening files in the editor or with their associated program.

#include "main/Form1.h"

void TForm1::EditCursorFile() {}
void TForm1::OpenCursorFile() {}
void TForm1::OpenWithShell() {}
void TForm1::NotSupported() {}
