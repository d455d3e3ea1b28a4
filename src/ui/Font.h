#pragma once
// Font descriptions as the settings file stores them, and GDI fonts made from them.

#include "win/Handle.h"

#include <windows.h>

#include <string>

namespace ui {

enum FontStyle : BYTE { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };

struct FontSpec {
    std::wstring Name = L"ＭＳ ゴシック";
    BYTE CharSet = SHIFTJIS_CHARSET;
    COLORREF Color = RGB(0, 0, 0);
    int Size = 12; // points
    BYTE Style = 0;
    bool operator==(const FontSpec&) const = default;
};

// Pixel height of the characters for a size in points at `dpi` (0: the
// system DPI).
int PointsToPixels(int points, int dpi = 0);
win::UniqueFont CreateFontFrom(const FontSpec& font, int dpi = 0);
// The font as a LOGFONT (the font selection dialog works at the system DPI).
LOGFONTW ToLogFont(const FontSpec& font, int dpi = 0);
FontSpec FromLogFont(const LOGFONTW& lf, int points, COLORREF color);

// Shows the font selection dialog over `owner`; false when the user cancels.
bool ChooseFontDialog(HWND owner, FontSpec& font);

// Width and height of `text` in `font`, measured on a scratch DC.
SIZE MeasureText(HFONT font, const std::wstring& text);

} // namespace ui
