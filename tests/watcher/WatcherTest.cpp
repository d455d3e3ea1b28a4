// The directory watcher alone and in the file list window: changes made by
// this process, by a Windows process and by a Linux process.

#include "main/FolderWatcher.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>

namespace {

struct Seen {
    int event;
    std::wstring before, beforeName, after, afterName;
};

// Runs the message loop (alertably, so the watcher's reads complete) until
// `done` holds or `limitMs` have passed; the limit only keeps a broken run
// from hanging.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 15000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        ui::App().ProcessMessages();
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT,
                                    MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
    }
    return true;
}

// Counts the ticks of the window's timer and the redraws of its list (every
// rescan ends with one) while it lives.
class WindowProbe {
  public:
    explicit WindowProbe(TForm1& form) : form_(form), previous_(ui::App().GetMessageHook()) {
        ui::App().SetMessageHook([this](MSG& msg, bool& handled) {
            if (msg.message == WM_TIMER && msg.hwnd == form_.Handle() &&
                msg.wParam == form_.Timer1->Id())
                ++ticks;
            if (previous_)
                previous_(msg, handled);
        });
        SetWindowSubclass(form_.LBox_Files->Handle(), &CountResets, 1,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    ~WindowProbe() {
        RemoveWindowSubclass(form_.LBox_Files->Handle(), &CountResets, 1);
        ui::App().SetMessageHook(previous_);
    }
    // Runs the loop until `n` more ticks have been handled.
    void Ticks(int n) {
        int target = ticks + n;
        EXPECT_TRUE(PumpUntil([&] { return ticks >= target; }));
    }
    int ticks = 0;
    int redraws = 0;

  private:
    static LRESULT CALLBACK CountResets(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR self) {
        if (msg == LB_RESETCONTENT)
            ++reinterpret_cast<WindowProbe*>(self)->redraws;
        return DefSubclassProc(wnd, msg, wp, lp);
    }
    TForm1& form_;
    ui::MessageHook previous_;
};

// Records what the window's watcher reports, and passes it on.
class ChangeLog {
  public:
    explicit ChangeLog(TplFolderWatcher& w) : watcher_(w), previous_(w.OnChange) {
        w.OnChange = [this](int e, const std::wstring& bp, const std::wstring& bn,
                            const std::wstring& ap, const std::wstring& an) {
            seen.push_back({e, bp, bn, ap, an});
            if (previous_)
                previous_(e, bp, bn, ap, an);
        };
    }
    ~ChangeLog() { watcher_.OnChange = previous_; }
    bool Mentions(const std::wstring& name) const {
        return std::any_of(seen.begin(), seen.end(), [&](const Seen& s) {
            return s.beforeName == name || s.afterName == name;
        });
    }
    std::vector<Seen> seen;

  private:
    TplFolderWatcher& watcher_;
    TplFolderWatcher::TplFolderWatcherEvent previous_;
};

std::string UnixPath(const std::wstring& path) {
    using Fn = char*(CDECL*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn)
        return "";
    char* unix = fn(path.c_str());
    std::string out = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// Starts a process without handing it our handles (a child holding the
// runner's pipes would keep the test run from ending).
bool Start(const std::wstring& exe, std::wstring commandLine, const std::wstring& dir) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.empty() ? nullptr : exe.c_str(), commandLine.data(), nullptr, nullptr,
                        FALSE, CREATE_NO_WINDOW, nullptr, dir.empty() ? nullptr : dir.c_str(), &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Runs a Linux shell command in `dir` (Wine starts Unix programs directly).
bool RunLinuxShell(const std::wstring& dir, const std::string& script) {
    std::string unixDir = UnixPath(ExcludeTrailingBackslash(dir));
    if (unixDir.empty())
        return false;
    std::wstring line = L"/bin/sh -c \"cd '" + Widen(unixDir) + L"' && " + Widen(script) + L"\"";
    return Start(L"Z:\\bin\\sh", line, L"");
}

bool RunCmd(const std::wstring& dir, const std::wstring& commands) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return Start(std::wstring(system) + L"\\cmd.exe", L"cmd.exe /c " + commands, dir);
}

bool Listed(TForm1& f, const std::wstring& name) {
    return IndexOfName(f.FileList, name) >= 0;
}

// ---- the window follows outside changes -------------------------------------

struct Writer {
    const char* name;
    std::function<bool(const std::wstring& dir)> run;
};

void PrintTo(const Writer& w, std::ostream* os) {
    *os << w.name;
}

class OutsideChanges : public ::testing::TestWithParam<Writer> {};

TEST_P(OutsideChanges, ReachTheListWithinTwoTicksAndKeepOtherMarks) {
    TempTree t;
    for (auto n : {L"keep1.txt", L"keep2.txt", L"old.txt", L"gone.txt", L"zlast.txt"})
        t.File(n, "x");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (auto n : {L"keep1.txt", L"keep2.txt", L"gone.txt"})
        f.FileList[IndexOfName(f.FileList, n)]->Marked = true;
    f.PlaceCursor(IndexOfName(f.FileList, L"zlast.txt"));
    ChangeLog log(f.DirWatcher);
    WindowProbe probe(f);

    ASSERT_TRUE(GetParam().run(t.Root()));
    ASSERT_TRUE(PumpUntil([&] {
        return log.Mentions(L"new.txt") && log.Mentions(L"renamed.txt") &&
               log.Mentions(L"gone.txt");
    })) << "the changes were not reported";
    probe.Ticks(2);

    EXPECT_TRUE(Listed(f, L"new.txt"));
    EXPECT_TRUE(Listed(f, L"renamed.txt"));
    EXPECT_FALSE(Listed(f, L"old.txt"));
    EXPECT_FALSE(Listed(f, L"gone.txt"));
    EXPECT_TRUE(EntryMarked(f.FileList, IndexOfName(f.FileList, L"keep1.txt")));
    EXPECT_TRUE(EntryMarked(f.FileList, IndexOfName(f.FileList, L"keep2.txt")));
    EXPECT_EQ(MarkedCount(f.FileList), 2);
    EXPECT_EQ(EntryName(f.FileList, f.CurIndex), L"zlast.txt");
    auto lines = w.Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& l) {
        return l.find(L"renamed.txt") != std::wstring::npos;
    }));
}

