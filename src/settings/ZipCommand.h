#pragma once
// The compress command after the archive's name is known.

#include "main/DataRec.h"
#include "settings/ZipWriter.h"

#include <string>
#include <vector>

// Writes the archive `archivePath` from the marked files of `list`, or
// without marks from the entry at `curIndex` (a file, or the tree of a
// directory). Returns false when it stopped before the archive, leaving the
// history as it was: a marked directory (after its message) or an empty
// list. ".." writes nothing and returns true. Failures throw win::AppError.
bool CompressEntries(const TFileList& list, int curIndex, const std::wstring& curDir,
                     const std::wstring& archivePath);
