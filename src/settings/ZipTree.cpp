#include "settings/ZipTree.h"

#include "subroutines/FileIdentity.h"
#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <variant>

namespace {

[[noreturn]] void RaiseCannotOpen(const std::wstring& path, DWORD code) {
    throw win::AppError(L"ファイル " + path + L" は開けません。 " + win::ErrorText(code) + L" ",
                        code);
}

bool IsDotName(const wchar_t* name) {
    return std::wstring_view(name) == L"." || std::wstring_view(name) == L"..";
}

// A linked directory met in a listing. It is followed after the listing that
// met it, when every directory that listing holds itself is known.
struct LinkedDir {
    std::wstring Path; // without the trailing backslash
    std::wstring Name; // the entry name of the link
};

using Item = std::variant<zip::ZipSource, LinkedDir>;

class TreeCollector {
  public:
    std::vector<zip::ZipSource> Collect(const std::wstring& dir);

  private:
    void List(const std::wstring& dir, const std::wstring& prefix, std::vector<Item>& items);
    void Follow(std::vector<Item>& items, std::vector<zip::ZipSource>& out);
    bool FirstVisit(const std::wstring& dir);

    // Until a link is met nothing needs an identity: the directories are
    // only noted, and given their identities when the first link is followed.
    bool visitsChecked_ = false;
    std::vector<std::wstring> listed_;
    std::unordered_set<FileIdentity, FileIdentityHash> visited_;
};

std::vector<zip::ZipSource> TreeCollector::Collect(const std::wstring& dir) {
    std::vector<Item> items;
    listed_.push_back(dir);
    List(dir, L"", items);
    bool anyLink = std::any_of(items.begin(), items.end(),
                               [](const Item& i) { return std::holds_alternative<LinkedDir>(i); });
    if (anyLink) {
        for (const auto& d : listed_)
            FirstVisit(d);
        visitsChecked_ = true;
    }
    std::vector<zip::ZipSource> out;
    out.reserve(items.size());
    Follow(items, out);
    return out;
}

void TreeCollector::List(const std::wstring& dir, const std::wstring& prefix,
                         std::vector<Item>& items) {
    if (dir.size() >= MaxDirPath)
        RaiseCannotOpen(dir, ERROR_FILENAME_EXCED_RANGE);
    WIN32_FIND_DATAW data;
    win::UniqueFind find(FindFirstFileW((dir + L"*").c_str(), &data));
    if (!find) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return;
        RaiseCannotOpen(dir, code);
    }
    do {
        if (IsDotName(data.cFileName))
            continue;
        std::wstring path = dir + data.cFileName;
        std::wstring name = prefix + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                items.push_back(LinkedDir{path, name});
                continue;
            }
            if (visitsChecked_ && !FirstVisit(path))
                continue;
            if (!visitsChecked_)
                listed_.push_back(path);
            List(path + L"\\", name + L"/", items);
            continue;
        }
        if (path.size() >= MAX_PATH)
            RaiseCannotOpen(path, ERROR_FILENAME_EXCED_RANGE);
        items.push_back(zip::ZipSource{path, name});
    } while (FindNextFileW(find.get(), &data));
    DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES)
        RaiseCannotOpen(dir, code);
}

void TreeCollector::Follow(std::vector<Item>& items, std::vector<zip::ZipSource>& out) {
    for (auto& item : items) {
        if (auto* file = std::get_if<zip::ZipSource>(&item)) {
            out.push_back(std::move(*file));
            continue;
        }
        const auto& link = std::get<LinkedDir>(item);
        if (!FirstVisit(link.Path))
            continue;
        std::vector<Item> inner;
        List(link.Path + L"\\", link.Name + L"/", inner);
        Follow(inner, out);
    }
}

// Notes the identity of `dir` (for a link: of its target); false when it was
// noted before.
bool TreeCollector::FirstVisit(const std::wstring& dir) {
    auto identity = IdentityOf(dir);
    if (!identity) {
        DWORD code = GetLastError();
        RaiseCannotOpen(dir, code ? code : ERROR_PATH_NOT_FOUND);
    }
    return visited_.insert(*identity).second;
}

} // namespace

std::vector<zip::ZipSource> CollectTree(const std::wstring& dir) {
    return TreeCollector().Collect(dir);
}
