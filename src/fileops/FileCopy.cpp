#include "fileops/FileCopy.h"

#include "subroutines/FileIdentity.h"
#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <windows.h>

#include <atomic>
#include <cwchar>

namespace {

std::wstring Join(const std::wstring& dir, const std::wstring& name) {
    return IncludeTrailingBackslash(dir) + name;
}

bool IsInvalidPathChar(wchar_t c) {
    return c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

void ValidatePath(const std::wstring& path, size_t limit) {
    if (path.empty())
        throw win::AppError(L"パスが指定されていません");
    if (path.size() >= limit)
        throw win::AppError(L"パスが長すぎます: " + path);
    for (size_t i = 0; i < path.size(); ++i)
        if (IsInvalidPathChar(path[i]) || (path[i] == L':' && i != 1))
            throw win::AppError(L"パスに使えない文字があります: " + path);
}

[[noreturn]] void RaiseCode(DWORD code) {
    throw win::AppError(win::ErrorText(code), code);
}

// The file system may store a name other than the one asked for: a Linux
// file system under Wine cuts names longer than 255 bytes of UTF-8, Win32
// drops a trailing dot or space, and a lone surrogate has no UTF-8 form.
// Other names are kept as they are, so only these need to be looked up
// again (under Wine each lookup reads the whole directory).
bool NameMayBeStoredOtherwise(const std::wstring& name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ')
        return true;
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name.data(),
                                    static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
    return bytes == 0 || bytes > 255;
}

// True when the entry found at `path` carries the name part of `path` itself.
bool FoundUnderOwnName(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW(path.c_str(), &fd));
    if (!find)
        return false;
    std::wstring name = FileNamePart(path);
    return SameFileName(fd.cFileName, name) || SameFileName(fd.cAlternateFileName, name);
}

// For an entry known to exist at `path`: true unless it is stored under a
// name other than its own.
bool StoredUnderOwnName(const std::wstring& path) {
    return !NameMayBeStoredOtherwise(FileNamePart(path)) || FoundUnderOwnName(path);
}

[[noreturn]] void RaiseNameClash(const std::wstring& path) {
    throw win::AppError(L"ファイルシステムが名前を短くするので作成できません: " +
                        FileNamePart(path));
}

// A directory and its missing parents; an existing directory is kept.
void CreateDirectoryWithParents(const std::wstring& dir) {
    std::wstring path = ExcludeTrailingBackslash(dir);
    if (path.empty() || DirectoryExists(path))
        return;
    std::wstring parent = DirPart(path);
    bool isRoot = parent.empty() || (parent.size() == 2 && parent[1] == L':');
    if (!isRoot && !DirectoryExists(parent))
        CreateDirectoryWithParents(parent);
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        DWORD code = GetLastError();
        if (!DirectoryExists(path))
            RaiseCode(code);
        return;
    }
    if (!StoredUnderOwnName(path)) {
        RemoveDirectoryW(path.c_str());
        RaiseNameClash(path);
    }
}

// Deletes a file, read-only or not.
void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

// A name for a temporary file in `dir` ("pel" and eight hex digits, as
// GetTempFileNameW makes them, but longer so that they rarely meet).
std::wstring TemporaryName(const std::wstring& dir) {
    static std::atomic<unsigned> counter = GetTickCount() ^ (GetCurrentProcessId() << 16);
    wchar_t name[16];
    swprintf(name, 16, L"pel%08X.tmp", ++counter);
    return dir + name;
}

// A copy of `source` under a temporary name in `dir`, deleted at scope end
// unless kept. CopyFileW makes the file itself and refuses a name that is
// taken, so the name costs no file of its own (GetTempFileNameW makes one).
class TemporaryCopy {
  public:
    TemporaryCopy(const std::wstring& source, const std::wstring& dir) {
        constexpr int Attempts = 100;
        for (int i = 0; i < Attempts; ++i) {
            std::wstring path = TemporaryName(dir);
            if (path.size() >= MaxFilePath)
                throw win::AppError(L"一時ファイルを作れません: パスが長すぎます: " + path);
            if (CopyFileW(source.c_str(), path.c_str(), TRUE)) {
                path_ = path;
                return;
            }
            DWORD code = GetLastError();
            if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
                // Wine leaves what it wrote when the copy fails (a full disk).
                RemoveFile(path);
                RaiseCode(code);
            }
        }
        win::RaiseLastError(L"一時ファイルを作れません: ");
    }
    ~TemporaryCopy() {
        if (!path_.empty()) {
            win::LastErrorGuard keep;
            RemoveFile(path_);
        }
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    const std::wstring& Path() const { return path_; }
    void Keep() { path_.clear(); }

  private:
    std::wstring path_;
};

