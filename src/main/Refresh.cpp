// The 100 ms timer and the refresh that keeps the marks and the cursor entry.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"

void TForm1::RefreshKeepMarks() {
    MarkedNames.clear();
    std::wstring cursorName;
    bool haveCursorName = false;
    if (!FileList.empty()) {
        for (const auto& e : FileList)
            if (e->Marked)
                MarkedNames.push_back(e->FileName);
        if (CurIndex >= 0 && CurIndex < Count(FileList)) {
            cursorName = EntryName(FileList, CurIndex);
            haveCursorName = true;
        }
        RefreshDir(false);
        // The rescan climbs to an existing ancestor when the directory has
        // gone; the watcher follows it there.
        if (DirWatcher.Directory != CurDir) {
            DirWatcher.Directory = CurDir;
            DirWatcher.StartWatch();
        }
        for (const auto& name : MarkedNames)
            if (int i = IndexOfName(FileList, name); i >= 0)
                FileList[i]->Marked = true;
        MarkedNames.clear();
        // The rescan counted no marks; show the restored ones.
        ShowMarkedCount();
    }
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
    if (Busy)
        return;
    SetCaption(NormalCaption);
    if (DirChanged) {
        DirChanged = false;
        RefreshKeepMarks();
    }
}

void TForm1::DirWatcherChange(int, const std::wstring&, const std::wstring&, const std::wstring&,
                              const std::wstring&) {
    if (!Busy)
        DirChanged = true;
}
