// The compress command.

#include "main/Form1.h"

void TForm1::CompressToZip() {}
