#include "main/FolderWatcher.h"

#include "subroutines/Subroutines.h"
#include "ui/Application.h"
#include "win/Handle.h"

#include <shlobj.h>

#include <cstddef>

namespace {

constexpr uint32_t EventConstants[] = {
    SHCNE_RENAMEITEM,  SHCNE_CREATE,        SHCNE_DELETE,           SHCNE_MKDIR,
    SHCNE_RMDIR,       SHCNE_MEDIAINSERTED, SHCNE_MEDIAREMOVED,     SHCNE_DRIVEREMOVED,
    SHCNE_DRIVEADD,    SHCNE_NETSHARE,      SHCNE_NETUNSHARE,       SHCNE_ATTRIBUTES,
    SHCNE_UPDATEDIR,   SHCNE_UPDATEITEM,    SHCNE_SERVERDISCONNECT, SHCNE_UPDATEIMAGE,
    SHCNE_DRIVEADDGUI, SHCNE_RENAMEFOLDER,  SHCNE_FREESPACE,        SHCNE_ASSOCCHANGED,
    SHCNE_DISKEVENTS,  SHCNE_GLOBALEVENTS,  SHCNE_ALLEVENTS,
};

constexpr DWORD BufferSize = 64 * 1024;
// How long StopWatch waits for a cancelled read to come back before it
// leaves the request to its completion routine.
constexpr DWORD CancelWaitMs = 5000;
constexpr wchar_t WindowClassName[] = L"TplFolderWatcherWindow";

// -1 when nothing exists at path.
DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

bool IsDirectoryPath(const std::wstring& path) {
    DWORD attr = Attributes(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring DesktopDirectory() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path)))
        return L"";
    return path;
}

// The form CreateFileW wants: a drive's root with its backslash, any other
// directory without one.
std::wstring OpenablePath(const std::wstring& dir) {
    if (dir.size() == 3 && dir[1] == L':')
        return dir;
    return ExcludeTrailingBackslash(dir);
}

void RegisterWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = WindowClassName;
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

uint32_t EventConstant(TplFolderEventOption option) {
    return EventConstants[static_cast<int>(option)];
}

TplFolderEventOptions::TplFolderEventOptions(std::initializer_list<TplFolderEventOption> options) {
    for (auto o : options)
        Include(o);
}

bool TplFolderEventOptions::Contains(TplFolderEventOption option) const {
    return bits_ & (1u << static_cast<int>(option));
}
void TplFolderEventOptions::Include(TplFolderEventOption option) {
    bits_ |= 1u << static_cast<int>(option);
}
void TplFolderEventOptions::Exclude(TplFolderEventOption option) {
    bits_ &= ~(1u << static_cast<int>(option));
}

uint32_t TplFolderEventOptions::EventMask() const {
    uint32_t mask = 0;
    for (int i = 0; i < static_cast<int>(std::size(EventConstants)); ++i)
        if (bits_ & (1u << i))
            mask |= EventConstants[i];
    return mask;
}

// The directory handle and the buffer of one watch. The OVERLAPPED comes
// first: the completion routine finds the request from it.
struct TplFolderWatcher::Request {
    OVERLAPPED overlapped{};
    // Null once the watcher has given the request up: the completion routine
    // then frees it.
    TplFolderWatcher* owner = nullptr;
    win::UniqueHandle dir;
    bool pending = false;
    alignas(DWORD) std::byte buffer[BufferSize];

    static void CALLBACK Completion(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
        auto* r = reinterpret_cast<Request*>(overlapped);
        r->pending = false;
        if (!r->owner) {
            delete r;
            return;
        }
        if (r->owner->request_ == r)
            r->owner->Completed(error, bytes);
    }
};

using enum TplFolderEventOption;

TplFolderWatcher::TplFolderWatcher()
    : Options{evt_RENAMEITEM, evt_CREATE,    evt_DELETE,     evt_MKDIR,
              evt_RMDIR,      evt_UPDATEDIR, evt_UPDATEITEM, evt_RENAMEFOLDER} {}

