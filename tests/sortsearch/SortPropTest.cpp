// The sort options dialog and the sort command.

#include "Entries.h"

#include "dialogs/SortProp.h"
#include "main/DialogFlags.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "win/Error.h"

#include <gtest/gtest.h>

namespace {

using Button = std::unique_ptr<ui::RadioButton> TSortProp::*;

// A key pressed in the open dialog, handled before the next step.
void Press(TSortProp& d, WORD vk) {
    HWND focus = GetFocus();
    PostKey(focus ? focus : d.Handle(), vk);
    ui::App().PumpUntilIdle();
}

struct Settings {
    int key;
    bool forward, shlwapi;
    bool operator==(const Settings&) const = default;
};

void Apply(TForm1& f, Settings s) {
    f.SortKey = static_cast<uint8_t>(s.key);
    f.SortForward = s.forward;
    f.SortShlwapi = s.shlwapi;
}

Settings Current(const TForm1& f) {
    return {f.SortKey, f.SortForward, f.SortShlwapi};
}

// Exactly one button of each group is checked.
void ExpectOneCheckedPerGroup(TSortProp& d) {
    int keys = d.Btn_Name->Checked() + d.Btn_Ext->Checked() + d.Btn_Size->Checked() +
               d.Btn_Date->Checked();
    EXPECT_EQ(keys, 1);
    EXPECT_NE(d.Btn_Up->Checked(), d.Btn_Down->Checked());
    EXPECT_NE(d.Btn_Shlw->Checked(), d.Btn_NSrt->Checked());
}

TEST(SortProp, KeyTable) {
    struct Case {
        WORD vk;
        Settings before;
        Button focus; // where the focus is after the key
        Settings after;
    } cases[] = {
        {'N', {3, true, false}, &TSortProp::Btn_Name, {1, true, false}},
        {'E', {1, true, false}, &TSortProp::Btn_Ext, {0, true, false}},
        {'S', {1, true, false}, &TSortProp::Btn_Size, {2, true, false}},
        {'T', {1, true, false}, &TSortProp::Btn_Date, {3, true, false}},
        {'U', {1, false, false}, &TSortProp::Btn_Up, {1, true, false}},
        {'D', {1, true, false}, &TSortProp::Btn_Down, {1, false, false}},
        {'1', {2, true, false}, &TSortProp::Btn_Size, {2, true, true}},
        {'2', {2, true, true}, &TSortProp::Btn_Size, {2, true, false}},
        // The digits of the numeric keypad are not served.
        {VK_NUMPAD1, {2, true, false}, &TSortProp::Btn_Size, {2, true, false}},
        {VK_NUMPAD2, {2, true, true}, &TSortProp::Btn_Size, {2, true, true}},
    };
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.vk);
        Apply(f, c.before);
        w.OnDialogs({[&](ui::Form& form) {
            auto& d = dynamic_cast<TSortProp&>(form);
            Press(d, c.vk);
            EXPECT_TRUE((d.*c.focus)->Focused());
            EXPECT_TRUE((d.*c.focus)->Checked());
            ExpectOneCheckedPerGroup(d);
            EXPECT_EQ(d.ModalResult(), 0);
            d.Button_Ok->Click();
        }});
        f.ChooseSortOrder();
        EXPECT_EQ(Current(f), c.after);
        w.Pump();
        EXPECT_FALSE(SortPropShown);
    }
}

TEST(SortProp, EnterOnAKeyButtonTakesTheStoredDirectionThenCloses) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (bool forward : {false, true}) {
        SCOPED_TRACE(forward ? "ascending" : "descending");
        Apply(f, {2, forward, false});
        w.OnDialogs({[&](ui::Form& form) {
            auto& d = dynamic_cast<TSortProp&>(form);
            EXPECT_TRUE(d.Btn_Size->Focused());
            Press(d, forward ? 'D' : 'U'); // the buttons now say the opposite
            Press(d, 'N');
            Press(d, VK_RETURN);
            auto& stored = forward ? d.Btn_Up : d.Btn_Down;
            EXPECT_TRUE(stored->Focused());
            EXPECT_TRUE(stored->Checked());
            ExpectOneCheckedPerGroup(d);
            EXPECT_EQ(d.ModalResult(), 0);
            Press(d, VK_RETURN);
            EXPECT_EQ(d.ModalResult(), ui::mrOk);
        }});
        f.ChooseSortOrder();
        EXPECT_EQ(w.DialogsShown(), forward ? 2 : 1);
        EXPECT_EQ(Current(f), (Settings{1, forward, false}));
    }
}

