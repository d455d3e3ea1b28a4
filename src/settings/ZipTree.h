#pragma once
// The files of a directory tree that the compress command stores.

#include "settings/ZipWriter.h"

#include <string>
#include <vector>

// Every file below `dir` (ending with a backslash), at any depth, in the
// order the enumeration returns them, a subdirectory's files where the
// subdirectory is met; names relative to `dir` with "/" between the parts.
//
// A linked directory (a junction or a directory symbolic link) is followed
// like any other directory, but every directory is collected once, known by
// its volume and file ID: a link back up the tree or to a directory already
// collected adds nothing, and the files of a directory that the tree holds
// itself keep their own names rather than a link's. A directory that cannot
// be listed, or a link whose target cannot be opened, throws win::AppError.
std::vector<zip::ZipSource> CollectTree(const std::wstring& dir);
