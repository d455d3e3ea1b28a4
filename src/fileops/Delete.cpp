// Delete.

#include "main/Form1.h"

void TForm1::DeleteCommand() {}
void TForm1::DeleteCursorEntry() {}
