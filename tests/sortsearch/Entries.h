#pragma once
// Entry lists made in memory, for tests that need an exact order.

#include "main/Form1.h"

#include <string>
#include <vector>

// Replaces the window's entries: ".." as a directory, every other name as a
// file; the cursor goes to the top.
inline void SetEntries(TForm1& f, const std::vector<std::wstring>& names) {
    f.FileList.clear();
    for (const auto& name : names) {
        auto rec = std::make_unique<TDataRec>();
        rec->FileName = name;
        rec->FileAttr = name == L".." ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        f.FileList.push_back(std::move(rec));
    }
    f.CurIndex = f.PageTop = 0;
}

inline std::vector<std::wstring> EntryNames(const TFileList& list) {
    std::vector<std::wstring> names;
    for (const auto& e : list)
        names.push_back(e->FileName);
    return names;
}
