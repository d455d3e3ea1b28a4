#pragma once
// Copying single files and whole directory trees, used by copy and move and by
// drops. A file never appears under its final name until its copy is
// complete: it is copied to a temporary name beside the destination and moved
// into place only when the copy succeeded.

#include <string>
#include <vector>

// Copies a file; missing parent directories of `destFile` are created. The
// copy keeps the attributes and the last-write time. With `overwrite` false an
// existing destination is an error; with it true the destination is replaced,
// but stays as it was when the copy fails. A read-only destination is never
// replaced, nor one that is the source itself under another name (a hard
// link, another spelling of its directory). Raises win::AppError on every
// failure.
void CopyOneFile(const std::wstring& sourceFile, const std::wstring& destFile, bool overwrite);

// What CopyDirectory did below the top directory.
struct DirCopyResult {
    // Source files copied completely, relative to the source directory.
    std::vector<std::wstring> CopiedFiles;
    // Files that could not be copied (the walk went on without them).
    int FailedFiles = 0;
    // Links (reparse points) inside the tree: skipped, never followed.
    int SkippedLinks = 0;
};

// Copies a directory tree into `destDir`, merging into an existing directory
// and overwriting same-named files; `destDir` and its missing parents are
// created. Links inside the tree are skipped. Finally `destDir` takes the
// attributes and times of `sourceDir`. Raises win::AppError when a path is
// invalid, the source is missing, both name the same directory, or `destDir`
// lies inside `sourceDir` (asked of the file system, whatever the spelling);
// single files that fail are only counted.
DirCopyResult CopyDirectory(const std::wstring& sourceDir, const std::wstring& destDir);

// For a move: deletes from `sourceDir` the files listed in `copied` (relative
// paths as CopyDirectory gives them), then every directory of the tree that
// became empty, and `sourceDir` itself when nothing is left in it. Links are
// left in place. Returns false when `sourceDir` still exists afterwards.
bool RemoveCopiedTree(const std::wstring& sourceDir, const std::vector<std::wstring>& copied);
