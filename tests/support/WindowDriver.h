#pragma once
// Drives the real file list window in a test: creates it on a directory with
// a settings file of the test's own, posts real key messages and pumps the
// message loop until the window is idle.

#include "main/Form1.h"
#include "support/TempTree.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class WindowDriver {
  public:
    // Writes a settings file whose start directory is `startDir` (more lines
    // of "Parameter" may follow in `extraParameters`), then creates and shows
    // the window.
    explicit WindowDriver(const std::wstring& startDir, const std::wstring& extraIni = L"");
    ~WindowDriver();

    TForm1& Form() { return *form_; }
    const std::wstring& IniPath() const { return ini_; }

    void Pump();
    // A key press as the keyboard makes it: WM_KEYDOWN (and WM_CHAR for
    // characters) through the message loop, Shift/Ctrl held through the
    // keyboard state.
    void Key(WORD vk, bool shift = false, bool ctrl = false);
    // The texts of the list box lines.
    std::vector<std::wstring> Lines();
    int SelectedLine();
    // Closes the window as the close box does (writes the settings).
    void Close();

    // Answers the next modal dialogs in order: each step runs when a dialog's
    // loop starts.
    void OnDialogs(std::vector<std::function<void(ui::Form&)>> steps);
    int DialogsShown() const { return dialogsShown_; }
    // Texts given to the standard error report.
    std::vector<std::wstring> Errors;

  private:
    std::unique_ptr<TempTree> iniDir_;
    std::wstring ini_;
    std::unique_ptr<TForm1> form_;
    std::vector<std::function<void(ui::Form&)>> steps_;
    int dialogsShown_ = 0;
};

// Posts a key to a window (a dialog's control, for example) as the keyboard does.
void PostKey(HWND hwnd, WORD vk, bool shift = false);
void SetShiftState(bool shift, bool ctrl = false);
