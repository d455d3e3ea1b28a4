#include "subroutines/FileIdentity.h"

#include "subroutines/Subroutines.h"
#include "win/Handle.h"

#include <cstdint>
#include <cstring>
#include <functional>

bool FileIdentity::operator==(const FileIdentity& other) const {
    return volume == other.volume && std::memcmp(&id, &other.id, sizeof id) == 0;
}

size_t FileIdentityHash::operator()(const FileIdentity& identity) const {
    uint64_t low, high;
    std::memcpy(&low, identity.id.Identifier, sizeof low);
    std::memcpy(&high, identity.id.Identifier + sizeof low, sizeof high);
    return std::hash<uint64_t>()(low ^ (high * 31) ^ (identity.volume << 1));
}

namespace {

// Opens without asking for data and shares everything, so that a file in use
// by another program still answers; directories need backup semantics.
win::UniqueHandle OpenForIdentity(const std::wstring& path) {
    return win::UniqueHandle(CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The 128-bit ID where the system gives one (ReFS needs it); the 64-bit file
// index where it does not (Windows before 8).
std::optional<FileIdentity> IdentityOfHandle(HANDLE h) {
    FileIdentity identity;
    FILE_ID_INFO idInfo{};
    if (GetFileInformationByHandleEx(h, FileIdInfo, &idInfo, sizeof idInfo)) {
        identity.volume = idInfo.VolumeSerialNumber;
        identity.id = idInfo.FileId;
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info))
        return std::nullopt;
    identity.volume = info.dwVolumeSerialNumber;
    ULONGLONG index = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::memcpy(identity.id.Identifier, &index, sizeof index);
    return identity;
}

// The parent of an absolute path; empty at a root ("C:\", "\\server\share\").
std::wstring ParentDirectory(const std::wstring& path) {
    std::wstring p = ExcludeTrailingBackslash(path);
    size_t sep = p.find_last_of(L'\\');
    if (sep == std::wstring::npos)
        return {};
    std::wstring parent = p.substr(0, sep + 1);
    // "\\server\" alone is no directory.
    if (parent.starts_with(L"\\\\") && parent.find(L'\\', 2) == sep)
        return {};
    return parent == p ? std::wstring{} : parent;
}

// Where an open file or directory really lies, links resolved, in the form
// "C:\..." or "\\server\share\..."; empty when the system cannot say.
std::wstring FinalPathOf(HANDLE h) {
    DWORD n = GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0)
        return {};
    std::wstring path(n, L'\0');
    n = GetFinalPathNameByHandleW(h, path.data(), n, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= path.size())
        return {};
    path.resize(n);
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

// True when `dir` or any of its ancestors has the identity `target`.
bool AncestorHasIdentity(std::wstring dir, const FileIdentity& target) {
    for (; !dir.empty(); dir = ParentDirectory(dir)) {
        auto identity = IdentityOf(dir);
        if (identity && *identity == target)
            return true;
    }
    return false;
}

} // namespace

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    if (path.empty())
        return std::nullopt;
    win::UniqueHandle h = OpenForIdentity(FullPathName(path));
    if (!h)
        return std::nullopt;
    return IdentityOfHandle(h.get());
}

bool SameFileOrDirectory(const std::wstring& a, const std::wstring& b) {
    auto first = IdentityOf(a);
    if (!first)
        return false;
    auto second = IdentityOf(b);
    return second && *first == *second;
}

bool IsSameOrInside(const std::wstring& path, const std::wstring& dir) {
    auto target = IdentityOf(dir);
    if (!target)
        return false;
    // The ancestors as spelt, up to the nearest one that exists; from there
    // also the ancestors of where it really lies, since a link on the way
    // may lead into `dir` from a path that does not spell it.
    for (std::wstring p = FullPathName(path); !p.empty(); p = ParentDirectory(p)) {
        win::UniqueHandle h = OpenForIdentity(p);
        if (!h)
            continue;
        auto identity = IdentityOfHandle(h.get());
        if (identity && *identity == *target)
            return true;
        std::wstring real = FinalPathOf(h.get());
        h.reset();
        return AncestorHasIdentity(ParentDirectory(p), *target) ||
               (!real.empty() && AncestorHasIdentity(ParentDirectory(real), *target));
    }
    return false;
}
