#pragma once
// The entry order of the list: ".." first, then the directories, then the
// files, each group by the chosen key, direction and natural order.

#include "main/DataRec.h"

#include <cstdint>
#include <stdexcept>
#include <string>

struct SortOptions {
    uint8_t Key = 1; // 0 = extension, 1 = name, 2 = size, 3 = date; others: no key order
    bool Forward = true;
    bool Shlwapi = false; // natural order of the shell (StrCmpLogicalW) instead of our own
};

enum SortKeyCode : uint8_t { skExtension = 0, skName = 1, skSize = 2, skDate = 3 };

// A digit run whose value does not fit a signed 64-bit integer; it makes the
// comparison of the whole entry pair 0.
class DigitRunOverflow : public std::overflow_error {
  public:
    DigitRunOverflow() : std::overflow_error("digit run too large") {}
};

// Texts that the order derives from an entry.
std::wstring SortSizeText(const TDataRec& e);
// The user's short date, a blank and the long time; the date alone at exactly 00:00:00.000.
std::wstring SortDateText(const TDataRec& e);
// The extension (from the last ".", dot included) followed by the whole name.
std::wstring ExtensionKey(const std::wstring& name);

// Negative when `a` comes first, positive when `b` does, 0 when neither.
int CompareEntries(const TDataRec& a, const TDataRec& b, const SortOptions& options);
int CompareDirPair(const TDataRec& a, const TDataRec& b, const SortOptions& options);
int CompareFilePair(const TDataRec& a, const TDataRec& b, const SortOptions& options);
// Throws DigitRunOverflow under natural order 2 (CompareEntries turns it into 0).
int CompareByKey(const TDataRec& a, const TDataRec& b, bool dirPair, const SortOptions& options);

// Natural order 2: runs of digits by value, everything else code unit by code
// unit (case matters). Throws DigitRunOverflow.
int NaturalCompare2(const std::wstring& x, const std::wstring& y);
// Removes the leading run (digits 0-9, or other characters) from `s` and returns it.
std::wstring TakeRun(std::wstring& s);
// Two digit strings by value: -1, 0 or 1. Throws DigitRunOverflow.
int CompareIntText(const std::wstring& x, const std::wstring& y);

// Puts `list` into the entry order. The keys are derived once per entry, and
// the sort ends inside the list whatever the comparison returns (it need not
// be consistent: an overflowing digit run compares 0).
void SortEntries(TFileList& list, const SortOptions& options);
