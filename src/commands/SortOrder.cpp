// The entry order of the list.

#include "commands/SortOrder.h"

#include "main/Form1.h"
#include "subroutines/Subroutines.h"

#include <windows.h>
#include <shlwapi.h>

#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// ---- Runs of digits and non-digits, found by the regular expressions ------

struct PatternDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using Pattern = std::unique_ptr<pcre2_code, PatternDeleter>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

// Compiled without Unicode properties: \d is 0-9 and nothing else.
Pattern Compile(const wchar_t* pattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED,
                                     0, &error, &offset, nullptr);
    if (!code)
        throw std::logic_error("pattern does not compile");
    return Pattern(code);
}

struct RunPatterns {
    Pattern run = Compile(L"([\\D]+|[\\d]+)");
    Pattern nonDigits = Compile(L"\\D+");
    Pattern digits = Compile(L"\\d+");
    MatchData match{pcre2_match_data_create(2, nullptr)};
};

RunPatterns& Patterns() {
    static RunPatterns patterns;
    return patterns;
}

PCRE2_SPTR Subject(std::wstring_view text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

// Length of the first match of `pattern` in `text` from `offset` and where it starts;
// false when there is none.
bool FirstMatch(const Pattern& pattern, std::wstring_view text, size_t offset, size_t& start,
                size_t& length) {
    MatchData& md = Patterns().match;
    int rc = pcre2_match(pattern.get(), Subject(text), text.size(), offset, 0, md.get(), nullptr);
    if (rc < 0)
        return false;
    PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md.get());
    start = ov[0];
    length = ov[1] - ov[0];
    return true;
}

// Length of the run that starts `text` at `offset` (the match always starts there).
size_t LeadingRunLength(std::wstring_view text, size_t offset) {
    size_t start = 0, length = 0;
    if (offset >= text.size() || !FirstMatch(Patterns().run, text, offset, start, length))
        return 0;
    return length;
}

bool WholeMatch(const Pattern& pattern, std::wstring_view run) {
    size_t start = 0, length = 0;
    return !run.empty() && FirstMatch(pattern, run, 0, start, length) && start == 0 &&
           length == run.size();
}

bool IsDigitRun(std::wstring_view run) { return WholeMatch(Patterns().digits, run); }
bool IsNonDigitRun(std::wstring_view run) { return WholeMatch(Patterns().nonDigits, run); }

// The value of a digit string; false when it exceeds the signed 64-bit range.
bool DigitValue(std::wstring_view digits, int64_t& value) {
    uint64_t v = 0;
    for (wchar_t c : digits) {
        uint64_t d = static_cast<uint64_t>(c - L'0');
        if (v > (static_cast<uint64_t>(INT64_MAX) - d) / 10)
            return false;
        v = v * 10 + d;
    }
    value = static_cast<int64_t>(v);
    return true;
}

