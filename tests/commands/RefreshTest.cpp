// The refresh that keeps marks, and the header after it.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

TEST(RefreshKeepMarks, MarksAndCursorFollowNamesExactly) {
    TempTree t;
    for (auto n : {L"abc", L"keep1", L"keep2", L"gone"})
        t.File(n, "1234");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    for (auto n : {L"abc", L"keep1", L"keep2", L"gone"})
        f.FileList[IndexOfName(f.FileList, n)]->Marked = true;
    f.PlaceCursor(IndexOfName(f.FileList, L"keep2"));

    // Another program: a case-only rename and a delete.
    ASSERT_TRUE(MoveFileW(t.Path(L"abc").c_str(), t.Path(L"tmp").c_str()));
    ASSERT_TRUE(MoveFileW(t.Path(L"tmp").c_str(), t.Path(L"ABC").c_str()));
    ASSERT_TRUE(DeleteFileW(t.Path(L"gone").c_str()));
    t.File(L"new", "");
    w.Key('R', /*shift=*/true);

    EXPECT_EQ(MarkedCount(f.FileList), 2);
    EXPECT_TRUE(f.FileList[IndexOfName(f.FileList, L"keep1")]->Marked);
    EXPECT_FALSE(f.FileList[IndexOfName(f.FileList, L"ABC")]->Marked);
    EXPECT_EQ(EntryName(f.FileList, f.CurIndex), L"keep2");
    EXPECT_EQ(f.SText_Marked->Text(), L"       2"); // the header shows the restored marks
    EXPECT_EQ(f.SText_SizeM->Text(), FormatNumber(8, 18));
}

TEST(RefreshKeepMarks, VanishedCursorEntryComesBackIntoRange) {
    TempTree t;
    t.File(L"a");
    t.File(L"z");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    f.PlaceCursor(Count(f.FileList) - 1);
    ASSERT_TRUE(DeleteFileW(t.Path(EntryName(f.FileList, f.CurIndex)).c_str()));
    w.Key(VK_F7, /*shift=*/true);
    EXPECT_LT(f.CurIndex, Count(f.FileList));
    EXPECT_EQ(f.CurIndex, Count(f.FileList) - 1);
    w.Key(VK_F7); // plain F7 does nothing
}

// A tick while the drive-space message of a refresh is open (the drive went
// away under the list) starts no refresh inside it: the inner one would take
// the marked names from the outer one.
TEST(RefreshKeepMarks, NoRefreshStartsInsideARunningOne) {
    TempTree t;
    t.File(L"a");
    t.File(L"b");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    f.FileList[IndexOfName(f.FileList, L"a")]->Marked = true;
    bool tickedInside = false;
    TStringList namesWhileOpen;
    w.OnDialogs({[&](ui::Form& message) {
        f.DirChanged = true;
        f.Timer1Timer();
        tickedInside = true;
        namesWhileOpen = f.MarkedNames;
        message.SetModalResult(ui::mrOk);
    }});
    f.CurDir = AbsentDriveRoot();
    ASSERT_NE(f.CurDir, L"");
    f.DirChanged = true;
    f.Timer1Timer();
    ASSERT_TRUE(tickedInside);
    EXPECT_EQ(namesWhileOpen, (TStringList{L"a"}));
    EXPECT_TRUE(f.DirChanged) << "the change waits for a tick after the refresh";
    EXPECT_FALSE(f.Reloading);
    EXPECT_EQ(w.DialogsShown(), 1);
}

TEST(Timer, RestoresTheCaptionWhenNotBusyAndRunsAPendingRefresh) {
    TempTree t;
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    f.SetCaption(L"busy caption");
    f.Busy = true;
    f.Timer1Timer();
    EXPECT_EQ(f.Caption(), L"busy caption");
    f.Busy = false;
    t.File(L"appeared");
    f.DirChanged = true;
    f.Timer1Timer();
    EXPECT_EQ(f.Caption(), NormalCaption);
    EXPECT_FALSE(f.DirChanged);
    EXPECT_GE(IndexOfName(f.FileList, L"appeared"), 0);
    EXPECT_NE(f.SText_Date->Text().find(L"年"), std::wstring::npos);
}

TEST(Header, CountsAtARootAndBelowIt) {
    TempTree t;
    t.File(L"one", "1");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    EXPECT_EQ(Count(f.FileList), 2);
    EXPECT_EQ(f.SText_Files->Text(), L"       1");
    EXPECT_EQ(f.Label_Path->Text(), t.Root());
    EXPECT_EQ(f.SText_Total->Text().rfind(L"Total: ", 0), 0u);
    f.CurDir = L"Z:\\";
    f.ChangeDir(true);
    EXPECT_EQ(f.SText_Files->Text(), PadLeft(std::to_wstring(Count(f.FileList)), 8));
    EXPECT_EQ(f.DriveDirs['Z' - 'A'], L"Z:\\");
}

} // namespace