TplFolderWatcher::~TplFolderWatcher() {
    StopWatch();
}

DWORD TplFolderWatcher::NotifyFilter() const {
    DWORD filter = 0;
    if (Wanted(SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE))
        filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    if (Wanted(SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_RENAMEFOLDER | SHCNE_DELETE))
        filter |= FILE_NOTIFY_CHANGE_DIR_NAME;
    if (Wanted(SHCNE_UPDATEITEM))
        filter |= FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
    if (Wanted(SHCNE_ATTRIBUTES))
        filter |= FILE_NOTIFY_CHANGE_ATTRIBUTES;
    // Only update-directory asked for: any change of names stands for one.
    return filter ? filter : FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
}

bool TplFolderWatcher::StartWatch() {
    StopWatch();
    watchedDir_ = IncludeTrailingBackslash(Directory.empty() ? DesktopDirectory() : Directory);
    if (watchedDir_ == L"\\")
        return false;
    eventMask_ = Options.EventMask();
    if (ChangeNotifyMsg == 0)
        ChangeNotifyMsg = RegisterWindowMessageW(L"wm_plchangenotify");

    auto request = std::make_unique<Request>();
    request->dir.reset(CreateFileW(OpenablePath(watchedDir_).c_str(), FILE_LIST_DIRECTORY,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                   nullptr));
    if (!request->dir)
        return false;

    RegisterWindowClass(&WindowProc);
    FWindowHandle = CreateWindowExW(0, WindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (!FWindowHandle)
        return false;
    SetWindowLongPtrW(FWindowHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    request->owner = this;
    request_ = request.release();
    if (!IssueRead()) {
        StopWatch();
        return false;
    }
    return true;
}

void TplFolderWatcher::StopWatch() {
    ++generation_;
    if (FWindowHandle) {
        DestroyWindow(FWindowHandle);
        FWindowHandle = nullptr;
    }
    queued_.clear();
    deliveryPosted_ = false;
    Request* r = request_;
    request_ = nullptr;
    if (!r)
        return;
    if (r->pending) {
        // The system writes into the buffer until the read comes back: cancel
        // it and let its completion routine run before anything is freed.
        CancelIoEx(r->dir.get(), &r->overlapped);
        DWORD start = GetTickCount();
        while (r->pending && GetTickCount() - start < CancelWaitMs)
            SleepEx(20, TRUE);
        if (r->pending) {
            r->owner = nullptr; // its completion routine frees it
            return;
        }
    }
    delete r;
}

bool TplFolderWatcher::IssueRead() {
    Request* r = request_;
    r->overlapped = OVERLAPPED{};
    if (!ReadDirectoryChangesW(r->dir.get(), r->buffer, BufferSize, Recursive, NotifyFilter(),
                               nullptr, &r->overlapped, &Request::Completion))
        return false;
    r->pending = true;
    return true;
}

void TplFolderWatcher::Completed(DWORD error, DWORD bytes) {
    if (error == ERROR_OPERATION_ABORTED)
        return;
    if (error == NO_ERROR && bytes > 0)
        Translate(bytes);
    else if (Wanted(SHCNE_UPDATEDIR))
        // More changes than the buffer holds, or the directory went away:
        // everything in it may have changed.
        Queue(SHCNE_UPDATEDIR, ExcludeTrailingBackslash(watchedDir_), L"");
    bool readable = error == NO_ERROR || error == ERROR_NOTIFY_ENUM_DIR;
    if (readable && !IssueRead() && Wanted(SHCNE_UPDATEDIR))
        Queue(SHCNE_UPDATEDIR, ExcludeTrailingBackslash(watchedDir_), L"");
}

std::wstring TplFolderWatcher::FullPath(const std::wstring& relative) const {
    return watchedDir_ + relative;
}

void TplFolderWatcher::Translate(DWORD bytes) {
    std::wstring renamedFrom;
    auto removed = [this](const std::wstring& path) {
        // The entry is gone, so whether it was a directory is not known; a
        // removal counts as a deletion unless only directory removals are
        // asked for.
        Queue(Wanted(SHCNE_DELETE) ? SHCNE_DELETE : SHCNE_RMDIR, path, L"");
    };
    const std::byte* p = request_->buffer;
    const std::byte* end = p + bytes;
    for (;;) {
        auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(p);
        std::wstring path =
            FullPath(std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)));
        if (!renamedFrom.empty() && info->Action != FILE_ACTION_RENAMED_NEW_NAME) {
            removed(renamedFrom); // moved out of the directory
            renamedFrom.clear();
        }
        switch (info->Action) {
        case FILE_ACTION_ADDED:
            Queue(IsDirectoryPath(path) ? SHCNE_MKDIR : SHCNE_CREATE, path, L"");
            break;
        case FILE_ACTION_REMOVED:
            removed(path);
            break;
        case FILE_ACTION_MODIFIED:
            // A subdirectory is modified when its own entries change; those
            // changes are not this directory's.
            if (DWORD attr = Attributes(path);
                attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY))
                Queue(SHCNE_UPDATEITEM, path, L"");
            break;
        case FILE_ACTION_RENAMED_OLD_NAME:
            renamedFrom = path;
            break;
        case FILE_ACTION_RENAMED_NEW_NAME: {
            bool dir = IsDirectoryPath(path);
            if (renamedFrom.empty())
                Queue(dir ? SHCNE_MKDIR : SHCNE_CREATE, path, L""); // moved in
            else
                Queue(dir ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM, renamedFrom, path);
            renamedFrom.clear();
            break;
        }
        }
        if (info->NextEntryOffset == 0 || p + info->NextEntryOffset >= end)
            break;
        p += info->NextEntryOffset;
    }
    if (!renamedFrom.empty())
        removed(renamedFrom);
}

