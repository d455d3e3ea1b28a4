#include "ui/Font.h"

#include "ui/Dpi.h"

#include <commdlg.h>

namespace ui {

int PointsToPixels(int points, int dpi) {
    return MulDiv(points, dpi > 0 ? dpi : WindowDpi(nullptr), 72);
}

LOGFONTW ToLogFont(const FontSpec& font, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -PointsToPixels(font.Size, dpi);
    lf.lfWeight = (font.Style & StyleBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (font.Style & StyleItalic) ? 1 : 0;
    lf.lfUnderline = (font.Style & StyleUnderline) ? 1 : 0;
    lf.lfStrikeOut = (font.Style & StyleStrikeOut) ? 1 : 0;
    lf.lfCharSet = font.CharSet;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    return lf;
}

FontSpec FromLogFont(const LOGFONTW& lf, int points, COLORREF color) {
    FontSpec font;
    font.Name = lf.lfFaceName;
    font.CharSet = lf.lfCharSet;
    font.Color = color;
    font.Size = points;
    font.Style = static_cast<BYTE>(
        (lf.lfWeight >= FW_BOLD ? StyleBold : 0) | (lf.lfItalic ? StyleItalic : 0) |
        (lf.lfUnderline ? StyleUnderline : 0) | (lf.lfStrikeOut ? StyleStrikeOut : 0));
    return font;
}

win::UniqueFont CreateFontFrom(const FontSpec& font, int dpi) {
    LOGFONTW lf = ToLogFont(font, dpi);
    return win::UniqueFont(CreateFontIndirectW(&lf));
}

bool ChooseFontDialog(HWND owner, FontSpec& font) {
    LOGFONTW lf = ToLogFont(font);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.rgbColors = font.Color;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontW(&cf))
        return false;
    font = FromLogFont(lf, cf.iPointSize / 10, cf.rgbColors);
    return true;
}

SIZE MeasureText(HFONT font, const std::wstring& text) {
    win::UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    win::SelectGuard select(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

} // namespace ui
