// The compress command: the marked files, the cursor file or the whole tree
// of the cursor directory into a new ZIP archive in the current directory.

#include "settings/ZipCommand.h"

#include "dialogs/LogHist.h"
#include "dialogs/MessageDlg.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <string_view>
#include <vector>

namespace {

[[noreturn]] void RaiseCannotOpen(const std::wstring& path, DWORD code) {
    throw win::AppError(L"ファイル " + path + L" は開けません。 " + win::ErrorText(code) + L" ",
                        code);
}

bool IsDotName(const wchar_t* name) {
    return std::wstring_view(name) == L"." || std::wstring_view(name) == L"..";
}

void CollectInto(const std::wstring& dir, const std::wstring& prefix,
                 std::vector<zip::ZipSource>& out) {
    if (dir.size() >= MaxDirPath)
        RaiseCannotOpen(dir, ERROR_FILENAME_EXCED_RANGE);
    WIN32_FIND_DATAW data;
    win::UniqueFind find(FindFirstFileW((dir + L"*").c_str(), &data));
    if (!find) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return;
        RaiseCannotOpen(dir, code);
    }
    do {
        if (IsDotName(data.cFileName))
            continue;
        std::wstring path = dir + data.cFileName;
        std::wstring name = prefix + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A linked directory may lead back into the tree; its files are
            // not ours to collect.
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                CollectInto(path + L"\\", name + L"/", out);
            continue;
        }
        if (path.size() >= MAX_PATH)
            RaiseCannotOpen(path, ERROR_FILENAME_EXCED_RANGE);
        uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        out.push_back({path, name, size});
    } while (FindNextFileW(find.get(), &data));
    DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES)
        RaiseCannotOpen(dir, code);
}

zip::ZipSource SourceOf(const TFileList& list, int i, const std::wstring& curDir) {
    return {curDir + EntryName(list, i), EntryName(list, i),
            static_cast<uint64_t>(EntrySize(list, i))};
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

std::vector<zip::ZipSource> CollectTree(const std::wstring& dir) {
    std::vector<zip::ZipSource> sources;
    CollectInto(dir, L"", sources);
    return sources;
}

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
