// Cursor movement, marking and the key dispatch, driven by real key messages.

#include "dialogs/MessageDlg.h"
#include "dialogs/MsgBox.h"
#include "main/DialogFlags.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

// A directory of `files` files: with "..", files + 1 entries.
struct ListFixture {
    TempTree tree;
    std::unique_ptr<WindowDriver> w;
    explicit ListFixture(int files, int pageLines = 20) {
        for (int i = 0; i < files; ++i)
            tree.File(L"f" + std::to_wstring(100 + i) + L".txt", std::string(i + 1, 'x'));
        w = std::make_unique<WindowDriver>(tree.Root());
        TForm1& f = w->Form();
        f.PageLines = pageLines;
        f.PlaceCursor(0);
    }
    TForm1& F() { return w->Form(); }
};

struct Step {
    WORD key;
    int pageTop, curIndex;
};

void RunKeys(ListFixture& x, int start, const std::vector<Step>& steps, const char* name) {
    x.F().PlaceCursor(start);
    for (size_t i = 0; i < steps.size(); ++i) {
        x.w->Key(steps[i].key);
        EXPECT_EQ(x.F().PageTop, steps[i].pageTop) << name << " step " << i;
        EXPECT_EQ(x.F().CurIndex, steps[i].curIndex) << name << " step " << i;
        EXPECT_EQ(x.w->SelectedLine(), x.F().CurIndex - x.F().PageTop) << name << " step " << i;
    }
}

TEST(Cursor, FortyFiveEntriesTwentyLines) {
    ListFixture x(44);
    ASSERT_EQ(Count(x.F().FileList), 45);
    RunKeys(x, 0, {{VK_UP, 40, 44}, {VK_DOWN, 0, 0}}, "wrap");
    RunKeys(x, 19, {{VK_DOWN, 20, 20}, {VK_UP, 0, 19}}, "page edges");
    RunKeys(x, 25,
            {{VK_RIGHT, 40, 44},
             {VK_RIGHT, 40, 44},
             {VK_LEFT, 20, 24},
             {VK_LEFT, 0, 4},
             {VK_LEFT, 0, 0}},
            "pages");
    RunKeys(x, 7, {{VK_LEFT, 0, 0}}, "left on first page");
    RunKeys(x, 5, {{VK_F8, 0, 5}, {VK_PRIOR, 0, 5}, {VK_NEXT, 0, 5}, {VK_ESCAPE, 0, 5}},
            "keys without a command");
    auto lines = x.w->Lines();
    EXPECT_EQ(lines.size(), 20u);
}

TEST(Cursor, OneEntryAndEmptyList) {
    ListFixture x(0);
    ASSERT_EQ(Count(x.F().FileList), 1);
    RunKeys(x, 0, {{VK_DOWN, 0, 0}, {VK_UP, 0, 0}, {VK_RIGHT, 0, 0}, {VK_LEFT, 0, 0}}, "one");
    x.F().ClearFileList();
    x.F().DrawPage();
    for (WORD k : {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_SPACE, VK_END, VK_HOME})
        x.w->Key(k);
    EXPECT_EQ(x.F().CurIndex, 0);
    EXPECT_EQ(x.F().SText_Marked->Text(), L"       0");
}

TEST(Cursor, WheelTurnsOnePagePerEvent) {
    ListFixture x(44);
    HWND list = x.F().LBox_Files->Handle();
    SendMessageW(list, WM_MOUSEWHEEL,
                 static_cast<WPARAM>(static_cast<WORD>(-WHEEL_DELTA * 3)) << 16, 0);
    EXPECT_EQ(x.F().PageTop, 20);
    SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(x.F().CurIndex, 44);
    SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(x.F().PageTop, 20);
}

TEST(Marks, SpaceEndHomeAndTheHeader) {
    TempTree t;
    t.File(L"a.txt", "12345");
    t.File(L"b.txt", "123");
    t.Dir(L"sub");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    ASSERT_EQ(Count(f.FileList), 4); // .., sub, a.txt, b.txt in some order, ".." first
    int sub = IndexOfName(f.FileList, L"sub");
    int a = IndexOfName(f.FileList, L"a.txt");

    w.Key(VK_SPACE); // on "..": stays unmarked, cursor moves down
    EXPECT_FALSE(f.FileList[0]->Marked);
    EXPECT_EQ(f.CurIndex, 1);
    EXPECT_EQ(w.Lines()[0].substr(0, 3), L" ..");

    f.PlaceCursor(sub);
    w.Key(VK_SPACE, /*shift=*/true); // modifiers are not looked at
    EXPECT_TRUE(f.FileList[sub]->Marked);
    EXPECT_EQ(f.SText_Marked->Text(), L"       1");
    EXPECT_EQ(f.SText_SizeM->Text(), FormatNumber(0, 18)); // a directory adds no size

    w.Key(VK_HOME); // something marked: clear all
    EXPECT_EQ(MarkedCount(f.FileList), 0);
    f.PlaceCursor(3);
    w.Key(VK_SPACE, false, /*ctrl=*/true); // last entry: marked, cursor wraps
    EXPECT_TRUE(f.FileList[3]->Marked);
    EXPECT_EQ(f.CurIndex, 0);
    w.Key(VK_HOME);
    EXPECT_EQ(MarkedCount(f.FileList), 0);

    w.Key(VK_HOME); // nothing marked: every file, no directory
    EXPECT_EQ(MarkedCount(f.FileList), 2);
    EXPECT_FALSE(f.FileList[sub]->Marked);
    EXPECT_EQ(f.SText_SizeM->Text(), FormatNumber(8, 18));
    EXPECT_EQ(w.Lines()[a].substr(0, 1), L"*");
    w.Key(VK_HOME);
    EXPECT_EQ(MarkedCount(f.FileList), 0);

    w.Key(VK_END); // invert: everything but ".."
    EXPECT_EQ(MarkedCount(f.FileList), 3);
    EXPECT_FALSE(f.FileList[0]->Marked);
    w.Key(VK_END);
    EXPECT_EQ(MarkedCount(f.FileList), 0);
    EXPECT_EQ(f.SText_Files->Text(), L"       3");
}

