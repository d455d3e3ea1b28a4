// Drops onto the file list through its registered drop target, and the file
// list a drag out of it carries.

#include "dialogs/MsgBox.h"
#include "fileops/CopyMovePrompts.h"
#include "fileops/DragDrop.h"
#include "fileops/FileCopy.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "win/Handle.h"

#include <shellapi.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

// The program initialises OLE in its entry point; the tests do it here,
// before any window registers its drop target.
win::OleInit ole;

struct DataObject {
    explicit DataObject(const TStringList& paths) : p(CreateFileDataObject(paths)) {}
    ~DataObject() { p->Release(); }
    IDataObject* p;
};

// Drags `paths` over the list and drops them, as OLE calls a target; returns
// the effect reported to the source.
DWORD DropOnto(TForm1& f, const TStringList& paths, DWORD keys = 0,
               DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_LINK) {
    DataObject data(paths);
    IDropTarget* target = f.DropFileTarget1.get();
    POINTL at{10, 10};
    DWORD effect = allowed;
    EXPECT_EQ(target->DragEnter(data.p, keys, at, &effect), S_OK);
    effect = allowed;
    target->DragOver(keys, at, &effect);
    effect = allowed;
    EXPECT_EQ(target->Drop(data.p, keys, at, &effect), S_OK);
    return effect;
}

// Answers the replace prompt, checking that it is the one asked.
std::function<void(ui::Form&)> Answer(int result) {
    return [result](ui::Form& form) {
        EXPECT_NE(dynamic_cast<TMsgBox*>(&form), nullptr);
        EXPECT_EQ(MsgBoxText, L"既存ファイルを置き換えますか？");
        form.SetModalResult(result);
    };
}

bool Listed(TForm1& f, const std::wstring& name) {
    return IndexOfName(f.FileList, name) >= 0;
}

// ---- drags seen from the test ----------------------------------------------------

// The paths of a data object, read with DragQueryFileW.
TStringList QueryFiles(IDataObject* data) {
    TStringList paths;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK)
        return paths;
    auto drop = static_cast<HDROP>(medium.hGlobal);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[MAX_PATH];
        DragQueryFileW(drop, i, path, MAX_PATH);
        paths.push_back(path);
    }
    ReleaseStgMedium(&medium);
    return paths;
}

struct DragCapture {
    DragCapture(TForm1& f) {
        RunDragDrop = [this, &f](IDataObject* data, DWORD allowed) {
            ++drags;
            paths = QueryFiles(data);
            this->allowed = allowed;
            activeDuringDrag = f.DragSourceActive;
            return DWORD(DROPEFFECT_NONE);
        };
    }
    ~DragCapture() { RunDragDrop = nullptr; }
    int drags = 0;
    TStringList paths;
    DWORD allowed = 0;
    bool activeDuringDrag = false;
};

int LineY(TForm1& f, int line) {
    int h = static_cast<int>(SendMessageW(f.LBox_Files->Handle(), LB_GETITEMHEIGHT, 0, 0));
    return line * h + h / 2;
}

// ---- drops ----------------------------------------------------------------------

TEST(Drop, CopiesFilesMergesDirectoriesAndSkipsMissingPaths) {
    TempTree src, dst;
    src.File(L"a.txt", "A");
    src.File(L"b.txt", "B");
    src.File(L"d\\sub\\x.txt", "X");
    src.File(L"d\\same.txt", "new");
    dst.File(L"d\\same.txt", "old");
    dst.File(L"d\\mine.txt", "M");
    WindowDriver w(dst.Root());
    auto& f = w.Form();

    DWORD effect = DropOnto(
        f, {src.Path(L"a.txt"), src.Path(L"d"), src.Path(L"missing.txt"), src.Path(L"b.txt")});
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dst.Read(L"a.txt"), "A");
    EXPECT_EQ(dst.Read(L"b.txt"), "B");
    EXPECT_EQ(dst.Read(L"d\\sub\\x.txt"), "X");
    EXPECT_EQ(dst.Read(L"d\\same.txt"), "new") << "merged without a prompt";
    EXPECT_EQ(dst.Read(L"d\\mine.txt"), "M");
    EXPECT_FALSE(dst.Exists(L"missing.txt"));
    EXPECT_EQ(w.DialogsShown(), 0);
    EXPECT_TRUE(f.DropList.empty());
    EXPECT_TRUE(Listed(f, L"a.txt") && Listed(f, L"b.txt") && Listed(f, L"d"));
    EXPECT_TRUE(src.Exists(L"a.txt")) << "a drop copies, it never moves";
}

