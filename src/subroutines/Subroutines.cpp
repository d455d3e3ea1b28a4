#include "subroutines/Subroutines.h"

#include "ui/Font.h"
#include "win/Handle.h"

#include <cmath>

std::wstring CollapseDelimiters(std::wstring path) {
    std::wstring out;
    out.reserve(path.size());
    for (wchar_t c : path)
        if (!(c == L'\\' && !out.empty() && out.back() == L'\\'))
            out.push_back(c);
    return out;
}

std::wstring IncludeTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\')
        return path;
    return path + L"\\";
}

std::wstring ExcludeTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\')
        return path.substr(0, path.size() - 1);
    return path;
}

std::wstring FileNamePart(const std::wstring& path) {
    size_t p = path.find_last_of(L'\\');
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

std::wstring DirPart(const std::wstring& path) {
    size_t p = path.find_last_of(L'\\');
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FullPathName(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return path;
    full.resize(n);
    return full;
}

bool DirectoryExists(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (!(attr & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    // A junction or directory link counts only when its target opens.
    win::UniqueHandle h(CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return static_cast<bool>(h);
}

bool FileExists(const std::wstring& path) {
    DWORD attr = GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

int32_t EntryAttr(const TFileList& list, int i) {
    return list[i]->FileAttr;
}
const std::wstring& EntryName(const TFileList& list, int i) {
    return list[i]->FileName;
}
int64_t EntrySize(const TFileList& list, int i) {
    return list[i]->FileSize;
}
bool EntryIsDir(const TFileList& list, int i) {
    return (list[i]->FileAttr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool EntryMarked(const TFileList& list, int i) {
    return list[i]->Marked;
}

bool AnyMarked(const TFileList& list) {
    for (const auto& e : list)
        if (e->Marked)
            return true;
    return false;
}

int MarkedCount(const TFileList& list) {
    int n = 0;
    for (const auto& e : list)
        n += e->Marked ? 1 : 0;
    return n;
}

int IndexOfName(const TFileList& list, const std::wstring& name) {
    for (int i = 0; i < Count(list); ++i)
        if (list[i]->FileName == name)
            return i;
    return -1;
}

// Days since 1899-12-30 of a proleptic Gregorian date.
static int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468 + 25569; // 1970-01-01 is day 25569
}

static void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468 - 25569;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    double days = static_cast<double>(DaysFromCivil(year, month, day));
    double time = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + ms) / 86400000.0;
    // Before 1899-12-30 the time of day counts away from zero.
    return days < 0 ? days - time : days + time;
}

DateTimeParts DecodeDateTime(double value) {
    DateTimeParts p{};
    double whole = std::trunc(value);
    int64_t msOfDay = std::llround(std::fabs(value - whole) * 86400000.0);
    int64_t days = static_cast<int64_t>(whole);
    if (msOfDay >= 86400000) { // rounding reached the next day
        msOfDay -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    CivilFromDays(days, p.year, p.month, p.day);
    p.hour = static_cast<int>(msOfDay / 3600000);
    p.minute = static_cast<int>(msOfDay / 60000 % 60);
    p.second = static_cast<int>(msOfDay / 1000 % 60);
    p.ms = static_cast<int>(msOfDay % 1000);
    return p;
}

double FileTimeToLocalDate(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st) ||
        st.wYear > 9999)
        return 0;
    return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                          st.wMilliseconds);
}

double Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                          st.wMilliseconds);
}

static std::wstring ThousandSeparator() {
    wchar_t sep[8] = L",";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, sep, 8) == 0)
        return L",";
    return sep;
}

std::wstring PadLeft(const std::wstring& text, int width) {
    if (static_cast<int>(text.size()) >= width)
        return text;
    return std::wstring(width - text.size(), L' ') + text;
}

std::wstring FormatNumber(int64_t value, int width) {
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::wstring digits = std::to_wstring(magnitude);
    const std::wstring sep = ThousandSeparator();
    std::wstring grouped;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += sep;
        grouped += digits[i];
    }
    if (value < 0)
        grouped.insert(0, L"-");
    return PadLeft(grouped, width);
}

static std::wstring TwoDigits(int v) {
    wchar_t buf[8];
    swprintf(buf, 8, L"%02d", v);
    return buf;
}

std::wstring FormatDateText(double value) {
    DateTimeParts p = DecodeDateTime(value);
    wchar_t year[16];
    swprintf(year, 16, L"%04d", p.year);
    return std::wstring(year) + L"." + TwoDigits(p.month) + L"." + TwoDigits(p.day) + L"  " +
           TwoDigits(p.hour) + L"." + TwoDigits(p.minute) + L"." + TwoDigits(p.second);
}

std::wstring DateText(const TFileList& list, int i) {
    return FormatDateText(list[i]->FileDate);
}
std::wstring SizeText(const TFileList& list, int i) {
    return FormatNumber(EntrySize(list, i), 18);
}
std::wstring DirText(const TFileList& list, int i) {
    return L"<dir>  " + DateText(list, i) + L" ";
}
std::wstring FileText(const TFileList& list, int i) {
    return SizeText(list, i) + L"  " + DateText(list, i) + L" ";
}
std::wstring DetailText(const TFileList& list, int i) {
    return EntryIsDir(list, i) ? DirText(list, i) : FileText(list, i);
}

std::wstring LineText(const TFileList& list, int i) {
    const std::wstring& name = EntryName(list, i);
    if (name == L"..")
        return L" ..\\" + DirText(list, i);
    std::wstring marker = EntryMarked(list, i) ? L"*" : L" ";
    return marker + name + L"\\" + DetailText(list, i);
}

std::wstring FitTextInMiddle(const std::wstring& text, HFONT font, int maxWidth) {
    if (ui::MeasureText(font, text).cx <= maxWidth)
        return text;
    // Characters kept from the start and from the end; the middle goes first.
    size_t head = text.size() / 2, tail = text.size() - head;
    while (head + tail > 0) {
        if (head >= tail)
            --head;
        else
            --tail;
        bool splitsPair = (head > 0 && IS_HIGH_SURROGATE(text[head - 1])) ||
                          (tail > 0 && IS_LOW_SURROGATE(text[text.size() - tail]));
        if (splitsPair)
            continue;
        std::wstring candidate = text.substr(0, head) + L"..." + text.substr(text.size() - tail);
        if (ui::MeasureText(font, candidate).cx <= maxWidth)
            return candidate;
    }
    return FitText(text, font, maxWidth);
}

std::wstring FitText(const std::wstring& text, HFONT font, int maxWidth) {
    if (ui::MeasureText(font, text).cx <= maxWidth)
        return text;
    std::wstring s = text;
    for (;;) {
        std::wstring candidate = s + L"...";
        if (ui::MeasureText(font, candidate).cx <= maxWidth)
            return candidate;
        if (s.empty())
            break;
        s.pop_back();
    }
    // Narrower than "..." itself: show as much of "..." as fits.
    std::wstring dots = L"..";
    while (!dots.empty() && ui::MeasureText(font, dots).cx > maxWidth)
        dots.pop_back();
    return dots;
}
