// Deleting marked entries and the cursor entry on real files.

#include "Steps.h"
#include "subroutines/FileSystem.h"
#include "support/WindowDriver.h"
#include "ui/Application.h"
#include "win/Error.h"
#include "win/Handle.h"

namespace {

struct CursorCase {
    const char* what;
    std::vector<int> marked; // indices
    int cursor;
    bool withoutDotDot; // as in a root directory
    int expectedCursor;
    int expectedCount;
    int expectedDialogs;
};

TEST(Delete, CursorArithmeticAndClamping) {
    const CursorCase cases[] = {
        {"three marked around the cursor", {2, 4, 7}, 5, false, 2, 6, 1},
        {"three marked below the cursor", {6, 7, 8}, 5, false, 2, 6, 1},
        {"last entry, nothing marked", {}, 8, false, 7, 8, 1},
        {"every entry of a root", {0, 1, 2, 3, 4, 5, 6, 7}, 3, true, -1, 0, 1},
        {"dot-dot, nothing marked", {}, 0, false, 0, 9, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree t;
        for (int i = 1; i <= 8; ++i)
            t.File(L"f" + std::to_wstring(i) + L".txt", "x");
        WindowDriver w(t.Root());
        auto& f = w.Form();
        if (c.withoutDotDot) {
            // A rescan by the watcher would bring ".." back into the list.
            f.DirWatcher.StopWatch();
            f.FileList.erase(f.FileList.begin() + IndexOfName(f.FileList, L".."));
            f.DrawPage();
        }
        std::vector<std::wstring> doomed;
        for (int i : c.marked) {
            f.FileList[i]->Marked = true;
            doomed.push_back(EntryName(f.FileList, i));
        }
        if (c.marked.empty() && c.expectedDialogs)
            doomed.push_back(EntryName(f.FileList, c.cursor));
        f.PlaceCursor(c.cursor);
        w.OnDialogs({ConfirmOk()});
        f.DeleteCommand();
        w.Pump();
        EXPECT_EQ(w.DialogsShown(), c.expectedDialogs);
        EXPECT_EQ(f.CurIndex, c.expectedCursor);
        EXPECT_EQ(Count(f.FileList), c.expectedCount);
        EXPECT_EQ(static_cast<int>(w.Lines().size()), std::min(c.expectedCount, f.PageLines));
        EXPECT_EQ(w.SelectedLine(), c.expectedCursor - f.PageTop);
        for (const auto& name : doomed) {
            EXPECT_FALSE(t.Exists(name)) << Narrow(name);
            EXPECT_EQ(IndexOfName(f.FileList, name), -1) << Narrow(name);
        }
    }
}

TEST(Delete, ConfirmationTextsAndCancelDeletesNothing) {
    TempTree t;
    t.File(L"keep.txt", "k");
    t.File(L"also.txt", "a");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    std::vector<std::wstring> texts;
    auto cancelSeeing = [&texts](ui::Form& d) {
        texts.push_back(dynamic_cast<TMsgBox&>(d).Label1->Text());
        dynamic_cast<TMsgBox&>(d).Button_Cancel->Click();
    };
    PutCursor(f, L"keep.txt");
    w.OnDialogs({cancelSeeing, cancelSeeing});
    f.DeleteCursorEntry();
    Mark(f, {L"also.txt"});
    f.DeleteCommand();
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"keep.txtを削除します",
                                                L"マークされたファイルを削除します"}));
    EXPECT_TRUE(t.Exists(L"keep.txt"));
    EXPECT_TRUE(t.Exists(L"also.txt"));
    EXPECT_EQ(Count(f.FileList), 3);
}