TEST(Dispatch, KeysInADialogActInTheDialog) {
    ListFixture x(3);
    TForm1& f = x.F();
    int seenFlag = -1;
    x.w->OnDialogs({[&](ui::Form& dialog) {
        seenFlag = MsgBoxShown;
        HWND ok = static_cast<TMsgBox&>(dialog).Button_Ok->Handle();
        PostKey(ok, 'C');
        PostKey(ok, VK_SPACE); // presses the focused OK button
        PostMessageW(ok, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
    }});
    MsgBoxText = L"マークされたファイルを削除します";
    int result = ShowMsgBox();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seenFlag, 1);
    EXPECT_EQ(MarkedCount(f.FileList), 0);
    EXPECT_EQ(f.CurIndex, 0);
    EXPECT_EQ(MsgBox->Label1->Text(), L"マークされたファイルを削除します");
    x.w->Pump(); // the released dialog is destroyed and its flag cleared
    EXPECT_FALSE(MsgBoxShown);
    EXPECT_EQ(MsgBox, nullptr);
    x.w->Key(VK_DOWN);
    EXPECT_EQ(f.CurIndex, 1);
}

TEST(Dispatch, BusyRefusesCommandsThatChangeTheList) {
    ListFixture x(3);
    TForm1& f = x.F();
    f.Busy = true;
    x.w->Key(VK_DOWN); // the hook stands aside; the list ignores the key
    x.w->Key('R', true);
    EXPECT_EQ(f.CurIndex, 0);
    f.Busy = false;
}

TEST(MessageDialogs, ResultsAndPlacement) {
    ListFixture x(1);
    TForm1& f = x.F();
    f.SetBounds(100, 100, 97, 41); // smaller than the dialog
    RECT placed{};
    bool flagWhileOpen = false;
    std::wstring caption;
    x.w->OnDialogs({
        [&](ui::Form& d) {
            placed = d.Bounds();
            flagWhileOpen = MessageShown;
            caption = d.Caption();
            PostKey(d.Handle(), VK_RETURN);
        },
        [&](ui::Form& d) { PostKey(static_cast<TMsgBox&>(d).Button_Ok->Handle(), VK_ESCAPE); },
        [&](ui::Form& d) { PostMessageW(d.Handle(), WM_CLOSE, 0, 0); },
        [&](ui::Form& d) { PostKey(static_cast<TMsgBox&>(d).Button_Ok->Handle(), VK_RETURN); },
    });
    EXPECT_EQ(ShowMessageDlg(L"未対応です"), 1);
    EXPECT_TRUE(flagWhileOpen);
    EXPECT_FALSE(MessageShown);
    EXPECT_EQ(caption, L"情報");
    int w = placed.right - placed.left, h = placed.bottom - placed.top;
    EXPECT_EQ(placed.left, f.Left() + (f.Width() - w) / 2);
    EXPECT_EQ(placed.top, f.Top() + (f.Height() - h) / 2);
    EXPECT_LT(placed.left, 100); // not clamped: it starts left of the window

    MsgBoxText = L"x";
    EXPECT_EQ(ShowMsgBox(), 2); // Esc
    EXPECT_EQ(ShowMsgBox(), 2); // close box
    EXPECT_EQ(ShowMsgBox(), 1); // Enter
    EXPECT_EQ(MsgBox->Caption(), f.Caption());
}

TEST(MessageDialogs, DialogFontIsMainSizeMinusTwoAtMostTwelve) {
    ListFixture x(1);
    TForm1& f = x.F();
    for (auto [mainSize, dialogSize] : {std::pair{20, 12}, {10, 8}, {12, 10}}) {
        ui::FontSpec font = f.Font();
        font.Size = mainSize;
        f.SetWindowFont(font);
        TMsgBox box;
        EXPECT_EQ(box.Label1->Font().Size, dialogSize);
        EXPECT_EQ(box.Button_Ok->Font().Size, dialogSize);
    }
}

} // namespace
