#pragma once
// Reports changes of one directory as OnChange events on the user-interface
// thread.

#include <windows.h>

#include <functional>
#include <string>

class TplFolderWatcher {
  public:
    using TplFolderWatcherEvent = std::function<void(
        int event, const std::wstring& beforePath, const std::wstring& beforeName,
        const std::wstring& afterPath, const std::wstring& afterName)>;

    TplFolderWatcher() = default;
    ~TplFolderWatcher();
    TplFolderWatcher(const TplFolderWatcher&) = delete;
    TplFolderWatcher& operator=(const TplFolderWatcher&) = delete;

    std::wstring Directory;
    bool Recursive = true;
    TplFolderWatcherEvent OnChange;

    bool StartWatch();
    void StopWatch();
};