TEST(SortProp, ArrowKeysStayInsideTheirGroup) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {3, true, false});
    w.OnDialogs({[&](ui::Form& form) {
        auto& d = dynamic_cast<TSortProp&>(form);
        ASSERT_TRUE(d.Btn_Date->Focused());
        Press(d, VK_DOWN);
        EXPECT_TRUE(d.Btn_Name->Focused());
        EXPECT_TRUE(d.Btn_Name->Checked());
        ExpectOneCheckedPerGroup(d);
        Press(d, '2');
        Press(d, 'U');
        Press(d, VK_DOWN);
        EXPECT_TRUE(d.Btn_Down->Focused());
        Press(d, VK_DOWN);
        EXPECT_TRUE(d.Btn_Up->Focused());
        ExpectOneCheckedPerGroup(d);
        d.Button_Ok->Click();
    }});
    f.ChooseSortOrder();
    EXPECT_EQ(Current(f), (Settings{1, true, false}));
}

TEST(SortProp, CancelEscAndCloseBoxChangeNothing) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {1, true, false});
    // Out of order, so that a sort would show.
    SetEntries(f, {L"a.txt", L"b.txt", L".."});
    f.PageLines = 20;
    f.PlaceCursor(1);
    auto change = [](TSortProp& d) {
        Press(d, 'E');
        Press(d, 'D');
        Press(d, '1');
    };
    w.OnDialogs({[&](ui::Form& form) {
                     auto& d = dynamic_cast<TSortProp&>(form);
                     change(d);
                     Press(d, VK_ESCAPE);
                     EXPECT_EQ(d.ModalResult(), ui::mrCancel);
                 },
                 [&](ui::Form& form) {
                     auto& d = dynamic_cast<TSortProp&>(form);
                     change(d);
                     SendMessageW(d.Handle(), WM_CLOSE, 0, 0);
                 },
                 [&](ui::Form& form) {
                     auto& d = dynamic_cast<TSortProp&>(form);
                     change(d);
                     d.Button_Cancel->Click();
                 }});
    for (int i = 0; i < 3; ++i) {
        f.ChooseSortOrder();
        EXPECT_EQ(Current(f), (Settings{1, true, false}));
        EXPECT_EQ(EntryNames(f.FileList), (std::vector<std::wstring>{L"a.txt", L"b.txt", L".."}));
        EXPECT_EQ(f.CurIndex, 1);
    }
    EXPECT_EQ(w.DialogsShown(), 3);
}

TEST(SortProp, OkResortsAndKeepsTheCursorEntryOnItsPage) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {1, true, false});
    std::vector<std::wstring> names;
    for (int i = 0; i < 30; ++i)
        names.push_back(L"f" + std::to_wstring(100 + i) + L".txt");
    names.push_back(L"..");
    SetEntries(f, names);
    f.PageLines = 5;
    f.PlaceCursor(IndexOfName(f.FileList, L"f124.txt"));
    ASSERT_EQ(f.PageTop, 20);
    // Unchanged settings: Enter on the key button, Enter on the direction.
    w.OnDialogs({[&](ui::Form& form) {
        auto& d = dynamic_cast<TSortProp&>(form);
        Press(d, VK_RETURN);
        Press(d, VK_RETURN);
    }});
    f.ChooseSortOrder();
    EXPECT_EQ(Current(f), (Settings{1, true, false}));
    EXPECT_EQ(EntryName(f.FileList, 0), L"..");
    ASSERT_EQ(EntryName(f.FileList, f.CurIndex), L"f124.txt");
    EXPECT_EQ(f.CurIndex, 25);
    EXPECT_EQ(f.PageTop, 25);
    EXPECT_EQ(w.SelectedLine(), 0);
    EXPECT_EQ(w.Lines()[0].find(L"f124.txt"), 1u);
}

TEST(SortProp, OkOnAnEmptyListStoresTheSettingsAndDrawsTheEmptyPage) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {1, true, false});
    SetEntries(f, {});
    f.DrawPage();
    w.OnDialogs({[&](ui::Form& form) {
        auto& d = dynamic_cast<TSortProp&>(form);
        Press(d, 'T');
        Press(d, 'D');
        Press(d, '1');
        d.Button_Ok->Click();
    }});
    f.ChooseSortOrder();
    EXPECT_EQ(Current(f), (Settings{3, false, true}));
    EXPECT_TRUE(w.Lines().empty());
    EXPECT_EQ(f.CurIndex, 0);
    EXPECT_EQ(f.PageTop, 0);
}

