// The page of the list that is shown, and the painting of its lines.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"

#include <algorithm>

void TForm1::DrawPage() {
    LBox_Files->BeginUpdate();
    LBox_Files->Clear();
    for (int k = 0; k < PageLines; ++k)
        if (PageTop + k < Count(FileList))
            LBox_Files->Add(LineText(FileList, PageTop + k));
    LBox_Files->SetFocus();
    LBox_Files->EndUpdate();
    SelectLine(CurIndex - PageTop);
    ShowPageIndicator();
}

void TForm1::SelectLine(int k) {
    if (LBox_Files->ItemIndex() != k)
        LBox_Files->SetItemIndex(k);
}

void TForm1::ShowPageIndicator() {
    int lines = std::max(1, PageLines);
    int pages = (Count(FileList) - 1) / lines + 1;
    int page = PageTop / lines + 1;
    SText_Page->SetText(L"Page= " + std::to_wstring(page) + L"/" + std::to_wstring(pages));
}

void TForm1::PlaceCursor(int i) {
    PageTop = (i / std::max(1, PageLines)) * std::max(1, PageLines);
    CurIndex = i;
    DrawPage();
}

void TForm1::NormalisePage() {
    int count = Count(FileList);
    int lines = std::max(1, PageLines);
    if (count == 0) {
        CurIndex = 0;
        PageTop = 0;
        return;
    }
    CurIndex = std::clamp(CurIndex, 0, count - 1);
    PageTop = (CurIndex / lines) * lines;
}

// The normal colour of a line: directories by their attributes, the rest by
// whether the line shows "<dir>".
COLORREF LineFontColor(int32_t attr, bool showsDir) {
    if (attr & FILE_ATTRIBUTE_DIRECTORY) {
        if (attr & FILE_ATTRIBUTE_SYSTEM)
            return clMagenta;
        if (attr & FILE_ATTRIBUTE_HIDDEN)
            return clGreen;
        if (attr & FILE_ATTRIBUTE_READONLY)
            return clYellow;
    }
    return showsDir ? clCyan : clWhite;
}

bool IsCursorLineState(UINT state) {
    // The keyboard-cue bits say how to draw focus and accelerators, not what
    // state the line is in.
    UINT s = state & ~(ODS_NOACCEL | ODS_NOFOCUSRECT);
    return (s & ~ODS_FOCUS) == ODS_SELECTED;
}

void TForm1::LBox_FilesDrawItem(HDC dc, int index, const RECT& rect, UINT state) {
    try {
        if (PageTop + index >= Count(FileList))
            return;
        std::wstring t = LBox_Files->Item(index);
        size_t sep = t.find(L'\\');
        std::wstring left = t.substr(0, sep);
        std::wstring right = L"  " + (sep == std::wstring::npos ? L"" : t.substr(sep + 1));
        bool showsDir = t.find(L"<dir>") != std::wstring::npos;
        COLORREF font = LineFontColor(EntryAttr(FileList, PageTop + index), showsDir);
        COLORREF back = WindowColor;
        if (IsCursorLineState(state)) {
            font = clBlack;
            back = showsDir ? clCyan : clWhite;
        }
        win::SelectGuard select(dc, LineFont ? LineFont.get() : LBox_Files->FontHandle());
        SetTextColor(dc, font);
        SetBkColor(dc, back);
        SetBkMode(dc, OPAQUE);
        win::UniqueBrush brush(CreateSolidBrush(back));
        FillRect(dc, &rect, brush.get());
        TextOutW(dc, rect.left, rect.top, left.c_str(), static_cast<int>(left.size()));
        SIZE size{};
        GetTextExtentPoint32W(dc, right.c_str(), static_cast<int>(right.size()), &size);
        int x = (rect.right - rect.left) - size.cx;
        TextOutW(dc, x, rect.top, right.c_str(), static_cast<int>(right.size()));
        // No focus rectangle: the list control leaves an owner-drawn line's
        // focus to its owner, and the cursor line's colours already show it.
    } catch (...) {
        // A line that cannot be painted stays as far as it was drawn.
    }
}
