// Entering directories, the parent step and the drive command on real trees.

#include "dialogs/LogHist.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/DialogSteps.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* const NotFound = L"指定されたパスは存在しません";

std::wstring DirName(int i) {
    wchar_t name[16];
    swprintf(name, 16, L"d%03d", i);
    return name;
}

TEST(DriveListText, LettersOfTheMask) {
    auto bit = [](wchar_t c) { return 1u << (c - L'A'); };
    EXPECT_EQ(TForm1::DriveListText(0), L"[ ]");
    EXPECT_EQ(TForm1::DriveListText(bit('C') | bit('D') | bit('E')), L"[ C D E ]");
    EXPECT_EQ(TForm1::DriveListText(bit('A') | bit('C') | bit('Z')), L"[ A C Z ]");
    EXPECT_EQ(TForm1::DriveListText(0xFFFFFFFFu).size(), 2u + 26 * 2 + 1);
}

TEST(Navigation, ParentStepPutsTheCursorOnTheDirectoryLeftOnItsPage) {
    TempTree t;
    for (int i = 0; i < 120; ++i)
        t.Dir(DirName(i) + L"\\inner");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    int n = f.PageLines;
    ASSERT_LT(n, 100);
    for (int k : {0, 119}) {
        std::wstring name = DirName(k);
        int i = IndexOfName(f.FileList, name);
        f.PlaceCursor(i);
        f.EnterCursorEntry();
        EXPECT_EQ(f.CurDir, t.Root() + name + L"\\");
        EXPECT_EQ(f.CurIndex, 0);
        EXPECT_EQ(EntryName(f.FileList, 0), L"..");
        EXPECT_EQ(f.DirHistory.front(), f.CurDir);

        f.EnterCursorEntry();
        w.Pump();
        EXPECT_EQ(f.CurDir, t.Root());
        EXPECT_EQ(f.CurIndex, i) << Narrow(name);
        EXPECT_EQ(f.PageTop, (i / n) * n) << Narrow(name);
        ASSERT_EQ(w.SelectedLine(), i - f.PageTop) << Narrow(name);
        EXPECT_NE(w.Lines()[w.SelectedLine()].find(name), std::wstring::npos);
    }
}

TEST(Navigation, ParentOfAFirstLevelDirectoryIsTheRootWithOneBackslash) {
    std::wstring top = L"C:\\pelmo-nav-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(top.c_str(), nullptr));
    {
        WindowDriver w(top + L"\\");
        TForm1& f = w.Form();
        ASSERT_EQ(EntryName(f.FileList, 0), L"..");
        f.PlaceCursor(0);
        EXPECT_TRUE(f.EnterEntry());
        EXPECT_EQ(f.CurDir, L"C:\\");
        EXPECT_EQ(IndexOfName(f.FileList, L".."), -1);
        ASSERT_GE(f.CurIndex, 0);
        EXPECT_EQ(EntryName(f.FileList, f.CurIndex), top.substr(3));
    }
    RemoveDirectoryW(top.c_str());
}

TEST(Navigation, EnterOnAFileOnlyCleansCurDir) {
    TempTree t;
    t.File(L"a\\b\\file.txt", "x");
    WindowDriver w(t.Path(L"a\\b\\"));
    TForm1& f = w.Form();
    std::wstring doubled = t.Root() + L"a\\\\\\b";
    f.CurDir = doubled;
    int i = IndexOfName(f.FileList, L"file.txt");
    f.PlaceCursor(i);
    size_t count = f.FileList.size();
    EXPECT_FALSE(f.EnterEntry());
    EXPECT_EQ(f.CurDir, t.Path(L"a\\b\\"));
    EXPECT_EQ(f.FileList.size(), count);
    EXPECT_EQ(f.CurIndex, i);

    // The Enter command ignores the result; an empty list does nothing.
    f.EnterCursorEntry();
    EXPECT_EQ(f.CurDir, t.Path(L"a\\b\\"));
    f.ClearFileList();
    f.EnterCursorEntry();
    EXPECT_EQ(f.CurDir, t.Path(L"a\\b\\"));
}

