#include "settings/History.h"

#include <windows.h>

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                           static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                           nullptr, nullptr, 0) == CSTR_EQUAL;
}

int IndexOfText(const TStringList& list, const std::wstring& text) {
    for (size_t i = 0; i < list.size(); ++i)
        if (SameTextIgnoringCase(list[i], text))
            return static_cast<int>(i);
    return -1;
}

std::wstring UpperDriveLetter(const std::wstring& path) {
    std::wstring p = path;
    if (p.size() >= 2 && p[1] == L':')
        CharUpperBuffW(p.data(), 1);
    return p;
}

void AddHistory(const std::wstring& path, TStringList& list) {
    std::wstring p = UpperDriveLetter(path);
    if (p.empty() || p.back() != L'\\')
        p += L'\\';
    int i = IndexOfText(list, p);
    if (i >= 0)
        list.erase(list.begin() + i);
    list.insert(list.begin(), p);
    if (list.size() > MaxHistory)
        list.resize(MaxHistory);
}