TEST(Drop, AsksBeforeReplacingAFileAndGoesOnAfterCancel) {
    TempTree src, dst;
    src.File(L"a.txt", "new a");
    src.File(L"b.txt", "new b");
    src.File(L"c.txt", "new c");
    dst.File(L"a.txt", "old a");
    dst.File(L"b.txt", "old b");
    WindowDriver w(dst.Root());
    w.OnDialogs({Answer(ui::mrOk), Answer(ui::mrCancel)});

    DropOnto(w.Form(), {src.Path(L"a.txt"), src.Path(L"b.txt"), src.Path(L"c.txt")});
    EXPECT_EQ(w.DialogsShown(), 2);
    EXPECT_EQ(dst.Read(L"a.txt"), "new a");
    EXPECT_EQ(dst.Read(L"b.txt"), "old b");
    EXPECT_EQ(dst.Read(L"c.txt"), "new c");
    EXPECT_TRUE(w.Errors.empty());
}

// A file that is the one in the current directory, however it is named (the
// same path, another letter case, a hard link elsewhere): after the prompt
// the copy onto itself fails and the rest of the drop is abandoned.
TEST(Drop, FileFromTheCurrentDirectoryEndsTheDropSilentlyAndIntact) {
    TempTree src, dst;
    dst.File(L"self.txt", "mine");
    src.File(L"later.txt", "L");
    src.Dir(L"links");
    ASSERT_TRUE(CreateHardLinkW(src.Path(L"links\\self.txt").c_str(), dst.Path(L"self.txt").c_str(),
                                nullptr));
    WindowDriver w(dst.Root());
    for (auto dropped :
         {dst.Path(L"self.txt"), dst.Path(L"SELF.TXT"), src.Path(L"links\\self.txt")}) {
        SCOPED_TRACE(Narrow(dropped));
        int shown = w.DialogsShown();
        w.OnDialogs({Answer(ui::mrOk)});
        DWORD effect = DropOnto(w.Form(), {dropped, src.Path(L"later.txt")});
        EXPECT_EQ(w.DialogsShown(), shown + 1);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(dst.Read(L"self.txt"), "mine");
        EXPECT_EQ(src.Read(L"links\\self.txt"), "mine");
        EXPECT_FALSE(dst.Exists(L"later.txt")) << "the rest of the drop is abandoned";
        EXPECT_TRUE(w.Errors.empty()) << "no message";
        EXPECT_TRUE(w.Form().DropList.empty());
    }
}