int CompareStr(std::wstring_view x, std::wstring_view y) {
    // wchar_t is an unsigned 16-bit code unit here: numeric, case-sensitive order.
    int r = x.compare(y);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// ---- Keys derived once per entry ------------------------------------------

struct Run {
    uint32_t offset;
    uint32_t length;
    bool digits;
    bool overflow; // a digit run beyond the signed 64-bit range
    int64_t value;
};

// One text of an entry's key with its runs (the runs only for natural order 2).
struct KeyText {
    std::wstring owned;
    const std::wstring* text = nullptr;
    uint32_t firstRun = 0;
    uint32_t runCount = 0;
};

enum Group : uint8_t { gParent = 0, gDir = 1, gFile = 2 };

struct EntryKey {
    Group group = gFile;
    uint8_t attr7 = 0;
    KeyText primary;   // the text of the key
    KeyText secondary; // the name, after equal sizes
};

class KeyTable {
  public:
    KeyTable(const SortOptions& options, size_t count) : options_(options), keys_(count) {}

    // `dir`: whether the entry takes the keys of a directory.
    void Fill(size_t i, const TDataRec& e, bool dir) {
        EntryKey& k = keys_[i];
        k.group = e.FileName == L".." ? gParent : (dir ? gDir : gFile);
        k.attr7 = static_cast<uint8_t>(e.FileAttr & 7);
        switch (options_.Key) {
        case skExtension:
            if (dir)
                SetText(k.primary, e.FileName);
            else
                SetOwned(k.primary, ExtensionKey(e.FileName));
            break;
        case skName:
            SetText(k.primary, e.FileName);
            break;
        case skSize:
            if (dir) {
                SetText(k.primary, e.FileName);
            } else {
                SetOwned(k.primary, SortSizeText(e));
                SetText(k.secondary, e.FileName);
            }
            break;
        case skDate:
            SetOwned(k.primary, SortDateText(e));
            break;
        default:
            break;
        }
    }

    const EntryKey& operator[](size_t i) const { return keys_[i]; }
    size_t Size() const { return keys_.size(); }

    // CompareEntries over derived keys; `failed` is set when a digit run overflowed.
    int Compare(const EntryKey& a, const EntryKey& b, bool& failed) const {
        if (a.group == gParent && b.group != gParent)
            return -1;
        if (b.group == gParent && a.group != gParent)
            return 1;
        bool aDir = a.group != gFile, bDir = b.group != gFile;
        if (aDir != bDir)
            return aDir ? -1 : 1;
        if (aDir) {
            if (a.attr7 != b.attr7)
                return a.attr7 > b.attr7 ? -1 : 1;
            return ByKey(a, b, true, failed);
        }
        return ByKey(a, b, false, failed);
    }

    int ByKey(const EntryKey& a, const EntryKey& b, bool dirPair, bool& failed) const {
        if (options_.Key > skDate)
            return 0;
        int r = Directed(a.primary, b.primary, failed);
        if (r == 0 && !failed && options_.Key == skSize && !dirPair)
            r = Directed(a.secondary, b.secondary, failed);
        return r;
    }

  private:
    // D(x, y): descending exchanges the operands of the natural comparison.
    int Directed(const KeyText& x, const KeyText& y, bool& failed) const {
        return options_.Forward ? Natural(x, y, failed) : Natural(y, x, failed);
    }

    int Natural(const KeyText& x, const KeyText& y, bool& failed) const {
        if (options_.Shlwapi)
            return StrCmpLogicalW(x.text->c_str(), y.text->c_str());
        return Natural2(x, y, failed);
    }

    int Natural2(const KeyText& x, const KeyText& y, bool& failed) const {
        std::wstring_view xs = *x.text, ys = *y.text;
        for (uint32_t i = 0;; ++i) {
            bool xEnd = i >= x.runCount, yEnd = i >= y.runCount;
            if (xEnd && yEnd)
                return CompareStr(xs, ys);
            const Run* p = xEnd ? nullptr : &runs_[x.firstRun + i];
            const Run* q = yEnd ? nullptr : &runs_[y.firstRun + i];
            int r;
            if (p && q && p->digits && q->digits) {
                if (p->overflow || q->overflow) {
                    failed = true;
                    return 0;
                }
                r = p->value < q->value ? -1 : (p->value > q->value ? 1 : 0);
            } else {
                // Two non-digit runs, or runs of different kinds (an ended string
                // gives an empty run): both compare as text.
                r = CompareStr(p ? xs.substr(p->offset, p->length) : std::wstring_view(),
                               q ? ys.substr(q->offset, q->length) : std::wstring_view());
            }
            if (r != 0)
                return r;
        }
    }

    void SetText(KeyText& k, const std::wstring& text) {
        k.text = &text;
        if (!options_.Shlwapi)
            SplitRuns(k);
    }
    void SetOwned(KeyText& k, std::wstring text) {
        k.owned = std::move(text);
        SetText(k, k.owned);
    }

    void SplitRuns(KeyText& k) {
        std::wstring_view text = *k.text;
        k.firstRun = static_cast<uint32_t>(runs_.size());
        for (size_t at = 0; at < text.size();) {
            size_t n = LeadingRunLength(text, at);
            if (n == 0)
                break;
            Run run{static_cast<uint32_t>(at), static_cast<uint32_t>(n), false, false, 0};
            std::wstring_view s = text.substr(at, n);
            if (IsDigitRun(s)) {
                run.digits = true;
                run.overflow = !DigitValue(s, run.value);
            }
            runs_.push_back(run);
            at += n;
        }
        k.runCount = static_cast<uint32_t>(runs_.size()) - k.firstRun;
    }

    SortOptions options_;
    std::vector<EntryKey> keys_; // sized once: the KeyTexts point into it
    std::vector<Run> runs_;
};

// Bottom-up merge sort of an index permutation. Each step takes one element
// from one of two bounded ranges, so the sort ends within the list whatever
// the comparison answers.
template <class Less> void MergeSort(std::vector<uint32_t>& order, Less less) {
    size_t n = order.size();
    std::vector<uint32_t> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, out = lo;
            while (i < mid && j < hi)
                buffer[out++] = less(order[j], order[i]) ? order[j++] : order[i++];
            while (i < mid)
                buffer[out++] = order[i++];
            while (j < hi)
                buffer[out++] = order[j++];
        }
        order.swap(buffer);
    }
}

