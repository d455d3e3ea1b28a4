// The compress command: the marked files, the cursor file or the whole tree
// of the cursor directory into a new ZIP archive in the current directory.

#include "settings/ZipCommand.h"

#include "dialogs/LogHist.h"
#include "dialogs/MessageDlg.h"
#include "main/Form1.h"
#include "settings/ZipTree.h"
#include "subroutines/Subroutines.h"

#include <vector>

namespace {

zip::ZipSource SourceOf(const TFileList& list, int i, const std::wstring& curDir) {
    return {curDir + EntryName(list, i), EntryName(list, i)};
}

bool CompressMarked(const TFileList& list, const std::wstring& curDir,
                    const std::wstring& archivePath) {
    std::vector<zip::ZipSource> sources;
    for (int i = 0; i < Count(list); ++i) {
        if (!EntryMarked(list, i))
            continue;
        if (EntryIsDir(list, i)) {
            ShowMessageDlg(L"複数ディレクトリやファイル混在は対応していません");
            return false;
        }
        sources.push_back(SourceOf(list, i, curDir));
    }
    zip::WriteArchive(archivePath, sources);
    return true;
}

// Asks for the archive's name. On OK `history` becomes the dialog's list,
// whose first entry is the archive's full path.
bool AskArchiveName(const std::wstring& curDir, TStringList& history) {
    HistPrompt = L"圧縮するファイル名を入れてください";
    HistInfo = L"圧縮先のパス名 = " + curDir;
    HistList = history;
    if (ShowHistDlg() != 1 || HistList.empty())
        return false;
    history = HistList;
    return true;
}

} // namespace

bool CompressEntries(const TFileList& list, int curIndex, const std::wstring& curDir,
                     const std::wstring& archivePath) {
    if (AnyMarked(list))
        return CompressMarked(list, curDir, archivePath);
    if (curIndex < 0 || curIndex >= Count(list))
        return false;
    if (!EntryIsDir(list, curIndex)) {
        zip::WriteArchive(archivePath, {SourceOf(list, curIndex, curDir)});
        return true;
    }
    if (EntryName(list, curIndex) == L"..")
        return true;
    zip::WriteArchive(archivePath, CollectTree(curDir + EntryName(list, curIndex) + L"\\"));
    return true;
}

void TForm1::CompressToZip() {
    TStringList history = ZipHistory;
    if (!AskArchiveName(CurDir, history))
        return;
    if (CompressEntries(FileList, CurIndex, CurDir, history.front()))
        ZipHistory = history;
}