TEST(Navigation, RemovedDirectoryLandsOnItsNearestExistingAncestor) {
    TempTree t;
    t.Dir(L"a\\b\\c");
    WindowDriver w(t.Path(L"a\\b\\"));
    TForm1& f = w.Form();
    f.PlaceCursor(IndexOfName(f.FileList, L"c"));
    // Our own watcher holds the directory open; Wine then keeps a deleted
    // directory in place until the handle closes.
    f.DirWatcher.StopWatch();
    RemoveTree(t.Path(L"a\\b"));
    EXPECT_TRUE(f.EnterEntry());
    EXPECT_EQ(f.CurDir, t.Path(L"a\\"));
    EXPECT_EQ(IndexOfName(f.FileList, L"b"), -1);
    EXPECT_TRUE(DirectoryExists(f.CurDir));
}

class DriveCommand : public ::testing::Test {
  protected:
    TempTree t;
    WindowDriver w{t.Root()};
    TForm1& f = w.Form();

    void Answer(std::function<void(THistDlg&)> step,
                std::vector<std::function<void(ui::Form&)>> more = {}) {
        std::vector<std::function<void(ui::Form&)>> steps{[step](ui::Form& d) {
            step(dynamic_cast<THistDlg&>(d));
            if (d.ModalResult() == 0) // a step that failed to end it: no hang
                d.SetModalResult(ui::mrCancel);
        }};
        steps.insert(steps.end(), more.begin(), more.end());
        w.OnDialogs(steps);
        f.ChangeDrive();
        w.Pump();
    }
};

TEST_F(DriveCommand, LoneLetterChangesToTheDirectoryLastShownOnThatDrive) {
    TempTree other;
    other.Dir(L"data");
    f.DriveDirs[2] = other.Path(L"data\\");
    std::wstring info, prefill;
    Answer([&](THistDlg& d) {
        info = d.Label2->Text();
        prefill = d.Edit1->Text();
        d.Edit1->SetText(L"c");
        TypeKey(d.Edit1->Handle(), VK_RETURN);
    });
    EXPECT_EQ(info, TForm1::DriveListText(GetLogicalDrives()));
    EXPECT_EQ(prefill, t.Root()) << "the newest history entry";
    EXPECT_EQ(f.CurDir, other.Path(L"data\\"));
    EXPECT_EQ(f.CurIndex, 0);
    EXPECT_EQ(f.DirHistory.front(), other.Path(L"data\\"));
    EXPECT_EQ(f.DirHistory.size(), 2u);
}

TEST_F(DriveCommand, CancelAndRefusedPathsChangeNothing) {
    t.Dir(L"sub");
    t.File(L"f.txt");
    f.RefreshDir(true);
    f.DirHistory = {t.Root(), L"C:\\x\\", L"C:\\y\\"};
    f.PlaceCursor(1);
    TStringList history = f.DirHistory;
    std::wstring cur = f.CurDir;
    auto unchanged = [&](const char* what) {
        EXPECT_EQ(f.CurDir, cur) << what;
        EXPECT_EQ(f.DirHistory, history) << what;
        EXPECT_EQ(f.CurIndex, 1) << what;
        EXPECT_EQ(w.SelectedLine(), 1) << what;
    };

    Answer([&](THistDlg& d) {
        TypeKey(d.Edit1->Handle(), VK_UP);
        TypeKey(d.Edit1->Handle(), VK_UP);
        d.Button_Cancel->Click();
    });
    unchanged("Cancel after walking");

    ASSERT_EQ(GetLogicalDrives() & (1u << ('Q' - 'A')), 0u);
    struct Case {
        const char* what;
        std::wstring input;
    };
    const Case cases[] = {
        {"invalid characters", t.Root() + L"a<b|c*"},
        {"longer than 260 characters", t.Root() + std::wstring(300, L'x')},
        {"a drive that does not exist", L"Q:\\"},
        {"a letter never shown", L"q"},
        {"a file", t.Root() + L"f.txt"},
        {"a relative name", L"sub"},
        {"blanks only", L"   "},
    };
    for (const auto& c : cases) {
        bool notice = false;
        Answer(
            [&](THistDlg& d) {
                d.Edit1->SetText(c.input);
                TypeKey(d.Edit1->Handle(), VK_RETURN);
            },
            {[&](ui::Form& m) {
                notice = ShowsText(m.Handle(), NotFound);
                m.SetModalResult(ui::mrOk);
            }});
        EXPECT_TRUE(notice) << c.what;
        unchanged(c.what);
    }
    EXPECT_TRUE(w.Errors.empty());
}

} // namespace
