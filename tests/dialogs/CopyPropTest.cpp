// The conflict dialog on its own: what it shows, in which font, and which
// rules it offers.

#include "dialogs/CopyProp.h"
#include "main/DialogFlags.h"
#include "ui/Font.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

struct Shown {
    std::wstring caption, conflict, srcDate, dstSize;
    int fontSize = 0, clientW = 0, clientH = 0, conflictRight = 0;
    bool flag = false;
    std::vector<bool> enabled; // U, B, S, R, O, N
    bool cutOff = false;
    COLORREF insideGroup = 0, form = 0;
};

// A pixel of the group box below its last radio button, as drawn.
COLORREF InsideGroup(TCopyProp& d) {
    UpdateWindow(d.Handle());
    HWND group = d.GroupBox1->Handle();
    HDC dc = GetDC(group);
    COLORREF c = GetPixel(dc, d.GroupBox1->Width() / 2, d.GroupBox1->Height() - 10);
    ReleaseDC(group, dc);
    return c;
}

Shown ShowDialog(WindowDriver& w) {
    Shown s;
    w.OnDialogs({[&s](ui::Form& f) {
        auto& d = dynamic_cast<TCopyProp&>(f);
        s.flag = CopyPropShown;
        s.caption = d.Caption();
        s.conflict = d.Label1->Text();
        s.conflictRight = d.Label1->Left() + d.Label1->Width();
        s.srcDate = d.SText_SrcDate->Text();
        s.dstSize = d.SText_DstSize->Text();
        s.fontSize = d.Label1->Font().Size;
        s.clientW = d.ClientWidth();
        s.clientH = d.ClientHeight();
        for (int mode : {5, 0, 4, 3, 2, 1})
            s.enabled.push_back(d.RuleButton(mode)->Enabled());
        for (auto* label : {&d.Label1, &d.Label2, &d.Label3, &d.Label4, &d.Label5})
            s.cutOff |=
                (*label)->Width() < ui::MeasureText((*label)->FontHandle(), (*label)->Text()).cx;
        s.insideGroup = InsideGroup(d);
        s.form = d.Color();
        d.Button_Cancel->Click();
    }});
    ShowCopyProp();
    w.Pump();
    return s;
}

TEST(CopyProp, ShowsTheConflictInTheListFontAndEveryTextWhole) {
    TempTree t;
    WindowDriver w(t.Root());
    struct Case {
        int listSize, dialogSize;
    } cases[] = {{12, 10}, {20, 12}, {9, 7}};
    for (auto c : cases) {
        ui::FontSpec font = w.Form().Font();
        font.Size = c.listSize;
        w.Form().SetWindowFont(font);
        w.Form().SetCaption(L"コピー中 a.txt");
        ConflictText = L"コピー先に 報告.txt ファイルがあります";
        SrcDateText = L"2024/03/01 9:00:00";
        SrcSizeText = L"1,037";
        DstDateText = L"2030/01/01 12:00:00";
        DstSizeText = L"27";
        Shown s = ShowDialog(w);
        SCOPED_TRACE(c.listSize);
        EXPECT_TRUE(s.flag);
        EXPECT_FALSE(CopyPropShown);
        EXPECT_EQ(s.caption, L"コピー中 a.txt");
        EXPECT_EQ(s.conflict, ConflictText);
        EXPECT_EQ(s.srcDate, SrcDateText);
        EXPECT_EQ(s.dstSize, DstSizeText);
        EXPECT_EQ(s.fontSize, c.dialogSize);
        EXPECT_EQ(s.clientW, 396);
        EXPECT_EQ(s.clientH, 330);
        EXPECT_FALSE(s.cutOff) << "a heading or the conflict line is cut off";
        EXPECT_LE(s.conflictRight, s.clientW - 8) << "the conflict line runs past the edge";
        EXPECT_EQ(s.enabled, std::vector<bool>(6, true));
        EXPECT_EQ(s.insideGroup, s.form) << "the group box is painted inside";
    }
}

TEST(CopyProp, ANameTooLongForTheDialogGivesUpItsMiddle) {
    TempTree t;
    WindowDriver w(t.Root());
    ConflictText = L"コピー先に " + std::wstring(40, L'長') + L"_end.txt ファイルがあります";
    Shown s = ShowDialog(w);
    EXPECT_TRUE(s.conflict.starts_with(L"コピー先に 長")) << Narrow(s.conflict);
    EXPECT_TRUE(s.conflict.ends_with(L".txt ファイルがあります")) << Narrow(s.conflict);
    EXPECT_NE(s.conflict.find(L"..."), std::wstring::npos) << Narrow(s.conflict);
    EXPECT_LE(s.conflictRight, s.clientW - 8);
}

TEST(CopyProp, SameDirectoryCopyOffersOnlyANewName) {
    TempTree t;
    WindowDriver w(t.Root());
    w.Form().SameDirCopy = true;
    Shown s = ShowDialog(w);
    w.Form().SameDirCopy = false;
    EXPECT_EQ(s.enabled, (std::vector<bool>{false, false, false, true, false, false}));
}

} // namespace
