#pragma once
// Reports changes of one directory as OnChange events on the user-interface
// thread, with the shell's event codes (SHCNE_*) and the paths before and
// after the change.
//
// The changes come from ReadDirectoryChangesW on an overlapped directory
// handle. Its completion routine runs in an alertable wait of the message
// loop; it turns the records into notifications and posts them to a hidden
// window, whose handler calls OnChange between other messages. (The shell's
// own change notifications would do on Windows, but Wine registers them and
// never delivers a file-system change; the directory handle works on both.)

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

// The events a watcher can ask for; each stands for the shell event constant
// of the same name.
enum class TplFolderEventOption {
    evt_RENAMEITEM,
    evt_CREATE,
    evt_DELETE,
    evt_MKDIR,
    evt_RMDIR,
    evt_MEDIAINSERTED,
    evt_MEDIAREMOVED,
    evt_DRIVEREMOVED,
    evt_DRIVEADD,
    evt_NETSHARE,
    evt_NETUNSHARE,
    evt_ATTRIBUTES,
    evt_UPDATEDIR,
    evt_UPDATEITEM,
    evt_SERVERDISCONNECT,
    evt_UPDATEIMAGE,
    evt_DRIVEADDGUI,
    evt_RENAMEFOLDER,
    evt_FREESPACE,
    evt_ASSOCCHANGED,
    evt_DISKEVENTS,
    evt_GLOBALEVENTS,
    evt_ALLEVENTS,
};

// The shell event constant of an option.
uint32_t EventConstant(TplFolderEventOption option);

// A set of options.
class TplFolderEventOptions {
  public:
    TplFolderEventOptions() = default;
    TplFolderEventOptions(std::initializer_list<TplFolderEventOption> options);
    bool Contains(TplFolderEventOption option) const;
    void Include(TplFolderEventOption option);
    void Exclude(TplFolderEventOption option);
    // The bitwise OR of the constants of all options in the set.
    uint32_t EventMask() const;

  private:
    uint32_t bits_ = 0;
};

class TplFolderWatcher {
  public:
    using TplFolderWatcherEvent = std::function<void(
        int event, const std::wstring& beforePath, const std::wstring& beforeName,
        const std::wstring& afterPath, const std::wstring& afterName)>;

    TplFolderWatcher();
    ~TplFolderWatcher();
    TplFolderWatcher(const TplFolderWatcher&) = delete;
    TplFolderWatcher& operator=(const TplFolderWatcher&) = delete;

    static constexpr const wchar_t* AboutVCL = L"Version 1.05";

    // The directory to watch; empty = the desktop.
    std::wstring Directory;
    bool Recursive = true;
    TplFolderEventOptions Options;
    TplFolderWatcherEvent OnChange;

    // (Re)starts watching Directory; false when it cannot be watched.
    bool StartWatch();
    // Stops watching; harmless when not watching. Returns only when no read
    // of the directory is in flight any more.
    void StopWatch();
    bool Watching() const { return request_ != nullptr; }

    // Runs one notification through the handler: an exact repeat of the last
    // reported one is dropped, except for update-directory notifications.
    // The notification source calls it; so can a test.
    void Notify(int event, const std::wstring& beforePath, const std::wstring& afterPath);
    // Ends a burst: the next notification is reported even when it repeats
    // the last one (a file written again later is a new change).
    void ForgetLastNotification();

    struct Request;

  private:
    struct Notification {
        int event;
        std::wstring before;
        std::wstring after;
    };

    bool IssueRead();
    void Completed(DWORD error, DWORD bytes);
    void Translate(DWORD bytes);
    void Queue(int event, const std::wstring& before, const std::wstring& after);
    void DeliverQueued();
    std::wstring FullPath(const std::wstring& relative) const;
    DWORD NotifyFilter() const;
    bool Wanted(int event) const { return (static_cast<uint32_t>(event) & eventMask_) != 0; }
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    std::wstring watchedDir_; // with a trailing backslash
    uint32_t eventMask_ = 0;
    HWND FWindowHandle = nullptr;
    // The directory handle and buffer of the read in flight. Owned here while
    // no read is pending on it; see StopWatch for the hand-over.
    Request* request_ = nullptr;
    std::deque<Notification> queued_;
    bool deliveryPosted_ = false;
    unsigned generation_ = 0; // counts StopWatch calls
    int FOldEvent = 0;
    std::wstring FOldPathBefore, FOldPathAfter;
};

// Id of the message that carries notifications to the hidden window;
// registered by the first StartWatch.
inline UINT ChangeNotifyMsg = 0;
