// Rename and make directory, both asking through TMakeDir.

#include "dialogs/MakeDir.h"
#include "dialogs/MessageDlg.h"
#include "dialogs/RenProp.h"
#include "main/Form1.h"
#include "settings/History.h"
#include "subroutines/FileSystem.h"
#include "subroutines/Subroutines.h"

#include <algorithm>

namespace {

const wchar_t* const NewNamePrompt = L"新しい名前を入力してください";

} // namespace

std::wstring TForm1::NameFromInput() const {
    std::wstring text = MakeDirResult;
    if (!text.empty() && text.back() == L'\\')
        text.pop_back();
    size_t sep = text.find_last_of(L"\\:");
    return CurDir + (sep == std::wstring::npos ? text : text.substr(sep + 1));
}

void TForm1::MakeDirCommand() {
    MakeDirPrompt = L"新しいディレクトリ名を入力してください";
    MakeDirText.clear();
    int result = ShowMakeDir();
    MakeDir = nullptr;
    if (result != ui::mrOk)
        return;
    std::wstring path = NameFromInput();
    std::wstring name = path.substr(CurDir.size());
    // Nothing to make: the list and the current directory stay as they are.
    if (name.empty() || name == L"." || name == L"..")
        return;
    MakeDirectories(path);
    AddHistory(path, DirHistory);
    CurDir =
        CollapseDelimiters(IncludeTrailingBackslash(path.substr(0, path.size() - name.size())));
    if (CurDir.empty())
        return;
    ChangeDir(true);
    int i = IndexOfName(FileList, name);
    if (i < 0 || !EntryIsDir(FileList, i))
        return;
    PageTop = (i / std::max(1, PageLines)) * std::max(1, PageLines);
    CurIndex = i;
    if (PageTop == 0)
        SelectLine(i);
    else
        DrawPage();
}

void TForm1::RenameCommand() {
    if (FileList.empty())
        return;
    if (!AnyMarked(FileList)) {
        MakeDirPrompt = NewNamePrompt;
        MakeDirText = EntryName(FileList, CurIndex);
        if (MakeDirText == L"..")
            return;
        int result = ShowMakeDir();
        MakeDir = nullptr;
        if (result != ui::mrOk)
            return;
        std::wstring newName = RenameEntry();
        SortFileList();
        PlaceCursorOnName(newName);
        DrawPage();
        return;
    }
    int confirmed = ShowRenProp();
    RenProp = nullptr;
    if (confirmed != ui::mrOk)
        return;
    std::wstring lastNewName;
    int count = Count(FileList);
    for (int i = 0; i < count; ++i) {
        if (!EntryMarked(FileList, i))
            continue;
        BusyScope busy(Busy);
        MakeDirPrompt = NewNamePrompt;
        MakeDirText = EntryName(FileList, i);
        int result = ShowMakeDir();
        MakeDir = nullptr;
        if (result == ui::mrOk)
            lastNewName = RenameEntry();
    }
    SortFileList();
    PlaceCursorOnName(lastNewName);
    DrawPage();
}

void TForm1::PlaceCursorOnName(const std::wstring& name) {
    int i = name.empty() ? -1 : IndexOfName(FileList, name);
    if (i < 0)
        return;
    PageTop = (i / std::max(1, PageLines)) * std::max(1, PageLines);
    CurIndex = i;
}

std::wstring TForm1::RenameEntry() {
    // The entry's own name, blanks in front included: without them it may
    // name another file.
    std::wstring oldName = MakeDirText;
    std::wstring oldPath = CurDir + oldName;
    std::wstring newPath = NameFromInput();
    std::wstring newFileName = FileNamePart(newPath);
    if (newPath == oldPath && GetFileAttributesW(newPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ShowMessageDlg(newFileName + L" が存在しているのでリネームできません");
        return {};
    }
    switch (RenamePath(oldPath, newPath)) {
    case RenameResult::Renamed:
        // newPath always lies in CurDir: only the last component is used.
        if (int i = IndexOfName(FileList, oldName); i >= 0)
            FileList[i]->FileName = newFileName;
        return newFileName;
    case RenameResult::NameNotKept:
        ShowMessageDlg(L"この名前では保存できないのでリネームできません: " + newFileName);
        return {};
    case RenameResult::NoTemporaryName:
        ShowMessageDlg(L"作業用の一時的な名前を作れないのでリネームできません: " + newFileName);
        return {};
    case RenameResult::Failed:
        break;
    }
    ShowMessageDlg(L"リネームに失敗しました");
    return {};
}