// Derives the keys of one pair and applies `rule` to them.
template <class Rule>
int ComparePair(const TDataRec& a, const TDataRec& b, bool asDirs, const SortOptions& options,
                Rule rule) {
    KeyTable keys(options, 2);
    keys.Fill(0, a, asDirs);
    keys.Fill(1, b, asDirs);
    bool failed = false;
    int r = rule(keys, failed);
    if (failed)
        throw DigitRunOverflow();
    return r;
}

bool IsDir(const TDataRec& e) { return (e.FileAttr & FILE_ATTRIBUTE_DIRECTORY) != 0; }

} // namespace

std::wstring SortSizeText(const TDataRec& e) { return std::to_wstring(e.FileSize); }

std::wstring SortDateText(const TDataRec& e) {
    DateTimeParts p = DecodeDateTime(e.FileDate);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(p.year);
    st.wMonth = static_cast<WORD>(p.month);
    st.wDay = static_cast<WORD>(p.day);
    st.wHour = static_cast<WORD>(p.hour);
    st.wMinute = static_cast<WORD>(p.minute);
    st.wSecond = static_cast<WORD>(p.second);
    st.wMilliseconds = static_cast<WORD>(p.ms);
    wchar_t date[128], time[128];
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128,
                         nullptr))
        return FormatDateText(e.FileDate); // before 1601: the list's own date text
    if (p.hour == 0 && p.minute == 0 && p.second == 0 && p.ms == 0)
        return date;
    if (!GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, 128))
        return date;
    return std::wstring(date) + L" " + time;
}

std::wstring ExtensionKey(const std::wstring& name) {
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(dot) + name;
}

int CompareEntries(const TDataRec& a, const TDataRec& b, const SortOptions& options) {
    // Each entry takes the keys of its own kind; an overflowing digit run makes the pair 0.
    KeyTable keys(options, 2);
    keys.Fill(0, a, IsDir(a));
    keys.Fill(1, b, IsDir(b));
    bool failed = false;
    int r = keys.Compare(keys[0], keys[1], failed);
    return failed ? 0 : r;
}

int CompareDirPair(const TDataRec& a, const TDataRec& b, const SortOptions& options) {
    if ((a.FileAttr & 7) != (b.FileAttr & 7))
        return (a.FileAttr & 7) > (b.FileAttr & 7) ? -1 : 1;
    return CompareByKey(a, b, true, options);
}

int CompareFilePair(const TDataRec& a, const TDataRec& b, const SortOptions& options) {
    return CompareByKey(a, b, false, options);
}

int CompareByKey(const TDataRec& a, const TDataRec& b, bool dirPair, const SortOptions& options) {
    return ComparePair(a, b, dirPair, options, [&](const KeyTable& t, bool& failed) {
        return t.ByKey(t[0], t[1], dirPair, failed);
    });
}

std::wstring TakeRun(std::wstring& s) {
    size_t n = LeadingRunLength(s, 0);
    std::wstring run = s.substr(0, n);
    s.erase(0, n);
    return run;
}

int CompareIntText(const std::wstring& x, const std::wstring& y) {
    int64_t a = 0, b = 0;
    if (!DigitValue(x, a) || !DigitValue(y, b))
        throw DigitRunOverflow();
    return a < b ? -1 : (a > b ? 1 : 0);
}

int NaturalCompare2(const std::wstring& x, const std::wstring& y) {
    std::wstring s = x, t = y;
    for (;;) {
        if (s.empty() && t.empty())
            return CompareStr(x, y);
        std::wstring p = TakeRun(s), q = TakeRun(t);
        int r;
        if (IsNonDigitRun(p) && IsNonDigitRun(q))
            r = CompareStr(p, q);
        else if (IsDigitRun(p) && IsDigitRun(q))
            r = CompareIntText(p, q);
        else
            r = CompareStr(p, q);
        if (r != 0)
            return r;
    }
}

void SortEntries(TFileList& list, const SortOptions& options) {
    KeyTable keys(options, list.size());
    for (size_t i = 0; i < list.size(); ++i)
        keys.Fill(i, *list[i], IsDir(*list[i]));
    std::vector<uint32_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<uint32_t>(i);
    MergeSort(order, [&](uint32_t a, uint32_t b) {
        bool failed = false;
        int r = keys.Compare(keys[a], keys[b], failed);
        return !failed && r < 0;
    });
    TFileList sorted;
    sorted.reserve(list.size());
    for (uint32_t i : order)
        sorted.push_back(std::move(list[i]));
    list.swap(sorted);
}

void TForm1::SortFileList() {
    SortEntries(FileList, SortOptions{SortKey, SortForward, SortShlwapi});
    ShowFileCount();
}
