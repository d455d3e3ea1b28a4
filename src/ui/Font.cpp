#include "ui/Font.h"

#include <commdlg.h>

namespace ui {

int PointsToPixels(int points) {
    win::WindowDC screen(nullptr);
    return MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
}

LOGFONTW ToLogFont(const FontSpec& spec) {
    LOGFONTW lf{};
    lf.lfHeight = -PointsToPixels(spec.Size);
    lf.lfWeight = (spec.Style & StyleBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (spec.Style & StyleItalic) ? 1 : 0;
    lf.lfUnderline = (spec.Style & StyleUnderline) ? 1 : 0;
    lf.lfStrikeOut = (spec.Style & StyleStrikeOut) ? 1 : 0;
    lf.lfCharSet = spec.CharSet;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(lf.lfFaceName, spec.Name.c_str(), LF_FACESIZE);
    return lf;
}

FontSpec FromLogFont(const LOGFONTW& lf, int points, COLORREF color) {
    FontSpec spec;
    spec.Name = lf.lfFaceName;
    spec.CharSet = lf.lfCharSet;
    spec.Color = color;
    spec.Size = points;
    spec.Style = static_cast<BYTE>(
        (lf.lfWeight >= FW_BOLD ? StyleBold : 0) | (lf.lfItalic ? StyleItalic : 0) |
        (lf.lfUnderline ? StyleUnderline : 0) | (lf.lfStrikeOut ? StyleStrikeOut : 0));
    return spec;
}

win::UniqueFont CreateFontFrom(const FontSpec& spec) {
    LOGFONTW lf = ToLogFont(spec);
    return win::UniqueFont(CreateFontIndirectW(&lf));
}

bool ChooseFontDialog(HWND owner, FontSpec& spec) {
    LOGFONTW lf = ToLogFont(spec);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.rgbColors = spec.Color;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontW(&cf))
        return false;
    spec = FromLogFont(lf, cf.iPointSize / 10, cf.rgbColors);
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