void TplFolderWatcher::Queue(int event, const std::wstring& before, const std::wstring& after) {
    if (!Wanted(event) || !FWindowHandle)
        return;
    queued_.push_back({event, before, after});
    // One message carries everything queued until it is handled.
    if (!deliveryPosted_)
        deliveryPosted_ = PostMessageW(FWindowHandle, ChangeNotifyMsg, 0, 0) != 0;
}

void TplFolderWatcher::DeliverQueued() {
    deliveryPosted_ = false;
    std::deque<Notification> batch;
    batch.swap(queued_);
    unsigned generation = generation_;
    for (const auto& n : batch) {
        ui::Guarded([&] { Notify(n.event, n.before, n.after); });
        if (generation != generation_)
            return; // OnChange stopped or restarted the watch
    }
}

void TplFolderWatcher::Notify(int event, const std::wstring& beforePath,
                              const std::wstring& afterPath) {
    if (event != FOldEvent || beforePath != FOldPathBefore || afterPath != FOldPathAfter) {
        FOldEvent = event;
        FOldPathBefore = beforePath;
        FOldPathAfter = afterPath;
        if (OnChange)
            OnChange(event, beforePath, FileNamePart(beforePath), afterPath,
                     FileNamePart(afterPath));
    }
    // A repeated update-directory notification is never dropped.
    if (FOldEvent == SHCNE_UPDATEDIR)
        FOldEvent = -1;
}

void TplFolderWatcher::ForgetLastNotification() {
    FOldEvent = 0;
    FOldPathBefore.clear();
    FOldPathAfter.clear();
}

LRESULT CALLBACK TplFolderWatcher::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != ChangeNotifyMsg || ChangeNotifyMsg == 0)
        return DefWindowProcW(wnd, msg, wp, lp);
    auto* self = reinterpret_cast<TplFolderWatcher*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (self && self->FWindowHandle == wnd)
        self->DeliverQueued();
    return 0;
}
