#include "subroutines/FileSystem.h"

#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <windows.h>

#include <vector>

namespace {

// Paths below a deep tree may pass MAX_PATH; the extended form reaches them.
std::wstring ExtendedPath(const std::wstring& path) {
    if (path.size() < MAX_PATH - 1 || path.starts_with(L"\\\\?\\"))
        return path;
    if (path.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring LastComponent(const std::wstring& path) {
    std::wstring p = ExcludeTrailingBackslash(path);
    size_t sep = p.find_last_of(L"\\:");
    return sep == std::wstring::npos ? p : p.substr(sep + 1);
}

std::wstring ParentOf(const std::wstring& path) {
    return DirPart(ExcludeTrailingBackslash(path));
}

bool HasWildcard(const std::wstring& name) {
    return name.find_first_of(L"*?") != name.npos;
}

// A handle on the link at `path` itself, or none when the system opens only
// what the link points to.
win::UniqueHandle OpenLinkItself(const std::wstring& path, DWORD access) {
    win::UniqueHandle h(
        CreateFileW(ExtendedPath(path).c_str(), access | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h)
        return {};
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
        !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return {};
    return h;
}

struct FoundEntry {
    std::wstring name;
    DWORD attr;
};

// The entries of a directory except "." and "..", read completely before
// anything in it is removed.
std::vector<FoundEntry> ListDirectory(const std::wstring& dir) {
    std::vector<FoundEntry> entries;
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW(ExtendedPath(dir + L"\\*").c_str(), &fd));
    if (!find)
        return entries;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({name, fd.dwFileAttributes});
    } while (FindNextFileW(find.get(), &fd));
    return entries;
}

void DeleteContents(const std::wstring& dir) {
    for (const auto& entry : ListDirectory(dir)) {
        std::wstring path = dir + L"\\" + entry.name;
        std::wstring ext = ExtendedPath(path);
        if (entry.attr & FILE_ATTRIBUTE_REPARSE_POINT) {
            // Never entered and never given attributes: both would reach
            // the target outside the tree.
            RemoveLinkOnly(path);
            continue;
        }
        if (entry.attr & FILE_ATTRIBUTE_DIRECTORY)
            DeleteContents(path);
        SetFileAttributesW(ext.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.attr & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryW(ext.c_str());
        else
            DeleteFileW(ext.c_str());
    }
}

// A free temporary name for the two-step rename of `path`, exactly as long as
// its own name, so that it fits wherever the final name fits (the path
// limit, a file system's limit on the bytes of one name); empty when none is
// found. Names are "~" and base-36 digits; a one-character name tries the
// single digits.
std::wstring FreeTemporaryName(const std::wstring& path, DWORD& error) {
    constexpr unsigned Tries = 64;
    const wchar_t* digits = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::wstring dir = ParentOf(path);
    size_t length = LastComponent(path).size();
    unsigned start = GetTickCount() ^ GetCurrentProcessId();
    error = ERROR_FILE_EXISTS;
    for (unsigned n = 0; n < Tries; ++n) {
        std::wstring name(length, L'0');
        unsigned value = start + n;
        for (size_t k = length; k-- > 0;) {
            name[k] = digits[value % 36];
            value /= 36;
        }
        if (length > 1)
            name[0] = L'~';
        std::wstring candidate = dir + L"\\" + name;
        if (GetFileAttributesW(ExtendedPath(candidate).c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return candidate;
        // Anything but "not there" says nothing about whether the name is
        // free: give up rather than guess.
        error = code;
        return {};
    }
    return {};
}

RenameResult MoveCaseOnly(const std::wstring& oldPath, const std::wstring& newPath) {
    DWORD error = 0;
    std::wstring temporary = FreeTemporaryName(oldPath, error);
    if (temporary.empty()) {
        SetLastError(error);
        return RenameResult::NoTemporaryName;
    }
    if (!MoveFileW(oldPath.c_str(), temporary.c_str()))
        return RenameResult::Failed;
    if (MoveFileW(temporary.c_str(), newPath.c_str()))
        return RenameResult::Renamed;
    win::LastErrorGuard keep;
    MoveFileW(temporary.c_str(), oldPath.c_str());
    return RenameResult::Failed;
}

// The root of an absolute path: "C:\" or "\\server\share\"; empty for
// anything else.
std::wstring RootOf(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return path.substr(0, 2) + L"\\";
    if (!path.starts_with(L"\\\\"))
        return {};
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos)
        return {};
    size_t share = path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path + L"\\" : path.substr(0, share + 1);
}

// "X:" at the start, X a letter A to Z in either case.
bool HasDriveLetter(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' && towupper(path[0]) >= L'A' &&
           towupper(path[0]) <= L'Z';
}

} // namespace

bool IsValidPathName(const std::wstring& path) {
    for (wchar_t c : path)
        if (c < 32 || c == L'"' || c == L'<' || c == L'>' || c == L'|')
            return false;
    return true;
}

std::wstring CheckedDirectoryPath(const std::wstring& path) {
    std::wstring full = FullPathName(path);
    if (full.size() >= MaxDirPath)
        throw win::AppError(L"パス名が長すぎます (247 文字まで): " + full);
    for (size_t i = 0; i < full.size(); ++i)
        if (full[i] == L':' && i != 1)
            throw win::AppError(L"パス名のコロンの位置が正しくありません: " + full);
    if (full.starts_with(L"\\\\"))
        return full;
    wchar_t drive = full.size() >= 2 && full[1] == L':' ? towupper(full[0]) : 0;
    if (drive < L'A' || drive > L'Z' || !(GetLogicalDrives() & (1u << (drive - L'A'))))
        throw win::AppError(L"ドライブが存在しません: " + full);
    return full;
}

std::wstring ResolveTypedPath(const std::wstring& typed, const std::wstring& curDir,
                              const std::array<std::wstring, 26>& driveDirs) {
    std::wstring base = IncludeTrailingBackslash(curDir);
    std::wstring joined;
    if (typed.starts_with(L"\\\\"))
        joined = typed; // a network path
    else if (typed.starts_with(L"\\"))
        joined = ExcludeTrailingBackslash(RootOf(base)) + typed;
    else if (!HasDriveLetter(typed))
        joined = base + typed;
    else if (typed.size() > 2 && typed[2] == L'\\')
        joined = typed;
    else {
        // "D:x": from the directory that drive was last seen in.
        std::wstring root = std::wstring(1, towupper(typed[0])) + L":\\";
        const std::wstring& last = driveDirs[root[0] - L'A'];
        std::wstring from = root;
        if (SameFileName(RootOf(base), root))
            from = base;
        else if (SameFileName(RootOf(last), root))
            from = last;
        joined = IncludeTrailingBackslash(from) + typed.substr(2);
    }
    // Absolute now, so the working directory plays no part.
    return FullPathName(joined);
}

std::wstring NameOnDisk(const std::wstring& path) {
    std::wstring name = LastComponent(path);
    if (name.empty() || HasWildcard(name))
        return {};
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW(ExtendedPath(ExcludeTrailingBackslash(path)).c_str(), &fd));
    return find ? std::wstring(fd.cFileName) : std::wstring();
}

bool IsDirectoryLink(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(ExtendedPath(ExcludeTrailingBackslash(path)).c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) &&
           (attr & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RemoveLinkOnly(const std::wstring& path) {
    // RemoveDirectoryW, DeleteFileW and a rename all follow a Linux link
    // under Wine 8 (an empty target is deleted, a target is moved), so the
    // link is removed only through a handle that is known to be the link.
    win::UniqueHandle link = OpenLinkItself(path, DELETE | FILE_WRITE_ATTRIBUTES);
    if (!link)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &tag, sizeof tag);
    if (tag.FileAttributes & FILE_ATTRIBUTE_READONLY) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = tag.FileAttributes & ~FILE_ATTRIBUTE_READONLY;
        SetFileInformationByHandle(link.get(), FileBasicInfo, &basic, sizeof basic);
    }
    FILE_DISPOSITION_INFO dispose{TRUE};
    return SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof dispose) !=
           FALSE;
}

void DeleteDirectory(const std::wstring& path) {
    std::wstring dir = ExcludeTrailingBackslash(path);
    if (dir.size() >= MaxDirPath)
        throw win::AppError(L"パス名が長すぎます (247 文字まで): " + dir);
    if (!IsValidPathName(dir))
        throw win::AppError(L"パス名に使えない文字があります: " + dir);
    DWORD attr = GetFileAttributesW(dir.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY))
        return;
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLinkOnly(dir);
        return;
    }
    DeleteContents(dir);
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(dir.c_str());
}

