// Searching a word in the names of the list.

#include "Entries.h"

#include "dialogs/MakeDir.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

enum class Op { FromCursor, Next, Prev };

std::vector<std::wstring> NumberedNames(int count, int targetAt, const std::wstring& target) {
    std::vector<std::wstring> names{L".."};
    for (int i = 1; i < count; ++i)
        names.push_back(i == targetAt ? target : L"n" + std::to_wstring(100 + i) + L".dat");
    return names;
}

TEST(Search, Table) {
    const std::vector<std::wstring> rep{L"..", L"Report.txt", L"prep.txt", L"reprise.doc"};
    const auto many = NumberedNames(50, 45, L"target.txt");
    struct Case {
        const char* what;
        std::vector<std::wstring> names;
        int pageLines;
        std::wstring word;
        int cursor;
        Op op;
        int expectIndex, expectTop;
    } cases[] = {
        {"case respected: rep is not in Report.txt", rep, 20, L"rep", 0, Op::FromCursor, 2, 0},
        {"upper case finds only Report.txt", rep, 20, L"Rep", 2, Op::Prev, 1, 0},
        {"the cursor entry itself matches first", rep, 20, L"rep", 2, Op::FromCursor, 2, 0},
        {"next goes on from the cursor", rep, 20, L"rep", 2, Op::Next, 3, 0},
        {"a dot matches ..", rep, 20, L".", 2, Op::Prev, 1, 0},
        {"a dot matches .. from the top", rep, 20, L".", 0, Op::FromCursor, 0, 0},
        {"next on the last match stays", rep, 20, L"rep", 3, Op::Next, 3, 0},
        {"previous on the first match stays", rep, 20, L"rep", 2, Op::Prev, 2, 0},
        {"no wrap-around at the end", rep, 20, L"Report", 3, Op::Next, 3, 0},
        {"no wrap-around at the top", rep, 20, L"reprise", 0, Op::Prev, 0, 0},
        {"no match changes nothing", rep, 20, L"zzz", 1, Op::FromCursor, 1, 0},
        {"an empty word matches nothing", rep, 20, L"", 0, Op::Next, 0, 0},
        {"an empty word, backwards", rep, 20, L"", 3, Op::Prev, 3, 0},
        {"a match on another page shows that page", many, 20, L"target", 0, Op::Next, 45, 40},
        {"backwards onto another page", many, 20, L"target", 49, Op::Prev, 45, 40},
        {"forwards onto the current page", many, 20, L"target", 41, Op::FromCursor, 45, 40},
        {"an empty list", {}, 20, L"x", 0, Op::FromCursor, 0, 0},
        {"an empty list, next", {}, 20, L"x", 0, Op::Next, 0, 0},
        {"an empty list, previous", {}, 20, L"x", 0, Op::Prev, 0, 0},
    };
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetEntries(f, c.names);
        f.PageLines = c.pageLines;
        if (!c.names.empty())
            f.PlaceCursor(c.cursor);
        f.SearchWord = c.word;
        switch (c.op) {
        case Op::FromCursor:
            f.SearchFrom(f.CurIndex, 1);
            break;
        case Op::Next:
            f.FindNextWord();
            break;
        case Op::Prev:
            f.FindPrevWord();
            break;
        }
        EXPECT_EQ(f.CurIndex, c.expectIndex);
        EXPECT_EQ(f.PageTop, c.expectTop);
        EXPECT_EQ(f.SearchWord, c.word);
        if (!c.names.empty()) {
            EXPECT_EQ(w.SelectedLine(), f.CurIndex - f.PageTop);
            EXPECT_EQ(w.Lines()[0].find(c.names[f.PageTop]), 1u);
        }
    }
}

} // namespace

namespace {

using Step = std::function<void(ui::Form&)>;

Step Answer(std::wstring text, std::vector<std::wstring>& seen) {
    return [text, &seen](ui::Form& form) {
        auto& d = dynamic_cast<TMakeDir&>(form);
        seen.push_back(d.Label1->Text() + L"|" + d.Edit1->Text());
        d.Edit1->SetText(text);
        d.Button_Ok->Click();
    };
}

TEST(Search, KeysAskForTheWordAndRepeatTheSearch) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    SetEntries(f, {L"..", L"Report.txt", L"prep.txt", L"reprise.doc", L"x.txt"});
    f.PageLines = 20;
    f.DrawPage();
    std::vector<std::wstring> seen;
    w.OnDialogs({Answer(L"  rep", seen),
                 [](ui::Form& form) { dynamic_cast<TMakeDir&>(form).Button_Cancel->Click(); },
                 Answer(L"", seen)});
    w.Key('F');
    EXPECT_EQ(seen, std::vector<std::wstring>{L"検索する単語を入力してください|"});
    EXPECT_EQ(f.SearchWord, L"rep");
    EXPECT_EQ(f.CurIndex, 2);
    w.Key(VK_F3);
    EXPECT_EQ(f.CurIndex, 3);
    w.Key(VK_F3, true);
    EXPECT_EQ(f.CurIndex, 2);
    w.Key('F'); // cancelled: the word stays
    EXPECT_EQ(f.SearchWord, L"rep");
    EXPECT_EQ(f.CurIndex, 2);
    f.PlaceCursor(4);
    w.Key('F'); // confirmed empty: nothing is found from now on
    EXPECT_EQ(f.SearchWord, L"");
    w.Key(VK_F3, true);
    EXPECT_EQ(f.CurIndex, 4);
    EXPECT_EQ(w.DialogsShown(), 3);
}

} // namespace
