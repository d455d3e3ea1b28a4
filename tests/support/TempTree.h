#pragma once
// A temporary directory tree for a test, removed with everything in it at
// the end of the test.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root, ending with a backslash.
    const std::wstring& Root() const { return root_; }
    std::wstring Path(const std::wstring& relative) const { return root_ + relative; }

    // Creates a file (and its parent directories) holding `content`.
    void File(const std::wstring& relative, const std::string& content = "", DWORD attributes = 0);
    void Dir(const std::wstring& relative, DWORD attributes = 0);
    // Sets the last-write time of an entry (local time).
    void SetTime(const std::wstring& relative, int year, int month, int day, int hour = 0,
                 int minute = 0, int second = 0);
    std::string Read(const std::wstring& relative) const;
    bool Exists(const std::wstring& relative) const;

  private:
    std::wstring root_;
};

// The whole content of a file, or "<missing>" when it cannot be opened.
std::string ReadAll(const std::wstring& path);
// Every file below `dir` (ending in a backslash) with its content, by path
// relative to `dir`.
std::map<std::wstring, std::string> FilesBelow(const std::wstring& dir,
                                               const std::wstring& prefix = L"");
// The root, such as "Y:\", of the highest drive letter from Y down to E that
// names no drive now; empty when every one is taken.
std::wstring AbsentDriveRoot();
// Removes a directory tree, clearing read-only bits on the way.
void RemoveTree(const std::wstring& path);
// UTF-16 to UTF-8 and back, for messages and file contents.
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);
