#pragma once
// The history lists: most recent first, compared without regard to case.

#include "main/DataRec.h"

#include <string>

inline constexpr int MaxHistory = 100;

// Locale-aware comparison that ignores letter case.
bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b);
// Index of the first entry equal to `text` without regard to case; -1 if none.
int IndexOfText(const TStringList& list, const std::wstring& text);

// A copy of `path` with its drive letter upper-cased (when the second
// character is a colon).
std::wstring UpperDriveLetter(const std::wstring& path);

// Moves `path` (drive letter upper-cased, a trailing backslash ensured) to the top of `list` (an
// existing equal entry is taken out first) and cuts the list to MaxHistory entries.
void AddHistory(const std::wstring& path, TStringList& list);
