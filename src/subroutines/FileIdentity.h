#pragma once
// Whether two paths name one file or directory, asked of the file system:
// two spellings of one place (letter case, ".\", an 8.3 name, a junction or
// a directory link, a hard link) have one identity, whatever their texts.

#include <windows.h>

#include <optional>
#include <string>

// The volume serial number and the file ID of an existing file or directory.
struct FileIdentity {
    ULONGLONG volume = 0;
    FILE_ID_128 id{};
    bool operator==(const FileIdentity& other) const;
};

// For sets of identities, such as the directories a walk has visited.
struct FileIdentityHash {
    size_t operator()(const FileIdentity& identity) const;
};

// The identity of what `path` names (for a link: of what it points to); none
// when it does not exist or cannot be opened.
std::optional<FileIdentity> IdentityOf(const std::wstring& path);

// True when both paths exist and name one file or directory.
bool SameFileOrDirectory(const std::wstring& a, const std::wstring& b);

// True when `path` is the directory `dir` itself or lies anywhere below it.
// `path` need not exist: its existing ancestors are compared with `dir`, so
// a destination that is still to be made counts by where it would be made.
// The ancestors of where the nearest existing one really lies count too, so
// a link on the way into `dir` is no way round.
bool IsSameOrInside(const std::wstring& path, const std::wstring& dir);
