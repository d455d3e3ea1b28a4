#pragma once
// Every dialog's controls take the main window's font, colour included, at
// min(size - 2, 12) points.

#include "ui/Application.h"
#include "ui/Font.h"
#include "ui/Form.h"

#include <algorithm>

inline ui::FontSpec DialogFont() {
    ui::FontSpec font;
    if (ui::Form* main = ui::App().MainForm())
        font = main->Font();
    font.Size = std::min(font.Size - 2, 12);
    return font;
}

// The main window's current caption (dialogs take it as their own).
inline std::wstring MainCaption() {
    ui::Form* main = ui::App().MainForm();
    return main ? main->Caption() : std::wstring();
}

// The owner window of dialogs.
inline HWND MainHandle() {
    ui::Form* main = ui::App().MainForm();
    return main ? main->Handle() : nullptr;
}

// The style of the program's dialogs: dialog border, system menu only.
inline ui::FormStyle DialogStyle(int clientWidth, int clientHeight) {
    ui::FormStyle style;
    style.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    style.exStyle = WS_EX_DLGMODALFRAME;
    style.clientWidth = clientWidth;
    style.clientHeight = clientHeight;
    return style;
}
