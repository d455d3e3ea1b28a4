#pragma once
// Routines shared by several modules: entry accessors, line texts, paths,
// number and date formatting.

#include "main/DataRec.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Paths stay below these lengths: a file's below MAX_PATH, a directory's
// below what CreateDirectoryW accepts (room for an 8.3 name).
inline constexpr size_t MaxFilePath = 260;
inline constexpr size_t MaxDirPath = 248;

// Path clean-up: every run of backslashes becomes one backslash.
std::wstring CollapseDelimiters(std::wstring path);
// `path` with a trailing backslash.
std::wstring IncludeTrailingBackslash(const std::wstring& path);
std::wstring ExcludeTrailingBackslash(const std::wstring& path);
// The text after the last backslash (all of `path` when it has none).
std::wstring FileNamePart(const std::wstring& path);
// The text before the last backslash (empty when it has none).
std::wstring DirPart(const std::wstring& path);
// Compares as the file system compares names: ordinal, ignoring case.
bool SameFileName(const std::wstring& a, const std::wstring& b);
// GetFullPathNameW; the input unchanged when it fails.
std::wstring FullPathName(const std::wstring& path);
// True when `path` names an existing directory (for links: whose target opens).
bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Accessors; each index must be valid.
int32_t EntryAttr(const TFileList& list, int i);
const std::wstring& EntryName(const TFileList& list, int i);
int64_t EntrySize(const TFileList& list, int i);
bool EntryIsDir(const TFileList& list, int i);
bool EntryMarked(const TFileList& list, int i);
bool AnyMarked(const TFileList& list);
int MarkedCount(const TFileList& list);
// First entry whose name equals `name` exactly (case-sensitive); -1 if none.
int IndexOfName(const TFileList& list, const std::wstring& name);
inline int Count(const TFileList& list) {
    return static_cast<int>(list.size());
}

// Date-times: days since 1899-12-30 00:00 with the time of day as fraction.
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms);
struct DateTimeParts {
    int year, month, day, hour, minute, second, ms;
};
DateTimeParts DecodeDateTime(double value);
// The local date-time of a UTC file time; 0 when it cannot be converted.
double FileTimeToLocalDate(const FILETIME& utc);
double Now();

// A number with the user's thousands separator and no decimals, right-aligned
// in `width` characters ("%16.0n", "%18.0n"); a longer number is not cut.
std::wstring FormatNumber(int64_t value, int width);
// Decimal, spaces in front until it is `width` characters long.
std::wstring PadLeft(const std::wstring& text, int width);

// "yyyy.mm.dd  hh.nn.ss"
std::wstring FormatDateText(double value);

// Line texts of entry i: name part, a backslash, detail part.
std::wstring DateText(const TFileList& list, int i);
std::wstring SizeText(const TFileList& list, int i);
std::wstring DirText(const TFileList& list, int i);
std::wstring FileText(const TFileList& list, int i);
std::wstring DetailText(const TFileList& list, int i);
std::wstring LineText(const TFileList& list, int i);

// `text` shortened with "..." so that it fits `maxWidth` pixels in `font`.
std::wstring FitText(const std::wstring& text, HFONT font, int maxWidth);
// `text` with "..." in place of its middle, so that its start and its end
// stay in sight; FitText where not even "..." fits.
std::wstring FitTextInMiddle(const std::wstring& text, HFONT font, int maxWidth);
