// The settings file beside the executable.

#include "main/Form1.h"

void TForm1::ReadIniFile() {
    if (CurDir.empty())
        CurDir = L"C:\\";
}

void TForm1::WriteIniFile() {}