// Raises when the existing entry at `dest` may not be replaced by a copy of
// `source`.
void CheckReplaceable(const std::wstring& source, const std::wstring& dest, DWORD attr,
                      bool overwrite) {
    if (!overwrite)
        RaiseCode(ERROR_FILE_EXISTS);
    // Replacing a file by its own copy would leave one file where a move
    // then deletes "the source".
    if (SameFileOrDirectory(source, dest))
        throw win::AppError(L"コピー元と同じファイルなので上書きできません: " + FileNamePart(dest));
    if (attr & FILE_ATTRIBUTE_DIRECTORY)
        throw win::AppError(L"同じ名前のディレクトリがあるので上書きできません: " +
                            FileNamePart(dest));
    // Windows refuses to copy onto a read-only file; Wine would overwrite it.
    if (attr & FILE_ATTRIBUTE_READONLY)
        RaiseCode(ERROR_ACCESS_DENIED);
    if (!StoredUnderOwnName(dest))
        RaiseNameClash(dest);
}

// Moves the finished copy to `dest`. Whether something is in the way is
// learnt from the move itself, so that a new file costs no extra lookup of
// its name.
void MoveIntoPlace(const std::wstring& source, const std::wstring& temp, const std::wstring& dest,
                   bool overwrite) {
    if (MoveFileExW(temp.c_str(), dest.c_str(), 0)) {
        if (!StoredUnderOwnName(dest)) {
            // It landed under a shortened name that was free; take it away again.
            RemoveFile(dest);
            RaiseNameClash(dest);
        }
        return;
    }
    DWORD code = GetLastError();
    DWORD destAttr = GetFileAttributesW(dest.c_str());
    if (destAttr == INVALID_FILE_ATTRIBUTES)
        RaiseCode(code);
    CheckReplaceable(source, dest, destAttr, overwrite);
    if (!MoveFileExW(temp.c_str(), dest.c_str(), MOVEFILE_REPLACE_EXISTING))
        RaiseCode(GetLastError());
}

// The copy itself: to a temporary file beside `dest`, then moved into place.
void CopyFileIntoPlace(const std::wstring& source, const std::wstring& dest, bool overwrite) {
    ValidatePath(source, MaxFilePath);
    ValidatePath(dest, MaxFilePath);
    // A new file made by CopyFileW takes the source's attributes.
    TemporaryCopy temp(source, IncludeTrailingBackslash(DirPart(dest)));
    MoveIntoPlace(source, temp.Path(), dest, overwrite);
    temp.Keep();
}

// A subdirectory of the copy; false when it cannot be created under its own
// name (its tree is then left out).
bool MakeSubdirectory(const std::wstring& dir) {
    if (dir.size() >= MaxDirPath)
        return false;
    if (CreateDirectoryW(dir.c_str(), nullptr)) {
        if (StoredUnderOwnName(dir))
            return true;
        RemoveDirectoryW(dir.c_str());
        return false;
    }
    DWORD attr = GetFileAttributesW(dir.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attr & FILE_ATTRIBUTE_REPARSE_POINT) && StoredUnderOwnName(dir);
}

// Walks `sourceDir` depth-first and copies it into `destDir`; with `countOnly`
// it only counts what it would have copied as failed.
void CopyTree(const std::wstring& sourceDir, const std::wstring& destDir,
              const std::wstring& relative, bool countOnly, DirCopyResult& result) {
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW(Join(sourceDir, L"*").c_str(), &fd));
    if (!find)
        return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        // A link is not followed: its target lies outside the tree.
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            ++result.SkippedLinks;
            continue;
        }
        std::wstring source = Join(sourceDir, name);
        std::wstring dest = Join(destDir, name);
        std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            bool made = !countOnly && MakeSubdirectory(dest);
            CopyTree(source, dest, rel, !made, result);
        } else if (countOnly) {
            ++result.FailedFiles;
        } else {
            try {
                CopyFileIntoPlace(source, dest, true);
                result.CopiedFiles.push_back(rel);
            } catch (const win::AppError&) {
                ++result.FailedFiles;
            }
        }
    } while (FindNextFileW(find.get(), &fd));
}

