// The 100 ms timer and the refresh that keeps the marks and the cursor entry.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"

// The rescan climbs to an existing ancestor when the directory has gone, and
// a directory that could not be watched may be there now: the watcher
// follows the directory that the list shows.
void TForm1::FollowWithWatcher() {
    if (DirWatcher.Directory != CurDir || !DirWatcher.Watching()) {
        DirWatcher.Directory = CurDir;
        DirWatcher.StartWatch();
    }
}

void TForm1::RefreshKeepMarks() {
    RaisedFlag reloading(Reloading);
    MarkedNames.clear();
    std::wstring cursorName;
    bool haveCursorName = false;
    for (const auto& e : FileList)
        if (e->Marked)
            MarkedNames.push_back(e->FileName);
    if (CurIndex >= 0 && CurIndex < Count(FileList)) {
        cursorName = EntryName(FileList, CurIndex);
        haveCursorName = true;
    }
    // An empty list is read again too: the drive or the entries that were
    // missing may be there now. A window without a directory reads nothing.
    if (!CurDir.empty()) {
        RefreshDir(false);
        FollowWithWatcher();
        for (const auto& name : MarkedNames)
            if (int i = IndexOfName(FileList, name); i >= 0)
                FileList[i]->Marked = true;
        // The rescan counted no marks; show the restored ones.
        ShowMarkedCount();
    }
    MarkedNames.clear();
    int i = haveCursorName ? IndexOfName(FileList, cursorName) : -1;
    if (i >= 0) {
        PageTop = (i / PageLines) * PageLines;
        CurIndex = i;
    } else {
        // The cursor entry vanished: the nearest valid index.
        NormalisePage();
    }
    DrawPage();
}

void TForm1::Timer1Timer() {
    ShowClock();
    // The notifications since the last tick were one burst; a later repeat
    // of one of them is a new change.
    DirWatcher.ForgetLastNotification();
    if (Busy)
        return;
    SetCaption(NormalCaption);
    // A tick inside a running rescan (a message it shows runs the message
    // loop) leaves the change pending for a tick after it.
    if (DirChanged && !Reloading) {
        DirChanged = false;
        RefreshKeepMarks();
    }
}

void TForm1::DirWatcherChange(int, const std::wstring&, const std::wstring&, const std::wstring&,
                              const std::wstring&) {
    if (!Busy)
        DirChanged = true;
}
