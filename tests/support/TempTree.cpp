#include "support/TempTree.h"

#include "win/Handle.h"

#include <stdexcept>

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    int n =
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

TempTree::TempTree() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        root_ = std::wstring(base) + L"pelmo-test-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter) + L"\\";
        if (CreateDirectoryW(root_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a temporary directory");
    }
}

TempTree::~TempTree() {
    RemoveTree(root_);
}

static void MakeParents(const std::wstring& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == L'\\')
            CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

void TempTree::File(const std::wstring& relative, const std::string& content, DWORD attributes) {
    std::wstring path = Path(relative);
    MakeParents(path);
    win::UniqueHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h)
        throw std::runtime_error("cannot create " + Narrow(path));
    DWORD written = 0;
    if (!content.empty())
        WriteFile(h.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    h.reset();
    if (attributes)
        SetFileAttributesW(path.c_str(), attributes);
}

void TempTree::Dir(const std::wstring& relative, DWORD attributes) {
    std::wstring path = Path(relative);
    MakeParents(path + L"\\");
    CreateDirectoryW(path.c_str(), nullptr);
    if (attributes)
        SetFileAttributesW(path.c_str(), attributes);
}

void TempTree::SetTime(const std::wstring& relative, int year, int month, int day, int hour,
                       int minute, int second) {
    SYSTEMTIME local{static_cast<WORD>(year),
                     static_cast<WORD>(month),
                     0,
                     static_cast<WORD>(day),
                     static_cast<WORD>(hour),
                     static_cast<WORD>(minute),
                     static_cast<WORD>(second),
                     0};
    FILETIME lft, ft;
    SystemTimeToFileTime(&local, &lft);
    LocalFileTimeToFileTime(&lft, &ft);
    win::UniqueHandle h(CreateFileW(Path(relative).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    SetFileTime(h.get(), nullptr, nullptr, &ft);
}

std::string TempTree::Read(const std::wstring& relative) const {
    return ReadAll(Path(relative));
}

bool TempTree::Exists(const std::wstring& relative) const {
    return GetFileAttributesW(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::wstring& path) {
    win::UniqueHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    if (!h)
        return "<missing>";
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h.get(), buf, sizeof buf, &n, nullptr) && n > 0)
        out.append(buf, n);
    return out;
}

std::map<std::wstring, std::string> FilesBelow(const std::wstring& dir,
                                               const std::wstring& prefix) {
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW((dir + prefix + L"*").c_str(), &fd));
    if (!find)
        return files;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files.merge(FilesBelow(dir, prefix + name + L"\\"));
        else
            files[prefix + name] = ReadAll(dir + prefix + name);
    } while (FindNextFileW(find.get(), &fd));
    return files;
}

void RemoveTree(const std::wstring& path) {
    std::wstring dir = path;
    if (!dir.empty() && dir.back() != L'\\')
        dir += L'\\';
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW((dir + L"*").c_str(), &fd));
    if (find) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = dir + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            bool isLink = fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink)
                RemoveTree(full);
            else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(full.c_str()) || DeleteFileW(full.c_str());
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(find.get(), &fd));
    }
    find.reset();
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

std::wstring AbsentDriveRoot() {
    DWORD drives = GetLogicalDrives();
    for (wchar_t c = L'Y'; c > L'D'; --c)
        if (!(drives & (1u << (c - L'A'))))
            return std::wstring{c, L':', L'\\'};
    return L"";
}