INSTANTIATE_TEST_SUITE_P(
    Writers, OutsideChanges,
    ::testing::Values(Writer{"LinuxShell",
                             [](const std::wstring& dir) {
                                 return RunLinuxShell(
                                     dir, "echo y > new.txt; mv old.txt renamed.txt; rm gone.txt");
                             }},
                      Writer{"WindowsCmd",
                             [](const std::wstring& dir) {
                                 return RunCmd(
                                     dir,
                                     L"echo y> new.txt & ren old.txt renamed.txt & del gone.txt");
                             }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WatchedWindow, BurstOfChangesCostsAtMostOneRescanPerTick) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    WindowProbe probe(f);
    ASSERT_TRUE(RunLinuxShell(t.Root(), "for i in $(seq 1000); do : > f$i.txt; done; : > zdone"));
    ASSERT_TRUE(PumpUntil(
        [&] { return GetFileAttributesW(t.Path(L"zdone").c_str()) != INVALID_FILE_ATTRIBUTES; },
        60000));
    ASSERT_TRUE(PumpUntil([&] { return Listed(f, L"zdone"); }));
    probe.Ticks(2);
    EXPECT_EQ(Count(f.FileList), 1002); // "..", 1000 files, the marker
    EXPECT_GE(probe.redraws, 1);
    EXPECT_LE(probe.redraws, probe.ticks + 1) << "more than one rescan per tick";
    EXPECT_LT(probe.redraws, 100);
}

TEST(WatchedWindow, ChangesWhileBusyAreDroppedAndLaterOnesShown) {
    TempTree t;
    t.File(L"a.txt");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    ChangeLog log(f.DirWatcher);
    WindowProbe probe(f);
    f.Busy = true;
    t.File(L"during.txt");
    ASSERT_TRUE(PumpUntil([&] { return log.Mentions(L"during.txt"); }));
    probe.Ticks(3);
    EXPECT_FALSE(f.DirChanged);
    EXPECT_EQ(probe.redraws, 0);
    EXPECT_FALSE(Listed(f, L"during.txt"));

    f.Busy = false;
    probe.Ticks(2);
    EXPECT_FALSE(Listed(f, L"during.txt")) << "a change seen while busy is lost";
    t.File(L"after.txt");
    ASSERT_TRUE(PumpUntil([&] { return log.Mentions(L"after.txt"); }));
    probe.Ticks(2);
    EXPECT_TRUE(Listed(f, L"after.txt"));
    EXPECT_TRUE(Listed(f, L"during.txt"));
}

TEST(WatchedWindow, FollowsChangeOfDirectoryAndStopsAtClose) {
    TempTree t;
    t.Dir(L"one");
    t.Dir(L"two");
    WindowDriver w(t.Path(L"one"));
    auto& f = w.Form();
    f.CurDir = t.Path(L"two\\");
    f.ChangeDir(true);
    EXPECT_EQ(f.DirWatcher.Directory, t.Path(L"two\\"));
    ChangeLog log(f.DirWatcher);
    t.File(L"one\\x.txt");
    t.File(L"two\\y.txt");
    ASSERT_TRUE(PumpUntil([&] { return log.Mentions(L"y.txt"); }));
    EXPECT_FALSE(log.Mentions(L"x.txt"));
    w.Close();
    EXPECT_FALSE(f.DirWatcher.Watching());
}

// A log that another program writes again and again: each size reaches the
// list, not only the first.
TEST(WatchedWindow, FileRewrittenEverySecondShowsEachNewSize) {
    TempTree t;
    t.File(L"grow.log");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    ASSERT_TRUE(RunLinuxShell(
        t.Root(), "for n in 1 2 3; do sleep 1; head -c ${n}000 /dev/zero > grow.log; done"));
    auto size = [&]() -> int64_t {
        int i = IndexOfName(f.FileList, L"grow.log");
        return i >= 0 ? EntrySize(f.FileList, i) : -1;
    };
    for (int64_t expected : {1000, 2000, 3000})
        EXPECT_TRUE(PumpUntil([&] { return size() == expected; }, 5000))
            << "stuck at " << size() << " waiting for " << expected;
}

// Another program removes the directory shown: the list climbs to the
// nearest existing parent, and the header and the drive's last directory
// name that parent, not the directory that has gone.
TEST(WatchedWindow, VanishedDirectoryIsNotShownAsCurrent) {
    TempTree t;
    t.Dir(L"sub\\inner");
    WindowDriver w(t.Path(L"sub\\inner\\"));
    auto& f = w.Form();
    size_t drive = static_cast<size_t>(towupper(t.Root()[0]) - L'A');
    ASSERT_EQ(f.DriveDirs[drive], t.Path(L"sub\\inner\\"));
    ASSERT_TRUE(RunLinuxShell(t.Root(), "rm -rf sub"));
    ASSERT_TRUE(PumpUntil([&] { return !DirectoryExists(t.Path(L"sub")); }));
    w.Key('R', /*shift=*/true);
    EXPECT_EQ(f.CurDir, t.Root());
    EXPECT_EQ(f.Label_Path->Text(), t.Root());
    EXPECT_EQ(f.DriveDirs[drive], t.Root());

    // Changing to a directory that is not there shows where the list is.
    f.CurDir = t.Path(L"never\\there\\");
    f.ChangeDir(true);
    EXPECT_EQ(f.Label_Path->Text(), t.Root());
    EXPECT_EQ(f.DriveDirs[drive], t.Root());
}

// Attaches a drive letter to a directory as Wine keeps drives, by a link in
// the prefix's dosdevices folder (made by a Linux process), and takes it away
// again whatever happens.
class DriveLink {
  public:
    DriveLink() {
        std::wstring root = AbsentDriveRoot();
        if (!root.empty())
            letter_ = root[0];
    }
    ~DriveLink() {
        if (attached_)
            Detach();
    }
    DriveLink(const DriveLink&) = delete;
    DriveLink& operator=(const DriveLink&) = delete;
    std::wstring Root() const { return std::wstring{letter_, L':', L'\\'}; }
    bool Attach(const std::wstring& dir) {
        attached_ = true;
        return RunLinuxShell(dir, "ln -sfn $PWD $WINEPREFIX/dosdevices/" + Link()) &&
               PumpUntil([&] { return DirectoryExists(Root()); });
    }
    bool Detach() {
        attached_ = false;
        return RunLinuxShell(L"C:\\", "rm -f $WINEPREFIX/dosdevices/" + Link()) &&
               PumpUntil([&] { return !DirectoryExists(Root()); });
    }

  private:
    std::string Link() const { return std::string(1, static_cast<char>(towlower(letter_))) + ":"; }
    wchar_t letter_ = 0;
    bool attached_ = false;
};

// A drive's root has no ".." entry: empty, its list is empty, and an entry
// that another program adds still reaches it.
TEST(WatchedWindow, EmptyDriveRootShowsAFileAddedFromOutside) {
    TempTree t;
    t.Dir(L"root");
    DriveLink drive;
    ASSERT_TRUE(drive.Attach(t.Path(L"root")));
    WindowDriver w(drive.Root());
    auto& f = w.Form();
    ASSERT_TRUE(f.FileList.empty());
    ASSERT_TRUE(RunLinuxShell(t.Path(L"root"), "echo x > arrived.txt"));
    EXPECT_TRUE(PumpUntil([&] { return Listed(f, L"arrived.txt"); }));
}

// The program starts on a stick that is not plugged in: one message, however
// often the window is resized or refreshed; once the stick is there, Shift+R
// lists it and outside changes follow.
TEST(WatchedWindow, MissingDriveIsToldOnceAndListedWhenItAppears) {
    TempTree t;
    t.File(L"stick\\photo.jpg", "x");
    DriveLink drive;
    WindowDriver w(drive.Root());
    auto& f = w.Form();
    EXPECT_EQ(w.DialogsShown(), 1);
    EXPECT_TRUE(f.FileList.empty());
    RECT r = f.Bounds();
    f.SetBounds(r.left, r.top, r.right - r.left + 40, r.bottom - r.top + 40);
    w.Pump();
    w.Key('R', /*shift=*/true);
    f.DirChanged = true;
    WindowProbe probe(f);
    probe.Ticks(2);
    EXPECT_EQ(w.DialogsShown(), 1);

    ASSERT_TRUE(drive.Attach(t.Path(L"stick")));
    w.Key('R', /*shift=*/true);
    EXPECT_TRUE(Listed(f, L"photo.jpg"));
    EXPECT_EQ(w.DialogsShown(), 1);
    ASSERT_TRUE(RunLinuxShell(t.Path(L"stick"), "echo x > second.jpg"));
    EXPECT_TRUE(PumpUntil([&] { return Listed(f, L"second.jpg"); }));
}

// ---- the watcher alone ---------------------------------------------------------

class Watched {
  public:
    explicit Watched(const std::wstring& dir) {
        watcher.Recursive = false;
        watcher.Directory = dir;
        watcher.OnChange = [this](int e, const std::wstring& bp, const std::wstring& bn,
                                  const std::wstring& ap, const std::wstring& an) {
            seen.push_back({e, bp, bn, ap, an});
        };
    }
    // Waits for the notification about `marker`, which a test makes last.
    bool WaitFor(const std::wstring& marker) {
        return PumpUntil([&] {
            return std::any_of(seen.begin(), seen.end(),
                               [&](const Seen& s) { return s.beforeName == marker; });
        });
    }
    TplFolderWatcher watcher;
    std::vector<Seen> seen;
};

TEST(FolderWatcher, ReportsEachChangeWithItsShellEventAndPaths) {
    TempTree t;
    t.File(L"old.txt");
    t.Dir(L"olddir");
    t.File(L"gone.txt");
    Watched w(t.Root());
    ASSERT_TRUE(w.watcher.StartWatch());
    t.File(L"new.txt");
    CreateDirectoryW(t.Path(L"newdir").c_str(), nullptr);
    MoveFileW(t.Path(L"old.txt").c_str(), t.Path(L"renamed.txt").c_str());
    MoveFileW(t.Path(L"olddir").c_str(), t.Path(L"renameddir").c_str());
    DeleteFileW(t.Path(L"gone.txt").c_str());
    t.File(L"marker");
    ASSERT_TRUE(w.WaitFor(L"marker"));

    struct Expected {
        int event;
        std::wstring before, after;
    } expected[] = {
        {SHCNE_CREATE, L"new.txt", L""},
        {SHCNE_MKDIR, L"newdir", L""},
        {SHCNE_RENAMEITEM, L"old.txt", L"renamed.txt"},
        {SHCNE_RENAMEFOLDER, L"olddir", L"renameddir"},
        {SHCNE_DELETE, L"gone.txt", L""},
    };
    for (const auto& e : expected) {
        auto it = std::find_if(w.seen.begin(), w.seen.end(), [&](const Seen& s) {
            return s.event == e.event && s.beforeName == e.before;
        });
        ASSERT_NE(it, w.seen.end()) << std::hex << e.event << " " << Narrow(e.before);
        EXPECT_EQ(it->before, t.Path(e.before));
        EXPECT_EQ(it->afterName, e.after);
        EXPECT_EQ(it->after, e.after.empty() ? L"" : t.Path(e.after));
    }
}

TEST(FolderWatcher, IgnoresChangesInsideSubdirectoriesWhenNotRecursive) {
    TempTree t;
    t.Dir(L"sub");
    t.File(L"sub\\existing.txt", "a");
    Watched w(t.Root());
    ASSERT_TRUE(w.watcher.StartWatch());
    t.File(L"sub\\inner.txt", "abc");
    t.File(L"sub\\existing.txt", "longer text");
    DeleteFileW(t.Path(L"sub\\inner.txt").c_str());
    t.File(L"marker");
    ASSERT_TRUE(w.WaitFor(L"marker"));
    for (const auto& s : w.seen) {
        EXPECT_EQ(s.before.find(L"sub"), std::wstring::npos) << std::hex << s.event;
        EXPECT_EQ(s.after.find(L"sub"), std::wstring::npos) << std::hex << s.event;
    }
}

TEST(FolderWatcher, StopIsHarmlessBeforeStartTwiceAndEndsReports) {
    TempTree t;
    Watched w(t.Root());
    w.watcher.StopWatch();
    w.watcher.StopWatch();
    EXPECT_FALSE(w.watcher.Watching());

    ASSERT_TRUE(w.watcher.StartWatch());
    EXPECT_TRUE(w.watcher.Watching());
    ASSERT_TRUE(w.watcher.StartWatch()); // a restart stops the running watch first
    t.File(L"first");
    ASSERT_TRUE(w.WaitFor(L"first"));
    w.watcher.StopWatch();
    w.watcher.StopWatch();
    EXPECT_FALSE(w.watcher.Watching());
    size_t before = w.seen.size();
    t.File(L"after-stop");
    ui::App().PumpUntilIdle(50, 500);
    EXPECT_EQ(w.seen.size(), before);

    w.watcher.Directory = t.Path(L"missing");
    EXPECT_FALSE(w.watcher.StartWatch());
    EXPECT_FALSE(w.watcher.Watching());
}

// In the cases below this event stands for the window's tick ending a burst.
constexpr int Tick = 0;

TEST(FolderWatcher, DropsExactRepeatsWithinABurstOnlyAndNeverRepeatedUpdateDirectory) {
    struct Case {
        const char* name;
        std::vector<std::tuple<int, std::wstring, std::wstring>> notes;
        size_t reported;
    } cases[] = {
        {"same create twice",
         {{SHCNE_CREATE, L"C:\\d\\a", L""}, {SHCNE_CREATE, L"C:\\d\\a", L""}},
         1},
        {"update directory twice",
         {{SHCNE_UPDATEDIR, L"C:\\d", L""}, {SHCNE_UPDATEDIR, L"C:\\d", L""}},
         2},
        {"other path", {{SHCNE_CREATE, L"C:\\d\\a", L""}, {SHCNE_CREATE, L"C:\\d\\b", L""}}, 2},
        {"other event", {{SHCNE_CREATE, L"C:\\d\\a", L""}, {SHCNE_DELETE, L"C:\\d\\a", L""}}, 2},
        {"other after path",
         {{SHCNE_RENAMEITEM, L"C:\\d\\a", L"C:\\d\\b"},
          {SHCNE_RENAMEITEM, L"C:\\d\\a", L"C:\\d\\c"}},
         2},
        {"repeat after another",
         {{SHCNE_CREATE, L"C:\\d\\a", L""},
          {SHCNE_DELETE, L"C:\\d\\a", L""},
          {SHCNE_CREATE, L"C:\\d\\a", L""}},
         3},
        {"same update item in a later burst",
         {{SHCNE_UPDATEITEM, L"C:\\d\\log", L""},
          {SHCNE_UPDATEITEM, L"C:\\d\\log", L""},
          {Tick, L"", L""},
          {SHCNE_UPDATEITEM, L"C:\\d\\log", L""}},
         2},
    };
    for (const auto& c : cases) {
        Watched w(L"");
        for (const auto& [event, before, after] : c.notes)
            if (event == Tick)
                w.watcher.ForgetLastNotification();
            else
                w.watcher.Notify(event, before, after);
        EXPECT_EQ(w.seen.size(), c.reported) << c.name;
    }
}

TEST(FolderWatcher, DefaultOptionsAskForTheEightDirectoryEvents) {
    TplFolderWatcher w;
    EXPECT_TRUE(w.Recursive);
    EXPECT_EQ(w.Options.EventMask(), 0x2301Fu);
    TplFolderEventOptions all{TplFolderEventOption::evt_ALLEVENTS};
    EXPECT_EQ(all.EventMask(), static_cast<uint32_t>(SHCNE_ALLEVENTS));
}

} // namespace
