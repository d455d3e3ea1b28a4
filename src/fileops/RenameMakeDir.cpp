// Rename and make directory.

#include "main/Form1.h"

void TForm1::RenameCommand() {}
void TForm1::MakeDirCommand() {}
