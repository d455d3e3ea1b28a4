#include "support/WindowDriver.h"

#include <fstream>

void SetShiftState(bool shift, bool ctrl) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_LSHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
}

void PostKey(HWND hwnd, WORD vk, bool shift) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    (void)shift;
}

WindowDriver::WindowDriver(const std::wstring& startDir, const std::wstring& extraIni) {
    iniDir_ = std::make_unique<TempTree>();
    ini_ = iniDir_->Path(L"PELMO.INI");
    std::wstring content = L"[Parameter]\r\nfDir=" + startDir + L"\r\n" + extraIni;
    {
        // UTF-16LE with a byte-order mark, as the program creates it.
        std::ofstream out(ini_.c_str(), std::ios::binary);
        out.write("\xFF\xFE", 2);
        out.write(reinterpret_cast<const char*>(content.data()),
                  static_cast<std::streamsize>(content.size() * sizeof(wchar_t)));
    }
    ui::App().ErrorReporter = [this](const std::wstring& text) { Errors.push_back(text); };
    ui::App().OnModalStart = [this](ui::Form& dialog) {
        ++dialogsShown_;
        if (steps_.empty()) {
            dialog.SetModalResult(ui::mrCancel); // nobody answers: leave it
            return;
        }
        auto step = steps_.front();
        steps_.erase(steps_.begin());
        step(dialog);
    };
    form_ = std::make_unique<TForm1>(ini_);
    form_->Show();
    Pump();
}

WindowDriver::~WindowDriver() {
    ui::App().OnModalStart = nullptr;
    ui::App().ErrorReporter = nullptr;
    if (form_ && form_->Handle())
        Close();
    form_.reset();
    ui::App().PumpUntilIdle(10, 1000);
    ui::App().ClearQuit(); // the next test's window runs its own loops
    SetShiftState(false);
}

void WindowDriver::Pump() {
    ui::App().PumpUntilIdle();
}

void WindowDriver::Key(WORD vk, bool shift, bool ctrl) {
    SetShiftState(shift, ctrl);
    HWND target = GetFocus();
    if (!target)
        target = form_->LBox_Files->Handle();
    PostKey(target, vk, shift);
    Pump();
    SetShiftState(false);
}

std::vector<std::wstring> WindowDriver::Lines() {
    std::vector<std::wstring> lines;
    for (int i = 0; i < form_->LBox_Files->Count(); ++i)
        lines.push_back(form_->LBox_Files->Item(i));
    return lines;
}

int WindowDriver::SelectedLine() {
    return form_->LBox_Files->ItemIndex();
}

void WindowDriver::Close() {
    SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    Pump();
}

void WindowDriver::OnDialogs(std::vector<std::function<void(ui::Form&)>> steps) {
    steps_ = std::move(steps);
}