void MakeDirectories(const std::wstring& path) {
    if (DirectoryExists(path) && SameFileName(NameOnDisk(path), LastComponent(path)))
        return;
    if (!IsValidPathName(path))
        return;
    std::wstring full = ExcludeTrailingBackslash(CheckedDirectoryPath(path));
    // The levels from the top down; the drive or share is not created.
    std::vector<std::wstring> levels;
    for (std::wstring level = full; !LastComponent(level).empty() && level.size() > 2;
         level = ParentOf(level))
        levels.insert(levels.begin(), level);
    for (const auto& level : levels) {
        std::wstring name = LastComponent(level);
        if (!DirectoryExists(level)) {
            if (!CreateDirectoryW(level.c_str(), nullptr)) {
                // Refused: an entry of this very name, or one the name
                // would be shortened onto.
                bool exists = GetFileAttributesW(level.c_str()) != INVALID_FILE_ATTRIBUTES;
                if (exists && !SameFileName(NameOnDisk(level), name))
                    throw win::AppError(L"指定された名前のディレクトリを作成できません: " + level);
                return;
            }
            if (!SameFileName(NameOnDisk(level), name)) {
                RemoveDirectoryW(level.c_str());
                throw win::AppError(L"指定された名前のディレクトリを作成できません: " + level);
            }
        } else if (!SameFileName(NameOnDisk(level), name)) {
            throw win::AppError(L"指定された名前のディレクトリを作成できません: " + level);
        }
    }
}

RenameResult RenamePath(const std::wstring& oldPath, const std::wstring& newPath) {
    std::wstring newName = LastComponent(newPath);
    if (newName.empty() || LastComponent(oldPath).empty())
        return RenameResult::Failed;
    if (IsDirectoryLink(oldPath) && !OpenLinkItself(oldPath, DELETE))
        return RenameResult::Failed;
    bool caseOnly = oldPath != newPath && SameFileName(oldPath, newPath);
    if (caseOnly) {
        if (RenameResult moved = MoveCaseOnly(oldPath, newPath); moved != RenameResult::Renamed)
            return moved;
    } else if (!MoveFileW(oldPath.c_str(), newPath.c_str())) {
        return RenameResult::Failed;
    }
    if (NameOnDisk(newPath) == newName)
        return RenameResult::Renamed;
    // Stored under another name: put it back where it was.
    MoveFileW(newPath.c_str(), oldPath.c_str());
    return RenameResult::NameNotKept;
}
