// Cursor movement and marking.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"

void TForm1::CursorDown(bool forceRedraw) {
    int next = CurIndex + 1;
    if (next >= Count(FileList)) {
        PageTop = 0;
        CurIndex = 0;
        DrawPage();
    } else if (next >= PageTop + PageLines) {
        PageTop += PageLines;
        CurIndex = next;
        DrawPage();
    } else {
        CurIndex = next;
        if (forceRedraw)
            DrawPage();
        else
            SelectLine(CurIndex - PageTop);
    }
}

void TForm1::CursorUp(bool forceRedraw) {
    int prev = CurIndex - 1;
    if (prev < 0) {
        PageTop = ((Count(FileList) - 1) / PageLines) * PageLines;
        CurIndex = Count(FileList) - 1;
        DrawPage();
    } else if (prev < PageTop) {
        PageTop = std::max(0, PageTop - PageLines);
        CurIndex = prev;
        DrawPage();
    } else {
        CurIndex = prev;
        if (forceRedraw)
            DrawPage();
        else
            SelectLine(CurIndex - PageTop);
    }
}

void TForm1::PrevPage() {
    if (FileList.empty())
        return;
    int oldIndex = CurIndex, oldTop = PageTop;
    if (PageTop - PageLines < 0) {
        PageTop = 0;
        CurIndex = 0;
    } else {
        PageTop -= PageLines;
        CurIndex -= PageLines;
    }
    if (CurIndex != oldIndex || PageTop != oldTop)
        DrawPage();
}

void TForm1::NextPage() {
    if (FileList.empty())
        return;
    int oldIndex = CurIndex, oldTop = PageTop;
    int count = Count(FileList);
    if (PageTop + PageLines >= count) {
        CurIndex = count - 1;
    } else {
        PageTop += PageLines;
        CurIndex = std::min(CurIndex + PageLines, count - 1);
    }
    if (CurIndex != oldIndex || PageTop != oldTop)
        DrawPage();
}

void TForm1::ToggleMark() {
    if (FileList.empty())
        return;
    TDataRec& e = *FileList[CurIndex];
    if (e.FileName != L"..")
        e.Marked = !e.Marked;
    CursorDown(true);
}

void TForm1::InvertMarks() {
    if (FileList.empty())
        return;
    for (auto& e : FileList)
        if (e->FileName != L"..")
            e->Marked = !e->Marked;
    DrawPage();
}

void TForm1::ClearOrMarkAll() {
    if (FileList.empty())
        return;
    if (AnyMarked(FileList)) {
        for (auto& e : FileList)
            e->Marked = false;
    } else {
        for (auto& e : FileList)
            if (e->FileName != L".." && !(e->FileAttr & FILE_ATTRIBUTE_DIRECTORY))
                e->Marked = !e->Marked;
    }
    DrawPage();
}