TEST(SortProp, KeyOutOfRangeOpensOnNameAndOkStoresIt) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {7, false, true});
    w.OnDialogs({[&](ui::Form& form) {
        auto& d = dynamic_cast<TSortProp&>(form);
        EXPECT_TRUE(d.Btn_Name->Checked());
        EXPECT_TRUE(d.Btn_Down->Checked());
        EXPECT_TRUE(d.Btn_Shlw->Checked());
        ExpectOneCheckedPerGroup(d);
        d.Button_Ok->Click();
    }});
    f.ChooseSortOrder();
    EXPECT_EQ(Current(f), (Settings{1, false, true}));
}

TEST(SortProp, TakesTheMainCaptionItsSizeAndTheDialogFont) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.SetCaption(L"コピー中 memo.txt");
    for (auto [mainSize, dialogSize] : {std::pair{20, 12}, std::pair{10, 8}}) {
        ui::FontSpec font = f.Font();
        font.Size = mainSize;
        f.SetWindowFont(font);
        w.OnDialogs({[&](ui::Form& form) {
            auto& d = dynamic_cast<TSortProp&>(form);
            EXPECT_TRUE(SortPropShown);
            EXPECT_EQ(d.Caption(), L"コピー中 memo.txt");
            EXPECT_EQ(d.ClientWidth(), 443);
            EXPECT_EQ(d.ClientHeight(), 158);
            ui::Control* controls[] = {d.Label1.get(),    d.GroupBox1.get(),    d.GroupBox2.get(),
                                       d.GroupBox3.get(), d.Btn_Name.get(),     d.Btn_Ext.get(),
                                       d.Btn_Size.get(),  d.Btn_Date.get(),     d.Btn_Up.get(),
                                       d.Btn_Down.get(),  d.Btn_Shlw.get(),     d.Btn_NSrt.get(),
                                       d.Button_Ok.get(), d.Button_Cancel.get()};
            for (auto* c : controls) {
                EXPECT_EQ(c->Font().Size, dialogSize);
                EXPECT_EQ(c->Font().Name, font.Name);
            }
            // The radio buttons sit inside their frames.
            EXPECT_EQ(d.Btn_Date->Left(), 8 + 104);
            EXPECT_EQ(d.Btn_Date->Top(), 32 + 48);
            d.SetModalResult(ui::mrCancel);
        }});
        f.ChooseSortOrder();
    }
}

TEST(SortProp, DialogIsReleasedWhenItsLoopFails) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {1, true, false});
    w.OnDialogs({[&](ui::Form&) { throw win::AppError(L"壊れました"); }});
    ui::Guarded([&] { f.ChooseSortOrder(); });
    EXPECT_EQ(w.Errors, std::vector<std::wstring>{L"壊れました."});
    w.Pump();
    EXPECT_FALSE(SortPropShown);
    EXPECT_EQ(SortProp, nullptr);
    EXPECT_EQ(Current(f), (Settings{1, true, false}));
}

} // namespace

namespace {

TEST(SortProp, KeysOpenItAndTheWindowsHookIsBackAfterEveryEnding) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Apply(f, {1, true, false});
    w.OnDialogs({[](ui::Form& form) { dynamic_cast<TSortProp&>(form).Button_Ok->Click(); },
                 [](ui::Form& form) { Press(dynamic_cast<TSortProp&>(form), VK_ESCAPE); },
                 [](ui::Form&) { throw win::AppError(L"壊れました"); },
                 [](ui::Form& form) {
                     // Inside the dialog S is the dialog's own key.
                     auto& d = dynamic_cast<TSortProp&>(form);
                     Press(d, 'S');
                     EXPECT_TRUE(d.Btn_Size->Focused());
                     d.Button_Ok->Click();
                 },
                 [](ui::Form& form) { dynamic_cast<TSortProp&>(form).Button_Cancel->Click(); }});
    struct Key {
        WORD vk;
        bool shift, ctrl;
    } keys[] = {{'S', false, false},   {'S', true, false},   {'S', false, true},
                {VK_F6, false, false}, {VK_F6, true, false}, {'S', false, false}};
    int shown = 0;
    for (const auto& k : keys) {
        w.Key(k.vk, k.shift, k.ctrl);
        EXPECT_EQ(w.DialogsShown(), ++shown) << "key " << k.vk;
    }
    EXPECT_EQ(w.Errors, std::vector<std::wstring>{L"壊れました."});
    EXPECT_EQ(Current(f), (Settings{2, true, false}));
}

} // namespace
