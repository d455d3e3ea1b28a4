#pragma once
// File-system routines of the file commands: path checks, deleting a tree,
// making directories, and a rename that checks what it did on disk.

#include <array>
#include <string>

// True when no character of `path` is a control character (codes 0 to 31)
// or one of " < > | (the wildcards * and ? count as valid).
bool IsValidPathName(const std::wstring& path);

// The absolute form of `path`, checked against the classic limits of a
// directory path: shorter than 248 characters, a colon only as the drive
// separator, an existing drive. Raises win::AppError otherwise.
std::wstring CheckedDirectoryPath(const std::wstring& path);

// The absolute form of a path the user typed, seen from `curDir` (an absolute
// directory path ending with a backslash) rather than from the process's
// working directory: "sub" and "..\x" lie below or beside `curDir`, "\" is
// the root of its drive or share, and "D:x" on another drive starts from the
// last directory shown there (`driveDirs`, A to Z) or else from its root.
// "." and ".." are resolved as GetFullPathNameW resolves them.
std::wstring ResolveTypedPath(const std::wstring& typed, const std::wstring& curDir,
                              const std::array<std::wstring, 26>& driveDirs);

// The name under which `path` is stored in its directory; empty when no
// entry is stored under that name (for example because the file system
// shortened a long name to another one).
std::wstring NameOnDisk(const std::wstring& path);

// True when `path` is a junction or a symbolic link to a directory.
bool IsDirectoryLink(const std::wstring& path);

// Removes the link at `path` itself and nothing it points to. This needs a
// handle on the link; where the system only opens the link's target (Wine 8
// with Linux symbolic links) the link stays and the result is false.
bool RemoveLinkOnly(const std::wstring& path);

// Deletes the directory tree at `path` when a directory exists there:
// read-only, hidden and system entries go too, single failures do not stop
// the walk, and whatever survived keeps its parents. Links met on the way
// (and `path` itself when it is one) are removed as links, never entered.
// Raises win::AppError when `path` is 248 characters or longer or holds an
// invalid character.
void DeleteDirectory(const std::wstring& path);

// Creates the directory `path` with all missing parents, when no directory
// exists there and IsValidPathName(path) holds. A creation that Windows
// refuses is not reported. Raises win::AppError when CheckedDirectoryPath
// fails, and when a level would be stored under another name than the one
// asked for (a name that the file system shortens onto another entry).
void MakeDirectories(const std::wstring& path);

enum class RenameResult {
    Renamed,
    Failed,          // Windows refused; nothing changed
    NameNotKept,     // the file system would store another name; nothing changed
    NoTemporaryName, // a change of letter case found no free temporary name; nothing changed
};

// Renames `oldPath` to `newPath` as MoveFileW does, and makes sure it
// happened as asked: a change of letter case only goes through a temporary
// name (a direct move may report success and change nothing), one exactly as
// long as the final name and found within a bounded number of tries; the new
// name is checked on disk; and a directory link that the system cannot
// rename as a link (it would move the target instead) is not renamed.
RenameResult RenamePath(const std::wstring& oldPath, const std::wstring& newPath);
