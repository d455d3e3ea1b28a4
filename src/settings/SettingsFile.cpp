// The settings file beside the executable.

#include "main/Form1.h"

void TForm1::ReadIniFile() {
    wchar_t buf[2048];
    GetPrivateProfileStringW(L"Parameter", L"fDir", L"C:\\", buf, 2048, IniPath.c_str());
    CurDir = buf;
}

void TForm1::WriteIniFile() {}