// While a copy waits in its conflict dialog the list is busy: a drop has no
// effect and changes neither the list nor its marks, and a press on the list
// starts no drag.
TEST(Drop, DuringARunningCopyIsRefusedAndNoDragStarts) {
    TempTree src, dst, other;
    src.File(L"a.txt", "new a");
    src.File(L"b.txt", "b");
    dst.File(L"a.txt", "old a");
    other.File(L"dropped.txt", "D");
    WindowDriver w(src.Root());
    auto& f = w.Form();
    for (auto n : {L"a.txt", L"b.txt"})
        f.FileList[IndexOfName(f.FileList, n)]->Marked = true;
    Prompts().AskDestination = [&](const std::wstring&, const std::wstring&, TStringList& h) {
        h.insert(h.begin(), dst.Root());
        return 1;
    };
    Prompts().ShowReport = [](const std::wstring&, const TStringList&) {};
    DragCapture drag(f);
    DWORD effect = DROPEFFECT_COPY;
    size_t entries = 0;
    int marked = 0;
    w.OnDialogs({[&](ui::Form& dialog) {
        EXPECT_TRUE(f.Busy);
        entries = f.FileList.size();
        marked = MarkedCount(f.FileList);
        effect = DropOnto(f, {other.Path(L"dropped.txt")});
        f.LBox_FilesMouseDown(5, LineY(f, 1));
        EXPECT_EQ(f.FileList.size(), entries);
        EXPECT_EQ(MarkedCount(f.FileList), marked);
        dialog.SetModalResult(ui::mrCancel);
    }});
    ui::Guarded([&] { f.CopyCommand(); });
    Prompts() = DialogPrompts();
    EXPECT_EQ(w.DialogsShown(), 1);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(drag.drags, 0);
    EXPECT_EQ(marked, 2);
    EXPECT_FALSE(src.Exists(L"dropped.txt"));
    EXPECT_EQ(dst.Read(L"a.txt"), "old a");
    EXPECT_EQ(dst.Read(L"b.txt"), "b") << "the walk went on after the refused drop";

    // Idle again: the same drop is taken.
    EXPECT_EQ(DropOnto(f, {other.Path(L"dropped.txt")}), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(src.Read(L"dropped.txt"), "D");
}

TEST(Drop, RefusesADirectoryDroppedIntoItselfOrItsSubtree) {
    TempTree t;
    t.File(L"top\\inner\\deep\\f.txt", "F");
    t.File(L"other.txt", "O");
    struct Case {
        const wchar_t* curDir;
        const wchar_t* dropped;
    } cases[] = {
        {L"top\\inner\\", L"top"},        // the current directory lies inside it
        {L"top\\inner\\deep\\", L"top"},  // deeper inside
        {L"top\\inner\\", L"top\\inner"}, // the current directory itself
        {L"top\\", L"top\\inner"},        // onto itself (same name in CurDir)
        {L"top\\inner\\", L"TOP"},        // letter case is not a way round
    };
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (const auto& c : cases) {
        f.CurDir = t.Path(c.curDir);
        f.ChangeDir(true);
        DWORD effect = DropOnto(f, {t.Path(c.dropped), t.Path(L"other.txt")});
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << Narrow(c.curDir);
        EXPECT_FALSE(DirectoryExists(t.Path(c.curDir) + L"top")) << Narrow(c.curDir);
        EXPECT_FALSE(FileExists(t.Path(c.curDir) + L"other.txt")) << Narrow(c.curDir);
    }
    EXPECT_FALSE(t.Exists(L"top\\inner\\inner"));
    EXPECT_EQ(t.Read(L"top\\inner\\deep\\f.txt"), "F");
    EXPECT_TRUE(w.Errors.empty());
}

TEST(Drop, OffersCopyOrLinkAndIgnoresOwnDrag) {
    TempTree src, dst;
    src.File(L"a.txt", "A");
    WindowDriver w(dst.Root());
    auto& f = w.Form();

    EXPECT_EQ(DropOnto(f, {src.Path(L"a.txt")}, MK_ALT), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(dst.Read(L"a.txt"), "A") << "a link drop copies as well";
    DeleteFileW(dst.Path(L"a.txt").c_str());
    EXPECT_EQ(DropOnto(f, {src.Path(L"a.txt")}, 0, DROPEFFECT_MOVE),
              static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(dst.Exists(L"a.txt")) << "a move is not offered";

    f.DragSourceActive = true;
    EXPECT_EQ(DropOnto(f, {src.Path(L"a.txt")}), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(dst.Exists(L"a.txt"));
    f.DragSourceActive = false;
}

// run.sh mounts a 256 KiB file system; a drop onto it that does not fit
// fails as a whole, leaves no partial file under a final name and keeps an
// existing file of that name.
TEST(Drop, OntoAFullDiskLeavesNoPartialFileAndKeepsTheOldOne) {
    const char* mounted = std::getenv("PELMO_FULLDISK");
    if (!mounted)
        GTEST_SKIP() << "needs the small file system of run.sh (root)";
    std::wstring full = Widen(mounted);
    TempTree src;
    std::string big(600 * 1024, 'z');
    src.File(L"big.bin", big);
    src.File(L"small.txt", "small");
    src.File(L"d\\a.txt", "a");
    src.File(L"d\\big.bin", big);
    auto before = FilesBelow(src.Root());
    WindowDriver w(full);
    auto& f = w.Form();

    // No file of that name yet: nothing arrives, the later path is not copied.
    EXPECT_EQ(DropOnto(f, {src.Path(L"big.bin"), src.Path(L"small.txt")}),
              static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(FilesBelow(full).empty());

    // An existing file that the drop was to replace stays as it was.
    CopyOneFile(src.Path(L"small.txt"), full + L"big.bin", false);
    w.OnDialogs({Answer(ui::mrOk)});
    EXPECT_EQ(DropOnto(f, {src.Path(L"big.bin")}), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(FilesBelow(full), (std::map<std::wstring, std::string>{{L"big.bin", "small"}}));
    DeleteFileW((full + L"big.bin").c_str());

    // A directory whose files do not all fit is a failed drop too; what did
    // arrive is whole.
    EXPECT_EQ(DropOnto(f, {src.Path(L"d"), src.Path(L"small.txt")}),
              static_cast<DWORD>(DROPEFFECT_NONE));
    for (const auto& [name, content] : FilesBelow(full))
        EXPECT_EQ(content, before[name]) << Narrow(name);
    EXPECT_FALSE(FileExists(full + L"small.txt"));
    EXPECT_FALSE(FileExists(full + L"d\\big.bin"));

    EXPECT_EQ(FilesBelow(src.Root()), before) << "a drop never changes its source";
    EXPECT_TRUE(w.Errors.empty()) << "a failed drop shows nothing";
    RemoveTree(full + L"d");
}

// ---- drag out -------------------------------------------------------------------

TEST(DragOut, CarriesTheMarkedEntriesInListOrderOrTheEntryUnderTheMouse) {
    TempTree t;
    for (auto n : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"})
        t.File(n);
    t.Dir(L"sub");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    DragCapture drag(f);

    // Nothing marked: the entry under the mouse, which becomes the cursor entry.
    int b = IndexOfName(f.FileList, L"b.txt");
    f.LBox_FilesMouseDown(5, LineY(f, b));
    EXPECT_EQ(drag.paths, TStringList{t.Path(L"b.txt")});
    EXPECT_EQ(f.CurIndex, b);
    EXPECT_EQ(drag.allowed, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(drag.activeDuringDrag);
    EXPECT_FALSE(f.DragSourceActive);

    // Marked entries, wherever the mouse is; below the last line picks the last.
    for (auto n : {L"d.txt", L"sub", L"a.txt"})
        f.FileList[IndexOfName(f.FileList, n)]->Marked = true;
    f.LBox_FilesMouseDown(5, f.LBox_Files->ClientHeight() - 2);
    TStringList expected;
    for (const auto& e : f.FileList)
        if (e->Marked)
            expected.push_back(t.Root() + e->FileName);
    EXPECT_EQ(drag.paths, expected);
    EXPECT_EQ(drag.paths.size(), 3u);
    EXPECT_EQ(f.CurIndex, Count(f.FileList) - 1);

    // The parent entry is not dragged out.
    for (auto& e : f.FileList)
        e->Marked = false;
    int drags = drag.drags;
    f.LBox_FilesMouseDown(5, LineY(f, IndexOfName(f.FileList, L"..")));
    EXPECT_EQ(drag.drags, drags);
}

TEST(DragOut, EmptyListStartsNoDrag) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.CurDir = L"Q:\\nothing\\";
    f.RefreshDir(true);
    ASSERT_TRUE(f.FileList.empty());
    DragCapture drag(f);
    f.LBox_FilesMouseDown(5, 5);
    EXPECT_EQ(drag.drags, 0);
}

TEST(DragOut, AClickWithoutMovingDropsOnTheListWithNoEffect) {
    TempTree t;
    t.File(L"a.txt", "A");
    t.File(L"b.txt", "B");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (auto& e : f.FileList)
        e->Marked = e->FileName != L"..";
    RECT r;
    GetWindowRect(f.LBox_Files->Handle(), &r);
    SetForegroundWindow(f.Handle());
    SetCursorPos(r.left + 20, r.top + LineY(f, 1));
    // The real drag: no button is held, so it ends at once where the mouse is.
    f.LBox_FilesMouseDown(20, LineY(f, 1));
    w.Pump();
    EXPECT_FALSE(f.DragSourceActive);
    EXPECT_EQ(t.Read(L"a.txt"), "A");
    EXPECT_EQ(MarkedCount(f.FileList), 2);
    EXPECT_EQ(Count(f.FileList), 3);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(w.DialogsShown(), 0);
}

} // namespace
