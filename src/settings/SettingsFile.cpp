// The settings file beside the executable.

#include "settings/SettingsFile.h"

#include "main/Form1.h"
#include "settings/History.h"
#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cwctype>

namespace {

const wchar_t* const WindowSection = L"Window";
const wchar_t* const ParameterSection = L"Parameter";
const wchar_t* const FontSection = L"Font";
const wchar_t* const QaccessSection = L"QaccssList";
const wchar_t* const DirHistorySection = L"LogHistL";
const wchar_t* const ZipHistorySection = L"ZipHistL";

const wchar_t* const DefaultStartDir = L"C:\\";
const wchar_t* const DefaultEditor = L"C:\\Program Files\\Hidemaru\\Hidemaru.exe";

constexpr DWORD MaxValueLength = 2047;

std::wstring LocaleUpper(const std::wstring& text) {
    if (text.empty())
        return text;
    int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.c_str(),
                          static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr, 0);
    if (n <= 0)
        return text;
    std::wstring upper(static_cast<size_t>(n), L'\0');
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.c_str(),
                  static_cast<int>(text.size()), upper.data(), n, nullptr, nullptr, 0);
    return upper;
}

std::wstring IndexedKey(const wchar_t* stem, size_t index) {
    return stem + std::to_wstring(index);
}

// The outer bounds the window would come back to: a minimized window's own
// bounds lie far off the screen, so its restored placement is stored instead.
RECT RestoredBounds(HWND hwnd) {
    RECT r{};
    if (IsIconic(hwnd)) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (GetWindowPlacement(hwnd, &wp))
            return wp.rcNormalPosition;
    }
    GetWindowRect(hwnd, &r);
    return r;
}

unsigned long long profileCalls = 0;

// The index of a key named "List<decimal index>" (the stem in any case, the
// index without leading zeros, as the profile functions would find it);
// -1 for any other name.
long long ListKeyIndex(const std::wstring& name) {
    constexpr size_t stem = 4;
    if (name.size() <= stem || name.size() > stem + 10 ||
        CompareStringOrdinal(name.c_str(), stem, L"List", stem, TRUE) != CSTR_EQUAL)
        return -1;
    if (name[stem] == L'0' && name.size() > stem + 1)
        return -1;
    long long index = 0;
    for (size_t i = stem; i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9')
            return -1;
        index = index * 10 + (name[i] - L'0');
    }
    return index;
}

bool IsNetworkPath(const std::wstring& path) {
    return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
           (path[1] == L'\\' || path[1] == L'/');
}

// Drive errors answered at once instead of a "no disk in the drive" box.
class QuietDriveErrors {
  public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

  private:
    DWORD previous_ = 0;
};

void WriteList(IniWriter& ini, const wchar_t* section, const TStringList& list) {
    ini.EraseSection(section);
    ini.Integer(section, L"NumberOfList", static_cast<long long>(list.size()));
    for (size_t i = 0; i < list.size(); ++i)
        ini.String(section, IndexedKey(L"List", i), list[i]);
}

} // namespace

std::wstring DefaultIniPath(const std::wstring& exePath) {
    std::wstring path = LocaleUpper(exePath);
    size_t dot = path.find_last_of(L'.');
    size_t slash = path.find_last_of(L"\\/:");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        path.erase(dot);
    return path + L".INI";
}

