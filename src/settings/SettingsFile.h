#pragma once
// The settings file: its default location and the typed access through the
// Windows profile functions.

#include <windows.h>

#include "main/DataRec.h"

#include <string>
#include <vector>

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
    // The names of the keys of `section`, in file order.
    std::vector<std::wstring> KeyNames(const wchar_t* section) const;
    // Profile calls made by all readers so far: what a start costs.
    static unsigned long long Calls();

  private:
    std::wstring path_;
};

// A list section: the values of the keys "List0" ... "List(N-1)" (N = its
// "NumberOfList") that the section holds, in index order, each with its drive
// letter upper-cased. Empty entries and repeats (ignoring case) are left out,
// and with `directoriesOnly` the directories known to be gone. Costs one read
// per key present, whatever N says.
TStringList ReadIniList(const IniReader& ini, const wchar_t* section, bool directoriesOnly);

// True only when the volume of the directory `path` is there and the
// directory is not. A drive that is not attached, a drive without a medium, a
// network drive and a network share are never taken for gone: the network is
// not even asked, so that a start never waits for a server.
bool DirectoryKnownGone(const std::wstring& path);

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
