#pragma once
// The settings file: its default location and the typed access through the
// Windows profile functions.

#include <windows.h>

#include <string>

// The executable's full path upper-cased with its extension replaced by ".INI".
std::wstring DefaultIniPath(const std::wstring& exePath);

// An integer value as the settings file holds it: decimal, or hexadecimal after
// "0x"; false for text that is no number (or does not fit 32 bits).
bool ParseIniInteger(const std::wstring& text, int& value);

// Reads values of one settings file. Every value is one GetPrivateProfileStringW call.
class IniReader {
  public:
    explicit IniReader(std::wstring path) : path_(std::move(path)) {}
    // At most 2047 characters; a longer value is cut.
    std::wstring String(const wchar_t* section, const std::wstring& key,
                        const std::wstring& def) const;
    int Integer(const wchar_t* section, const std::wstring& key, int def) const;
    bool Boolean(const wchar_t* section, const std::wstring& key, bool def) const;

  private:
    std::wstring path_;
};

// Writes values into one settings file, one WritePrivateProfileStringW call per
// value. The first failing call raises "<path> に書き込めません".
class IniWriter {
  public:
    explicit IniWriter(std::wstring path) : path_(std::move(path)) {}
    void String(const wchar_t* section, const std::wstring& key, const std::wstring& value);
    void Integer(const wchar_t* section, const std::wstring& key, long long value);
    void Boolean(const wchar_t* section, const std::wstring& key, bool value);
    void EraseSection(const wchar_t* section);
    // The null call that writes the profile functions' cache to disk.
    void Flush();
    [[noreturn]] void Fail() const;

  private:
    void Check(BOOL ok) const;
    std::wstring path_;
};

// Creates `path` as an empty UTF-16LE file with a byte-order mark, so that the
// profile functions keep writing it as UTF-16LE. False when it cannot be created.
bool CreateUnicodeIniFile(const std::wstring& path);