// Gives `dest` the attributes and the three times of `source` (directories).
void CopyDirectoryStamp(const std::wstring& source, const std::wstring& dest) {
    DWORD attr = GetFileAttributesW(source.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) {
        DWORD bits = attr & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
        SetFileAttributesW(dest.c_str(), bits ? bits : FILE_ATTRIBUTE_NORMAL);
    }
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    win::UniqueHandle from(CreateFileW(source.c_str(), FILE_READ_ATTRIBUTES, share, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILETIME created, accessed, written;
    if (!from || !GetFileTime(from.get(), &created, &accessed, &written))
        return;
    win::UniqueHandle to(CreateFileW(dest.c_str(), FILE_WRITE_ATTRIBUTES, share, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (to)
        SetFileTime(to.get(), &created, &accessed, &written);
}

bool IsEmptyDirectory(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW(Join(dir, L"*").c_str(), &fd));
    if (!find)
        return false;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..")
            return false;
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

// Removes `dir` when it is empty (after its empty subdirectories); links and
// anything else are left alone.
void RemoveEmptyDirectories(const std::wstring& dir) {
    std::vector<std::wstring> subdirs;
    {
        WIN32_FIND_DATAW fd;
        win::UniqueFind find(FindFirstFileW(Join(dir, L"*").c_str(), &fd));
        if (!find)
            return;
        do {
            std::wstring name = fd.cFileName;
            bool isDir = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            bool isLink = fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if (name != L"." && name != L".." && isDir && !isLink)
                subdirs.push_back(Join(dir, name));
        } while (FindNextFileW(find.get(), &fd));
    }
    for (const auto& sub : subdirs)
        RemoveEmptyDirectories(sub);
    if (IsEmptyDirectory(dir)) {
        SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(dir.c_str());
    }
}

} // namespace

void CopyOneFile(const std::wstring& sourceFile, const std::wstring& destFile, bool overwrite) {
    ValidatePath(sourceFile, MaxFilePath);
    ValidatePath(destFile, MaxFilePath);
    DWORD attr = GetFileAttributesW(sourceFile.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
        throw win::AppError(L"コピー元のファイルがありません: " + sourceFile);
    std::wstring dir = DirPart(destFile);
    ValidatePath(dir, MaxDirPath);
    CreateDirectoryWithParents(dir);
    // Refused before copying, so that a large file is not copied in vain.
    DWORD destAttr = GetFileAttributesW(destFile.c_str());
    if (destAttr != INVALID_FILE_ATTRIBUTES)
        CheckReplaceable(sourceFile, destFile, destAttr, overwrite);
    CopyFileIntoPlace(sourceFile, destFile, overwrite);
}

DirCopyResult CopyDirectory(const std::wstring& sourceDir, const std::wstring& destDir) {
    std::wstring source = ExcludeTrailingBackslash(FullPathName(sourceDir));
    std::wstring dest = ExcludeTrailingBackslash(FullPathName(destDir));
    ValidatePath(source, MaxDirPath);
    ValidatePath(dest, MaxDirPath);
    if (!DirectoryExists(source))
        throw win::AppError(L"コピー元のディレクトリがありません: " + source);
    if (SameFileName(source, dest) || SameFileOrDirectory(source, dest))
        throw win::AppError(L"コピー元とコピー先が同じディレクトリです: " + source);
    if (IsSameOrInside(dest, source))
        throw win::AppError(L"コピー先がコピー元の中にあります: " + dest);
    CreateDirectoryWithParents(dest);
    if (!DirectoryExists(dest))
        RaiseCode(ERROR_PATH_NOT_FOUND);

    DirCopyResult result;
    CopyTree(source, dest, L"", false, result);
    CopyDirectoryStamp(source, dest);
    return result;
}

bool RemoveCopiedTree(const std::wstring& sourceDir, const std::vector<std::wstring>& copied) {
    std::wstring source = ExcludeTrailingBackslash(FullPathName(sourceDir));
    for (const auto& rel : copied)
        RemoveFile(Join(source, rel));
    RemoveEmptyDirectories(source);
    return GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES;
}
