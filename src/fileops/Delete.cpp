// Delete: the marked entries or the cursor entry, after one confirmation.
// The deleted entries leave FileList; the list is not rescanned.

#include "dialogs/MessageDlg.h"
#include "dialogs/MsgBox.h"
#include "main/Form1.h"
#include "subroutines/FileSystem.h"
#include "subroutines/Subroutines.h"

#include <algorithm>

namespace {

// Confirms with TMsgBox; the dialog reference is dropped whatever the answer.
bool Confirm(const std::wstring& text) {
    MsgBoxText = text;
    int result = ShowMsgBox();
    MsgBox = nullptr;
    return result == ui::mrOk;
}

} // namespace

void TForm1::DeleteCommand() {
    if (FileList.empty())
        return;
    if (AnyMarked(FileList)) {
        if (Confirm(L"マークされたファイルを削除します")) {
            int removed = 0;
            try {
                for (int i = 0; i < Count(FileList);) {
                    if (EntryMarked(FileList, i) && DeleteEntry(i))
                        ++removed; // the next entry has moved into place i
                    else
                        ++i;
                }
            } catch (...) {
                // The walk ends here; the cursor must still address the
                // shortened list.
                CurIndex -= removed;
                ClampCursor();
                throw;
            }
            CurIndex -= removed;
        }
    } else {
        if (EntryName(FileList, CurIndex) == L"..")
            return;
        if (Confirm(EntryName(FileList, CurIndex) + L"を削除します"))
            DeleteEntry(CurIndex);
    }
    ClampCursor();
}

void TForm1::DeleteCursorEntry() {
    if (FileList.empty() || EntryName(FileList, CurIndex) == L"..")
        return;
    if (!Confirm(EntryName(FileList, CurIndex) + L"を削除します"))
        return;
    DeleteEntry(CurIndex);
    ClampCursor();
}

bool TForm1::DeleteEntry(int i) {
    std::wstring path = CurDir + EntryName(FileList, i);
    if (EntryIsDir(FileList, i)) {
        // The entry goes even when part of the tree survived; a rescan
        // brings back what is still there.
        DeleteDirectory(path);
    } else if (!DeleteFileW(path.c_str()) && !(IsDirectoryLink(path) && RemoveLinkOnly(path))) {
        ShowMessageDlg(L"削除に失敗しました");
        return false;
    }
    FileList.erase(FileList.begin() + i);
    return true;
}

void TForm1::ClampCursor() {
    if (CurIndex < 0)
        CurIndex = 0;
    if (CurIndex >= Count(FileList))
        CurIndex = Count(FileList) - 1;
    PageTop = (CurIndex / std::max(1, PageLines)) * std::max(1, PageLines);
    DrawPage();
}
