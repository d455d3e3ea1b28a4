// Entering directories and changing drives.

#include "dialogs/LogHist.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"

namespace {

// The last component of a directory path: "src" for C:\work\src\.
std::wstring LastComponent(const std::wstring& dir) {
    return FileNamePart(ExcludeTrailingBackslash(dir));
}

std::wstring CleanDirectory(const std::wstring& path) {
    return CollapseDelimiters(IncludeTrailingBackslash(path));
}

} // namespace

bool TForm1::EnterEntry() {
    if (CurIndex < 0 || CurIndex >= Count(FileList))
        return false;
    std::wstring name = EntryName(FileList, CurIndex);
    std::wstring detail = DetailText(FileList, CurIndex);
    CurDir = CleanDirectory(CurDir);
    if (name == L"..") {
        std::wstring left = LastComponent(CurDir);
        CurDir = CleanDirectory(FullPathName(CurDir + L".."));
        ChangeDir(true);
        int i = IndexOfName(FileList, left);
        if (i >= 0 && EntryIsDir(FileList, i)) {
            PageTop = (i / PageLines) * PageLines;
            CurIndex = i;
            if (PageTop == 0)
                SelectLine(i); // the first page is drawn already
            else
                DrawPage();
        }
        return true;
    }
    if (detail.starts_with(L"<dir>")) {
        CurDir = CleanDirectory(CurDir + name);
        ChangeDir(true);
        return true;
    }
    return false;
}

void TForm1::EnterCursorEntry() {
    if (!FileList.empty())
        EnterEntry();
}

void TForm1::ChangeDrive() {
    HistPrompt = L"変更するドライブ名を入れてください";
    HistInfo = DriveListText();
    HistList = DirHistory;
    if (ShowHistDlg() == ui::mrOk && !HistList.empty()) {
        CurDir = CollapseDelimiters(HistList[0]);
        ChangeDir(true);
        DirHistory = HistList;
    }
}

std::wstring TForm1::DriveListText(DWORD drives) {
    std::wstring text = L"[ ";
    for (int i = 0; i < 26; ++i)
        if (drives & (1u << i)) {
            text += static_cast<wchar_t>(L'A' + i);
            text += L' ';
        }
    return text + L"]";
}
