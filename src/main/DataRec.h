#pragma once
// One entry of the current directory, and the window's ordered list of them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TDataRec {
    int32_t FileAttr = 0;  // Windows attribute bits as the enumeration returns them
    double FileDate = 0;   // local last-write time: days since 1899-12-30
    std::wstring FileName; // without any path
    int64_t FileSize = 0;  // 0 for directories
    bool Marked = false;
};

// Owns its records; index positions (CurIndex, PageTop) address them.
using TFileList = std::vector<std::unique_ptr<TDataRec>>;

using TStringList = std::vector<std::wstring>;
