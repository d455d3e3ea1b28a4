// Copy and move.

#include "main/Form1.h"

void TForm1::CopyCommand() {}
void TForm1::MoveCommand() {}
