// The quick-access list and the result list, driven through the modal-loop
// seam with real keys and clicks.

#include "dialogs/Qaccess.h"
#include "main/DialogFlags.h"
#include "support/DialogSteps.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* const NotFound = L"指定されたパスは存在しません";

TStringList Items(const ui::ListBox& list) {
    TStringList items;
    for (int i = 0; i < list.Count(); ++i)
        items.push_back(list.Item(i));
    return items;
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A double-click on line `index` of a list box, as the mouse makes it.
void DoubleClickLine(ui::ListBox& list, int index) {
    int y = static_cast<int>(SendMessageW(list.Handle(), LB_GETITEMHEIGHT, 0, 0)) * index + 3;
    LPARAM at = MAKELPARAM(10, y);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(list.Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    ui::App().ProcessMessages();
}

class Qaccess : public ::testing::Test {
  protected:
    TempTree t;
    WindowDriver w{t.Root()};
    TForm1& f = w.Form();

    // Runs the command with `step` answering the dialog.
    void Select(std::function<void(TQaccess&)> step,
                std::vector<std::function<void(ui::Form&)>> more = {}) {
        std::vector<std::function<void(ui::Form&)>> steps{[step](ui::Form& d) {
            step(dynamic_cast<TQaccess&>(d));
            if (d.ModalResult() == 0) // a step that failed to end it: no hang
                d.SetModalResult(ui::mrCancel);
        }};
        steps.insert(steps.end(), more.begin(), more.end());
        w.OnDialogs(steps);
        f.SelectQaccessDir();
        w.Pump();
    }
};

TEST_F(Qaccess, RegisterKeepsOneEntryInTheCurrentCaseAndAtMostHundred) {
    std::wstring cur = f.CurDir;
    f.QaccessDirList = {L"X:\\one\\", Lower(cur)};
    TStringList afterKey, afterButton;
    int selected = -1;
    Select([&](TQaccess& d) {
        TypeKey(d.LBox_DirList->Handle(), VK_INSERT);
        afterKey = Items(*d.LBox_DirList);
        d.Button_RegDir->Click();
        afterButton = Items(*d.LBox_DirList);
        selected = d.LBox_DirList->ItemIndex();
        TypeKey(d.LBox_DirList->Handle(), VK_ESCAPE);
    });
    TStringList expected{cur, L"X:\\one\\"};
    EXPECT_EQ(afterKey, expected);
    EXPECT_EQ(afterButton, expected);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(f.QaccessDirList, expected) << "kept although cancelled";
    EXPECT_EQ(f.CurDir, cur);

    TStringList hundred;
    for (int i = 0; i < 100; ++i)
        hundred.push_back(L"X:\\d" + std::to_wstring(i) + L"\\");
    f.QaccessDirList = hundred;
    Select([&](TQaccess& d) {
        d.Button_RegDir->Click();
        d.Button_Cancel->Click();
    });
    ASSERT_EQ(f.QaccessDirList.size(), 100u);
    EXPECT_EQ(f.QaccessDirList.front(), cur);
    EXPECT_EQ(f.QaccessDirList[1], L"X:\\d0\\");
    EXPECT_EQ(f.QaccessDirList.back(), L"X:\\d98\\");
}

TEST_F(Qaccess, DeleteThenCancelKeepsTheDeletion) {
    std::wstring cur = f.CurDir;
    f.QaccessDirList = {L"X:\\a\\", L"X:\\b\\", L"X:\\c\\"};
    TStringList afterNoSelection, afterDelete;
    int selectedAfter = 0;
    Select([&](TQaccess& d) {
        d.LBox_DirList->SetItemIndex(-1);
        TypeKey(d.LBox_DirList->Handle(), VK_DELETE);
        afterNoSelection = Items(*d.LBox_DirList);
        d.LBox_DirList->SetItemIndex(1);
        TypeKey(d.LBox_DirList->Handle(), VK_DELETE);
        afterDelete = Items(*d.LBox_DirList);
        selectedAfter = d.LBox_DirList->ItemIndex();
        TypeKey(d.LBox_DirList->Handle(), VK_ESCAPE);
    });
    EXPECT_EQ(afterNoSelection, (TStringList{L"X:\\a\\", L"X:\\b\\", L"X:\\c\\"}));
    EXPECT_EQ(afterDelete, (TStringList{L"X:\\a\\", L"X:\\c\\"}));
    EXPECT_EQ(selectedAfter, -1);
    EXPECT_EQ(f.QaccessDirList, (TStringList{L"X:\\a\\", L"X:\\c\\"}));
    EXPECT_EQ(f.CurDir, cur);
}

TEST_F(Qaccess, OkMovesTheChosenEntryToTheTopAndChangesToIt) {
    for (auto d : {L"a", L"b", L"c"})
        t.Dir(d);
    std::wstring a = t.Path(L"a\\"), b = t.Path(L"b\\"), c = t.Path(L"c\\");

    f.QaccessDirList = {a, b, c};
    Select([&](TQaccess& d) {
        d.LBox_DirList->SetItemIndex(2);
        TypeKey(d.LBox_DirList->Handle(), VK_RETURN);
    });
    EXPECT_EQ(f.QaccessDirList, (TStringList{c, a, b}));
    EXPECT_EQ(f.CurDir, c);
    EXPECT_EQ(f.DirHistory.front(), c);
    EXPECT_EQ(f.CurIndex, 0);

    // A double-click chooses the line clicked.
    Select([&](TQaccess& d) { DoubleClickLine(*d.LBox_DirList, 1); });
    EXPECT_EQ(f.QaccessDirList, (TStringList{a, c, b}));
    EXPECT_EQ(f.CurDir, a);

    // After a Delete nothing is selected, and OK goes to the first entry.
    Select([&](TQaccess& d) {
        TypeKey(d.LBox_DirList->Handle(), VK_DELETE);
        TypeKey(d.LBox_DirList->Handle(), VK_RETURN);
    });
    EXPECT_EQ(f.QaccessDirList, (TStringList{c, b}));
    EXPECT_EQ(f.CurDir, c);
}

TEST_F(Qaccess, EntriesThatAreGoneOrAnEmptyList) {
    std::wstring cur = f.CurDir;
    f.QaccessDirList.clear();
    Select([&](TQaccess& d) { d.Button_Ok->Click(); });
    EXPECT_EQ(f.CurDir, cur);
    EXPECT_TRUE(f.QaccessDirList.empty());

    // A removed directory: its nearest existing ancestor is shown.
    t.Dir(L"keep");
    f.QaccessDirList = {t.Path(L"keep\\gone\\deeper\\")};
    Select([&](TQaccess& d) { d.Button_Ok->Click(); });
    EXPECT_EQ(f.CurDir, t.Path(L"keep\\"));

    // A drive that is gone has no ancestor to show: the notice, no change.
    ASSERT_EQ(GetLogicalDrives() & (1u << ('Q' - 'A')), 0u);
    f.QaccessDirList = {L"Q:\\nothing\\"};
    bool notice = false;
    Select([&](TQaccess& d) { d.Button_Ok->Click(); }, {[&](ui::Form& m) {
               notice = ShowsText(m.Handle(), NotFound);
               m.SetModalResult(ui::mrOk);
           }});
    EXPECT_TRUE(notice);
    EXPECT_EQ(f.CurDir, t.Path(L"keep\\"));
    EXPECT_FALSE(f.FileList.empty());
    EXPECT_TRUE(w.Errors.empty());
}

TEST_F(Qaccess, ResultListEndsOnlyByOkEnterOrTheCloseBox) {
    f.ResultList = {L"    1 a.txt", L"    2 b.txt"};
    f.QaccessDirList = {L"X:\\a\\"};
    QaccessPrompt = L"ファイルのコピーを完了しました";
    bool flagWhileShown = false, buttonsHidden = false;
    int selected = 0, resultAfterKeys = -1;
    TStringList items;
    w.OnDialogs({[&](ui::Form& form) {
        auto& d = dynamic_cast<TQaccess&>(form);
        flagWhileShown = QaccessShown;
        buttonsHidden = !IsWindowVisible(d.Button_Cancel->Handle()) &&
                        !IsWindowVisible(d.Button_DelDir->Handle()) &&
                        !IsWindowVisible(d.Button_RegDir->Handle()) &&
                        IsWindowVisible(d.Button_Ok->Handle());
        selected = d.LBox_DirList->ItemIndex();
        for (HWND target : {d.LBox_DirList->Handle(), GetFocus()})
            for (WORD key : {VK_ESCAPE, VK_INSERT, VK_DELETE})
                TypeKey(target, key);
        DoubleClickLine(*d.LBox_DirList, 0);
        resultAfterKeys = d.ModalResult();
        items = Items(*d.LBox_DirList);
        TypeKey(GetFocus(), VK_RETURN);
    }});
    int result = ShowQaccess();
    w.Pump();
    EXPECT_TRUE(flagWhileShown);
    EXPECT_FALSE(QaccessShown);
    EXPECT_TRUE(buttonsHidden);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(resultAfterKeys, 0);
    EXPECT_EQ(items, f.ResultList);
    EXPECT_EQ(result, ui::mrOk);
    EXPECT_EQ(f.QaccessDirList, TStringList{L"X:\\a\\"});

    w.OnDialogs({[&](ui::Form& d) {
        PostMessageW(d.Handle(), WM_CLOSE, 0, 0);
        ui::App().ProcessMessages();
    }});
    EXPECT_EQ(ShowQaccess(), ui::mrCancel);
}

TEST_F(Qaccess, CaptionLayoutAndFonts) {
    ui::FontSpec font = f.Font();
    font.Size = 10;
    f.SetWindowFont(font);
    f.SetCaption(L"ムーブ中 x");
    std::wstring caption, label;
    int listFont = 0, clientW = 0, clientH = 0;
    Select([&](TQaccess& d) {
        caption = d.Caption();
        label = d.Label1->Text();
        listFont = d.LBox_DirList->Font().Size;
        clientW = d.ClientWidth();
        clientH = d.ClientHeight();
        d.Button_Cancel->Click();
    });
    EXPECT_EQ(caption, L"ムーブ中 x");
    EXPECT_EQ(label, L"ディレクトリを選択してください");
    EXPECT_EQ(listFont, 8);
    EXPECT_EQ(clientW, 393);
    EXPECT_EQ(clientH, 246);
}

} // namespace
