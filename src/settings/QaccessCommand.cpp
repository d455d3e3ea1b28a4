// The quick-access directory command.

#include "dialogs/MessageDlg.h"
#include "dialogs/Qaccess.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"

namespace {

// Whether `dir` or one of its ancestors exists: a directory that is gone is
// shown as its nearest existing ancestor, but a drive that is gone has none.
bool HasExistingAncestor(const std::wstring& dir) {
    auto clean = [](const std::wstring& p) {
        return CollapseDelimiters(IncludeTrailingBackslash(FullPathName(p)));
    };
    std::wstring here = clean(dir);
    while (!DirectoryExists(here)) {
        std::wstring parent = clean(here + L"..");
        if (parent.size() >= here.size()) // the root, or a path Windows cannot resolve
            return false;
        here = parent;
    }
    return true;
}

} // namespace

void TForm1::SelectQaccessDir() {
    QaccessPrompt = L"ディレクトリを選択してください";
    if (ShowQaccess() != ui::mrOk || QaccessDirList.empty())
        return;
    if (!HasExistingAncestor(QaccessDirList[0])) {
        ShowMessageDlg(L"指定されたパスは存在しません");
        return;
    }
    CurDir = QaccessDirList[0];
    ChangeDir(true);
}
