// Entering directories and changing drives.

#include "main/Form1.h"

void TForm1::EnterCursorEntry() {}
void TForm1::ChangeDrive() {}
bool TForm1::EnterEntry() {
    return false;
}