bool ParseIniInteger(const std::wstring& text, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    bool hex =
        text.size() >= i + 2 && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X');
    if (hex)
        i += 2;
    if (i == text.size())
        return false;
    unsigned long long v = 0;
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (hex && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (hex && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + digit;
        if (v > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return false;
    }
    if (hex) {
        // Hexadecimal text gives the 32 bits as written (0xFFFFFFFF is -1).
        int bits = static_cast<int>(static_cast<unsigned>(v));
        value = negative ? -bits : bits;
        return true;
    }
    if (!negative && v > static_cast<unsigned long long>(INT_MAX))
        return false;
    value = negative ? static_cast<int>(-static_cast<long long>(v)) : static_cast<int>(v);
    return true;
}

bool DirectoryKnownGone(const std::wstring& path) {
    if (IsNetworkPath(path))
        return false;
    if (path.size() >= 2 && path[1] == L':') {
        wchar_t letter = static_cast<wchar_t>(towupper(path[0]));
        if (letter < L'A' || letter > L'Z' || !(GetLogicalDrives() & (1u << (letter - L'A'))))
            return false;
        const std::wstring root{letter, L':', L'\\'};
        UINT type = GetDriveTypeW(root.c_str());
        if (type == DRIVE_REMOTE || type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
            return false;
        QuietDriveErrors quiet;
        if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES)
            return false; // no medium in the drive
    }
    return !DirectoryExists(path);
}

TStringList ReadIniList(const IniReader& ini, const wchar_t* section, bool directoriesOnly) {
    TStringList list;
    int n = ini.Integer(section, L"NumberOfList", 0);
    if (n <= 0)
        return list;
    std::vector<long long> indexes;
    for (const auto& name : ini.KeyNames(section))
        if (long long i = ListKeyIndex(name); i >= 0 && i < n)
            indexes.push_back(i);
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (long long i : indexes) {
        std::wstring e =
            UpperDriveLetter(ini.String(section, IndexedKey(L"List", static_cast<size_t>(i)), L""));
        if (e.empty() || (directoriesOnly && DirectoryKnownGone(e)) || IndexOfText(list, e) >= 0)
            continue;
        list.push_back(e);
    }
    return list;
}

unsigned long long IniReader::Calls() {
    return profileCalls;
}

std::vector<std::wstring> IniReader::KeyNames(const wchar_t* section) const {
    std::vector<wchar_t> buf(4096);
    DWORD n;
    for (;;) {
        ++profileCalls;
        n = GetPrivateProfileStringW(section, nullptr, L"", buf.data(),
                                     static_cast<DWORD>(buf.size()), path_.c_str());
        // A buffer too small is filled up to two characters short of its end.
        if (n + 2 < buf.size())
            break;
        buf.resize(buf.size() * 2);
    }
    std::vector<std::wstring> names;
    for (const wchar_t* p = buf.data(); p < buf.data() + n && *p; p += wcslen(p) + 1)
        names.emplace_back(p);
    return names;
}

std::wstring IniReader::String(const wchar_t* section, const std::wstring& key,
                               const std::wstring& def) const {
    wchar_t buf[MaxValueLength + 1];
    ++profileCalls;
    DWORD n = GetPrivateProfileStringW(section, key.c_str(), def.c_str(), buf, MaxValueLength + 1,
                                       path_.c_str());
    return std::wstring(buf, n);
}

int IniReader::Integer(const wchar_t* section, const std::wstring& key, int def) const {
    int value;
    return ParseIniInteger(String(section, key, L""), value) ? value : def;
}

bool IniReader::Boolean(const wchar_t* section, const std::wstring& key, bool def) const {
    return Integer(section, key, def ? 1 : 0) != 0;
}

void IniWriter::Check(BOOL ok) const {
    if (!ok)
        Fail();
}

void IniWriter::Fail() const {
    throw win::AppError(path_ + L" に書き込めません", GetLastError());
}

void IniWriter::String(const wchar_t* section, const std::wstring& key, const std::wstring& value) {
    Check(WritePrivateProfileStringW(section, key.c_str(), value.c_str(), path_.c_str()));
}

void IniWriter::Integer(const wchar_t* section, const std::wstring& key, long long value) {
    String(section, key, std::to_wstring(value));
}

void IniWriter::Boolean(const wchar_t* section, const std::wstring& key, bool value) {
    String(section, key, value ? L"1" : L"0");
}

void IniWriter::EraseSection(const wchar_t* section) {
    // Wine answers FALSE for a section that is not there. The result is not
    // needed: a file that cannot be written fails at the next value.
    WritePrivateProfileStringW(section, nullptr, nullptr, path_.c_str());
}

void IniWriter::Flush() {
    // Wine answers FALSE to the flush call whatever happens; every value has
    // already been checked as it was written.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());
}

bool CreateUnicodeIniFile(const std::wstring& path) {
    // CREATE_NEW: a file that appeared meanwhile keeps its content and encoding.
    win::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError() == ERROR_FILE_EXISTS;
    static const BYTE bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.get(), bom, sizeof bom, &written, nullptr) && written == sizeof bom;
}

void TForm1::ReadIniFile() {
    if (IniPath.empty())
        IniPath = DefaultIniPath(ui::App().ExePath());
    IniReader ini(IniPath);

    // Each bound is set at once: the resizes lay out the header while CurDir
    // is still empty, so nothing is scanned yet.
    SetBounds(ini.Integer(WindowSection, L"Left", Left()), Top(), Width(), Height());
    SetBounds(Left(), ini.Integer(WindowSection, L"Top", Top()), Width(), Height());
    SetBounds(Left(), Top(), Width(), ini.Integer(WindowSection, L"Height", Height()));
    SetBounds(Left(), Top(), ini.Integer(WindowSection, L"Width", Width()), Height());

    CurDir = UpperDriveLetter(ini.String(ParameterSection, L"fDir", DefaultStartDir));
    EditorPath = ini.String(ParameterSection, L"fEdit", DefaultEditor);
    for (size_t i = 0; i < DriveDirs.size(); ++i)
        DriveDirs[i] = UpperDriveLetter(ini.String(ParameterSection, IndexedKey(L"dLst", i), L""));
    SortForward = ini.Boolean(ParameterSection, L"F_Forward", true);
    SortShlwapi = ini.Boolean(ParameterSection, L"F_Shlwapi", false);
    CopyMode = static_cast<uint8_t>(ini.Integer(ParameterSection, L"cMode", 5) & 0xFF);
    SortKey = static_cast<uint8_t>(ini.Integer(ParameterSection, L"tMode", 1) & 0xFF);

    ui::FontSpec font = Font();
    font.Name = ini.String(FontSection, L"Name", L"ＭＳ ゴシック");
    font.CharSet = static_cast<BYTE>(ini.Integer(FontSection, L"CharSet", SHIFTJIS_CHARSET) & 0xFF);
    font.Color = static_cast<COLORREF>(ini.Integer(FontSection, L"Color", 0));
    font.Size = ini.Integer(FontSection, L"Size", 12);
    font.Style = static_cast<BYTE>(ini.Integer(FontSection, L"Style", 0) & 0xFF);
    SetWindowFont(font);

    QaccessDirList = ReadIniList(ini, QaccessSection, true);
    DirHistory = ReadIniList(ini, DirHistorySection, true);
    ZipHistory = ReadIniList(ini, ZipHistorySection, false);
}

void TForm1::WriteIniFile() {
    if (IniPath.empty())
        IniPath = DefaultIniPath(ui::App().ExePath());
    IniWriter ini(IniPath);
    // A file that the profile functions create themselves is ANSI, which turns
    // every character outside the code page into "?"; a UTF-16LE file with a
    // byte-order mark stays UTF-16LE. An existing file keeps its encoding.
    if (GetFileAttributesW(IniPath.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !CreateUnicodeIniFile(IniPath))
        ini.Fail();

    RECT r = RestoredBounds(Handle());
    ini.Integer(WindowSection, L"Left", r.left);
    ini.Integer(WindowSection, L"Top", r.top);
    ini.Integer(WindowSection, L"Height", r.bottom - r.top);
    ini.Integer(WindowSection, L"Width", r.right - r.left);

    ini.String(ParameterSection, L"fDir", CurDir);
    ini.String(ParameterSection, L"fEdit", EditorPath);
    for (size_t i = 0; i < DriveDirs.size(); ++i)
        ini.String(ParameterSection, IndexedKey(L"dLst", i), DriveDirs[i]);
    ini.Boolean(ParameterSection, L"F_Forward", SortForward);
    ini.Boolean(ParameterSection, L"F_Shlwapi", SortShlwapi);
    ini.Integer(ParameterSection, L"cMode", CopyMode);
    ini.Integer(ParameterSection, L"tMode", SortKey);

    const ui::FontSpec& font = Font();
    ini.EraseSection(FontSection);
    ini.String(FontSection, L"Name", font.Name);
    ini.Integer(FontSection, L"CharSet", font.CharSet);
    ini.Integer(FontSection, L"Color", font.Color);
    ini.Integer(FontSection, L"Size", font.Size);
    ini.Integer(FontSection, L"Style", font.Style);

    WriteList(ini, QaccessSection, QaccessDirList);
    WriteList(ini, DirHistorySection, DirHistory);
    WriteList(ini, ZipHistorySection, ZipHistory);
    ini.Flush();
}