TEST(Delete, ReadOnlyFileAmongMarkedStaysMarkedAfterOneMessage) {
    TempTree t;
    t.File(L"a.txt", "a");
    t.File(L"ro.txt", "r", FILE_ATTRIBUTE_READONLY);
    t.File(L"b.txt", "b");
    t.File(L"unmarked.txt", "u");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Mark(f, {L"a.txt", L"ro.txt", L"b.txt"});
    std::vector<std::wstring> notices;
    w.OnDialogs({ConfirmOk(), Notice(notices)});
    f.DeleteCommand();
    EXPECT_EQ(notices, std::vector<std::wstring>{L"削除に失敗しました"});
    EXPECT_FALSE(t.Exists(L"a.txt"));
    EXPECT_FALSE(t.Exists(L"b.txt"));
    EXPECT_EQ(t.Read(L"ro.txt"), "r");
    EXPECT_EQ(GetFileAttributesW(t.Path(L"ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    int ro = IndexOfName(f.FileList, L"ro.txt");
    ASSERT_GE(ro, 0);
    EXPECT_TRUE(EntryMarked(f.FileList, ro));
    EXPECT_FALSE(EntryMarked(f.FileList, IndexOfName(f.FileList, L"unmarked.txt")));
    EXPECT_EQ(Count(f.FileList), 3);
    SetFileAttributesW(t.Path(L"ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Delete, DirectoryTreeWithReadOnlyHiddenAndSystemEntriesGoesWhole) {
    TempTree t;
    t.File(L"tree\\plain.txt", "p");
    t.File(L"tree\\ro.txt", "r", FILE_ATTRIBUTE_READONLY);
    t.File(L"tree\\sub\\hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN);
    t.File(L"tree\\sub\\deeper\\system.txt", "s", FILE_ATTRIBUTE_SYSTEM);
    t.File(L"tree\\sub\\deeper\\all.txt", "x",
           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    t.Dir(L"tree\\rodir", FILE_ATTRIBUTE_READONLY);
    t.Dir(L"tree", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    t.File(L"neighbour.txt", "n");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    PutCursor(f, L"tree");
    w.OnDialogs({ConfirmOk()});
    f.DeleteCursorEntry();
    EXPECT_FALSE(t.Exists(L"tree"));
    EXPECT_EQ(IndexOfName(f.FileList, L"tree"), -1);
    EXPECT_EQ(t.Read(L"neighbour.txt"), "n");
    EXPECT_TRUE(w.Errors.empty());
}

TEST(Delete, SurvivingTreeLeavesTheListAndComesBackOnRescan) {
    TempTree t;
    t.File(L"tree\\gone.txt", "g");
    t.File(L"tree\\held.txt", "h");
    // A file held open without sharing cannot be deleted.
    win::UniqueHandle held(CreateFileW(t.Path(L"tree\\held.txt").c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    WindowDriver w(t.Root());
    auto& f = w.Form();
    PutCursor(f, L"tree");
    w.OnDialogs({ConfirmOk()});
    f.DeleteCursorEntry();
    EXPECT_EQ(w.DialogsShown(), 1); // no message for a directory
    EXPECT_EQ(IndexOfName(f.FileList, L"tree"), -1);
    held.reset();
    EXPECT_TRUE(t.Exists(L"tree\\held.txt"));
    EXPECT_FALSE(t.Exists(L"tree\\gone.txt"));
    f.RefreshDir(true);
    EXPECT_GE(IndexOfName(f.FileList, L"tree"), 0);
}

TEST(Delete, TooLongPathEndsTheWalkWithTheErrorReportAndKeepsTheCursorInRange) {
    TempTree t;
    // CurDir + this name is 248 characters or more; made through the
    // extended path form, which has no such limit.
    std::wstring longName(250 - t.Root().size(), L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + t.Path(longName)).c_str(), nullptr));
    t.File(L"a.txt", "a");
    t.File(L"z.txt", "z");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Mark(f, {L"a.txt", longName.c_str(), L"z.txt"});
    f.PlaceCursor(Count(f.FileList) - 1);
    w.OnDialogs({ConfirmOk()});
    ui::Guarded([&] { f.DeleteCommand(); });
    ASSERT_EQ(w.Errors.size(), 1u);
    EXPECT_NE(w.Errors[0].find(L"パス名が長すぎます"), std::wstring::npos);
    EXPECT_TRUE(t.Exists(longName));
    EXPECT_GE(f.CurIndex, 0);
    EXPECT_LT(f.CurIndex, Count(f.FileList));
    // Entries after the failing one are not deleted.
    int zIndex = IndexOfName(f.FileList, L"z.txt");
    int longIndex = IndexOfName(f.FileList, longName);
    if (zIndex > longIndex) {
        EXPECT_TRUE(t.Exists(L"z.txt"));
    }
    RemoveDirectoryW((L"\\\\?\\" + t.Path(longName)).c_str());
}

TEST(DeleteDirectory, ChecksThePathAndIgnoresAMissingDirectory) {
    TempTree t;
    EXPECT_THROW(DeleteDirectory(t.Root() + std::wstring(250, L'x')), win::AppError);
    EXPECT_THROW(DeleteDirectory(t.Path(L"a|b")), win::AppError);
    EXPECT_NO_THROW(DeleteDirectory(t.Path(L"missing")));
    t.File(L"file.txt", "f");
    DeleteDirectory(t.Path(L"file.txt"));
    EXPECT_EQ(t.Read(L"file.txt"), "f");
}

} // namespace
