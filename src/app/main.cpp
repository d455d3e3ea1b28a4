// Program start: the file list window and the message loop.

#include "main/Form1.h"
#include "ui/Application.h"
#include "win/Handle.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
    win::OleInit ole;
    int result = 0;
    ui::Guarded([&] {
        auto form = std::make_unique<TForm1>();
        form->Show();
        ui::App().Run();
    });
    return result;
}
