// The quick-access directory command.

#include "main/Form1.h"

void TForm1::SelectQaccessDir() {}
