// The scan of the current directory into FileList.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "win/Handle.h"

void TForm1::ClearFileList() {
    while (!FileList.empty())
        FileList.pop_back();
}

// The nearest existing directory at or above `dir`; empty when none exists
// (a missing drive: the parent of Q:\ is Q:\ again).
static std::wstring NearestExistingDirectory(std::wstring dir) {
    while (!DirectoryExists(dir)) {
        std::wstring parent = CollapseDelimiters(
            IncludeTrailingBackslash(FullPathName(IncludeTrailingBackslash(dir) + L"..")));
        // No progress (the parent of Q:\ is Q:\ again) or no answer: no ancestor.
        if (parent.size() >= CollapseDelimiters(IncludeTrailingBackslash(dir)).size())
            return L"";
        dir = parent;
    }
    return dir;
}

void TForm1::ScanDir() {
    std::wstring existing = NearestExistingDirectory(CurDir);
    ClearFileList();
    if (!existing.empty()) {
        CurDir = CollapseDelimiters(IncludeTrailingBackslash(existing));
        WIN32_FIND_DATAW fd;
        win::UniqueFind find(FindFirstFileExW((CurDir + L"*.*").c_str(), FindExInfoBasic, &fd,
                                              FindExSearchNameMatch, nullptr,
                                              FIND_FIRST_EX_LARGE_FETCH));
        if (find) {
            do {
                if (wcscmp(fd.cFileName, L".") == 0)
                    continue;
                auto rec = std::make_unique<TDataRec>();
                rec->FileAttr = static_cast<int32_t>(fd.dwFileAttributes);
                rec->FileDate = FileTimeToLocalDate(fd.ftLastWriteTime);
                rec->FileName = fd.cFileName;
                rec->FileSize =
                    (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                        ? 0
                        : static_cast<int64_t>((static_cast<uint64_t>(fd.nFileSizeHigh) << 32) |
                                               fd.nFileSizeLow);
                FileList.push_back(std::move(rec));
            } while (FindNextFileW(find.get(), &fd));
        }
    }
    SortFileList();
    DirScanned = true;
}
