// The scan of real directories under Wine.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> Names(const TFileList& list) {
    std::vector<std::wstring> names;
    for (const auto& e : list)
        names.push_back(e->FileName);
    return names;
}

TEST(Scan, ListsHiddenAndSystemEntriesAndNeverDot) {
    TempTree t;
    t.File(L"plain.txt", "abc");
    t.File(L"hidden.txt", "", FILE_ATTRIBUTE_HIDDEN);
    t.File(L"system.txt", "", FILE_ATTRIBUTE_SYSTEM);
    t.Dir(L"hdir", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WindowDriver w(t.Root());
    auto& f = w.Form();
    auto names = Names(f.FileList);
    EXPECT_EQ(names.front(), L"..");
    EXPECT_EQ(std::count(names.begin(), names.end(), L"."), 0);
    for (auto n : {L"plain.txt", L"hidden.txt", L"system.txt", L"hdir"})
        EXPECT_GE(IndexOfName(f.FileList, n), 0) << Narrow(n);
    int hdir = IndexOfName(f.FileList, L"hdir");
    EXPECT_EQ(EntryAttr(f.FileList, hdir) & 0x16, 0x16);
    EXPECT_EQ(EntrySize(f.FileList, hdir), 0);
    EXPECT_EQ(EntrySize(f.FileList, IndexOfName(f.FileList, L"plain.txt")), 3);
}

TEST(Scan, NormalisesDoubledBackslashesAndClimbsToExistingAncestor) {
    TempTree t;
    t.Dir(L"a\\b");
    WindowDriver w(t.Root() + L"a\\\\b");
    EXPECT_EQ(w.Form().CurDir, t.Root() + L"a\\b\\");

    w.Form().CurDir = t.Root() + L"a\\gone\\deeper\\";
    w.Form().RefreshDir(true);
    EXPECT_EQ(w.Form().CurDir, t.Root() + L"a\\");
    EXPECT_GE(IndexOfName(w.Form().FileList, L"b"), 0);
}

TEST(Scan, EmptyDirectoryHoldsOnlyDotDotAndRootHasNone) {
    TempTree t;
    WindowDriver w(t.Root());
    EXPECT_EQ(Names(w.Form().FileList), std::vector<std::wstring>{L".."});
    EXPECT_EQ(w.Form().SText_Files->Text(), L"       0");

    w.Form().CurDir = L"Z:\\";
    w.Form().ChangeDir(true);
    EXPECT_EQ(IndexOfName(w.Form().FileList, L".."), -1);
}

TEST(Scan, MissingDriveEndsWithEmptyListAndKeepsCurDir) {
    TempTree t;
    WindowDriver w(t.Root());
    // Q: has no drive in the test prefix.
    ASSERT_EQ(GetLogicalDrives() & (1u << ('Q' - 'A')), 0u);
    w.Form().CurDir = L"Q:\\nothing\\";
    w.Form().RefreshDir(true);
    EXPECT_TRUE(w.Form().FileList.empty());
    EXPECT_EQ(w.Form().CurDir, L"Q:\\nothing\\");
}

TEST(Window, ShowsTheFirstPageAndItsIndicator) {
    TempTree t;
    for (int i = 0; i < 44; ++i)
        t.File(L"f" + std::to_wstring(100 + i) + L".txt", "x");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    ASSERT_GT(f.PageLines, 1);
    auto lines = w.Lines();
    EXPECT_EQ(static_cast<int>(lines.size()), std::min(45, f.PageLines));
    EXPECT_EQ(lines[0].substr(0, 4), L" ..\\");
    EXPECT_EQ(w.SelectedLine(), 0);
    int pages = (45 - 1) / f.PageLines + 1;
    EXPECT_EQ(f.SText_Page->Text(), L"Page= 1/" + std::to_wstring(pages));
    EXPECT_EQ(f.Caption(), NormalCaption);
}

} // namespace
