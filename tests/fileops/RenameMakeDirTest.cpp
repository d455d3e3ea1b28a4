// Make directory and rename through the input dialog, on real files.

#include "Steps.h"
#include "main/DialogFlags.h"
#include "support/DialogSteps.h"
#include "subroutines/FileSystem.h"
#include "support/WindowDriver.h"
#include "ui/Application.h"
#include "win/Error.h"

#include <algorithm>

namespace {

void ExpectCursorOn(WindowDriver& w, const std::wstring& name) {
    auto& f = w.Form();
    int i = IndexOfName(f.FileList, name);
    ASSERT_GE(i, 0) << Narrow(name);
    EXPECT_EQ(f.CurIndex, i);
    EXPECT_EQ(f.PageTop, (i / f.PageLines) * f.PageLines);
    EXPECT_EQ(w.SelectedLine(), i - f.PageTop);
    EXPECT_NE(w.Lines()[i - f.PageTop].find(name), std::wstring::npos);
}

TEST(MakeDir, OnlyTheLastComponentCountsAndTheCursorGoesOnTheNewDirectory) {
    TempTree t;
    t.File(L"x.txt");
    WindowDriver w(t.Root());
    std::vector<std::wstring> seen;
    w.OnDialogs({Answer(L"  a\\b", &seen)});
    w.Form().MakeDirCommand();
    EXPECT_EQ(seen, std::vector<std::wstring>{L"新しいディレクトリ名を入力してください|"});
    EXPECT_TRUE(DirectoryExists(t.Path(L"b")));
    EXPECT_FALSE(t.Exists(L"a"));
    EXPECT_EQ(w.Form().CurDir, t.Root());
    ExpectCursorOn(w, L"b");
    EXPECT_EQ(w.Form().DirHistory[0], t.Root());
    EXPECT_EQ(w.Form().DirHistory[1], t.Path(L"b\\"));
}

TEST(MakeDir, ExistingDirectoryGetsTheCursorAndExistingFileNothing) {
    TempTree t;
    t.Dir(L"sub");
    t.File(L"f.txt", "f");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    w.OnDialogs({Answer(L"sub")});
    f.MakeDirCommand();
    ExpectCursorOn(w, L"sub");
    ASSERT_GE(f.DirHistory.size(), 2u);
    EXPECT_EQ(f.DirHistory[0], t.Root());
    EXPECT_EQ(f.DirHistory[1], t.Path(L"sub\\"));

    w.OnDialogs({Answer(L"f.txt")});
    f.MakeDirCommand();
    EXPECT_EQ(w.DialogsShown(), 2); // the prompts only: no message
    EXPECT_EQ(t.Read(L"f.txt"), "f");
    EXPECT_EQ(f.CurIndex, 0);
    EXPECT_TRUE(w.Errors.empty());
}

TEST(MakeDir, NewDirectoryOnAFirstOrALaterPage) {
    for (int files : {2, 200}) {
        SCOPED_TRACE(files);
        TempTree t;
        for (int i = 0; i < files; ++i)
            t.File(L"f" + std::to_wstring(1000 + i) + L".txt");
        WindowDriver w(t.Root());
        w.OnDialogs({Answer(L"zz-new")});
        w.Form().MakeDirCommand();
        ExpectCursorOn(w, L"zz-new");
    }
}

TEST(MakeDir, NameThatReducesToNothingChangesNothing) {
    for (auto text : {L"", L"   ", L"x\\\\", L"..", L"."}) {
        SCOPED_TRACE(Narrow(text));
        TempTree t;
        t.Dir(L"inner");
        t.File(L"inner\\a.txt");
        WindowDriver w(t.Path(L"inner"));
        auto& f = w.Form();
        f.PlaceCursor(1);
        auto history = f.DirHistory;
        auto before = EntryNames(f.FileList);
        w.OnDialogs({Answer(text)});
        f.MakeDirCommand();
        EXPECT_EQ(f.CurDir, t.Path(L"inner\\"));
        EXPECT_EQ(EntryNames(f.FileList), before);
        EXPECT_EQ(f.CurIndex, 1);
        EXPECT_EQ(f.DirHistory, history);
        EXPECT_TRUE(w.Errors.empty());
    }
}

TEST(MakeDir, PathValidationErrorsReachTheErrorReportAndCreateNothing) {
    TempTree t;
    WindowDriver w(t.Root());
    std::wstring longName(260 - t.Root().size(), L'n');
    w.OnDialogs({Answer(longName)});
    ui::Guarded([&] { w.Form().MakeDirCommand(); });
    ASSERT_EQ(w.Errors.size(), 1u);
    EXPECT_NE(w.Errors[0].find(L"パス名が長すぎます"), std::wstring::npos);
    EXPECT_EQ(EntryNames(w.Form().FileList), std::vector<std::wstring>{L".."});

    ASSERT_EQ(GetLogicalDrives() & (1u << ('Q' - 'A')), 0u);
    struct {
        std::wstring path, text;
    } cases[] = {
        {L"Q:\\nothing\\new", L"ドライブが存在しません"},
        {t.Path(L"a:b"), L"コロンの位置が正しくありません"},
        {t.Root() + std::wstring(247, L'x'), L"パス名が長すぎます"},
    };
    for (const auto& c : cases) {
        try {
            MakeDirectories(c.path);
            ADD_FAILURE() << "no error for " << Narrow(c.path);
        } catch (const win::AppError& e) {
            EXPECT_NE(e.Text().find(c.text), std::wstring::npos) << Narrow(e.Text());
        }
    }
    // Invalid characters: nothing made, nothing said.
    EXPECT_NO_THROW(MakeDirectories(t.Path(L"a|b")));
    MakeDirectories(t.Path(L"p\\q\\r"));
    EXPECT_TRUE(DirectoryExists(t.Path(L"p\\q\\r")));
}

// Wine cuts names longer than 255 UTF-8 bytes; a name must never land on
// another entry that way.
TEST(MakeDir, NameTheFileSystemWouldShortenNeverMeetsAnotherEntry) {
    TempTree t;
    std::wstring stem(90, L'あ');
    t.File(stem + L"A.txt", "first");
    WindowDriver w(t.Root());
    w.OnDialogs({Answer(stem + L"B")});
    ui::Guarded([&] { w.Form().MakeDirCommand(); });
    EXPECT_EQ(t.Read(stem + L"A.txt"), "first");
    if (NameOnDisk(t.Path(stem + L"B")) != stem + L"B") {
        ASSERT_EQ(w.Errors.size(), 1u);
        EXPECT_NE(w.Errors[0].find(L"作成できません"), std::wstring::npos);
    }
    // A long name with no other entry under its shortened form: the
    // shortened directory is not left behind either.
    std::wstring other(88, L'い');
    w.Errors.clear();
    w.OnDialogs({Answer(other + L"X1")});
    ui::Guarded([&] { w.Form().MakeDirCommand(); });
    if (NameOnDisk(t.Path(other + L"X1")) != other + L"X1") {
        EXPECT_EQ(w.Errors.size(), 1u);
        std::vector<std::wstring> names = EntryNames(w.Form().FileList);
        EXPECT_EQ(names.size(), 2u); // "..", the file
    }
}

TEST(Rename, CaseOnlyRenameReallyHappens) {
    TempTree t;
    t.File(L"abc", "content");
    t.Dir(L"dir");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (auto [from, to] : {std::pair{L"abc", L"ABC"}, std::pair{L"dir", L"Dir"}}) {
        PutCursor(f, from);
        std::vector<std::wstring> seen;
        w.OnDialogs({Answer(to, &seen)});
        f.RenameCommand();
        EXPECT_EQ(seen,
                  std::vector<std::wstring>{L"新しい名前を入力してください|" + std::wstring(from)});
        EXPECT_EQ(NameOnDisk(t.Path(to)), to);
        EXPECT_EQ(IndexOfName(f.FileList, from), -1);
        ExpectCursorOn(w, to);
    }
    EXPECT_EQ(t.Read(L"ABC"), "content");
    EXPECT_EQ(w.DialogsShown(), 2);
}

// The entry whose name begins with blanks is the one renamed, never the
// entry whose name is the same without them.
TEST(Rename, EntryWhoseNameBeginsWithBlanksIsTheOneRenamed) {
    TempTree t;
    t.File(L"  lead.txt", "blanks");
    t.File(L"lead.txt", "plain");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    PutCursor(f, L"  lead.txt");
    w.OnDialogs({Answer(L"new.txt")});
    f.RenameCommand();
    EXPECT_EQ(t.Read(L"new.txt"), "blanks");
    EXPECT_EQ(t.Read(L"lead.txt"), "plain");
    EXPECT_FALSE(t.Exists(L"  lead.txt"));
    EXPECT_EQ(IndexOfName(f.FileList, L"  lead.txt"), -1);
    EXPECT_GE(IndexOfName(f.FileList, L"lead.txt"), 0);
    ExpectCursorOn(w, L"new.txt");
}

// A change of letter case goes through a temporary name as long as the
// name itself: a one-letter name, and a name that just fits the path limit.
// When every such name is taken it says so and changes nothing.
TEST(Rename, CaseOnlyRenameFitsWhereTheNameFitsAndGivesUpWhenNoNameIsFree) {
    TempTree t;
    t.File(L"a", "one letter");
    std::wstring deep = L"deep\\";
    while (t.Path(deep).size() < 236)
        deep += L"level\\";
    std::wstring lower(MaxFilePath - 1 - t.Path(deep).size(), L'x');
    std::wstring upper(lower.size(), L'X');
    t.File(deep + lower, "long");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    PutCursor(f, L"a");
    w.OnDialogs({Answer(L"A")});
    f.RenameCommand();
    EXPECT_EQ(NameOnDisk(t.Path(L"A")), L"A");
    EXPECT_EQ(t.Read(L"A"), "one letter");

    f.CurDir = t.Path(deep);
    f.ChangeDir(true);
    PutCursor(f, lower);
    w.OnDialogs({Answer(upper)});
    f.RenameCommand();
    EXPECT_EQ(NameOnDisk(t.Path(deep + upper)), upper);
    EXPECT_EQ(t.Read(deep + upper), "long");

    // All 36 one-character names taken: "A" itself and 0-9, B-Z.
    for (wchar_t c : std::wstring(L"0123456789BCDEFGHIJKLMNOPQRSTUVWXYZ"))
        t.File(std::wstring(1, c));
    f.CurDir = t.Root();
    f.ChangeDir(true);
    PutCursor(f, L"A");
    std::vector<std::wstring> notices;
    w.OnDialogs({Answer(L"a"), Notice(notices)});
    f.RenameCommand();
    EXPECT_EQ(notices, std::vector<std::wstring>{
                           L"作業用の一時的な名前を作れないのでリネームできません: a"});
    EXPECT_EQ(NameOnDisk(t.Path(L"A")), L"A");
    EXPECT_EQ(t.Read(L"A"), "one letter");
    EXPECT_TRUE(w.Errors.empty());
}

TEST(Rename, FailuresShowTheirMessagesAndChangeNothing) {
    struct {
        const char* what;
        std::wstring entry, answer, message;
    } cases[] = {
        {"name of another entry", L"one.txt", L"two.txt", L"リネームに失敗しました"},
        {"unchanged name", L"one.txt", L"one.txt", L"one.txt が存在しているのでリネームできません"},
        {"unchanged directory name", L"sub", L"sub", L"sub が存在しているのでリネームできません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree t;
        t.File(L" lead.txt", "lead");
        t.File(L"one.txt", "one");
        t.File(L"two.txt", "two");
        t.Dir(L"sub");
        WindowDriver w(t.Root());
        auto& f = w.Form();
        auto before = EntryNames(f.FileList);
        PutCursor(f, c.entry);
        std::vector<std::wstring> notices;
        w.OnDialogs({Answer(c.answer), Notice(notices)});
        f.RenameCommand();
        EXPECT_EQ(notices, std::vector<std::wstring>{c.message});
        EXPECT_EQ(t.Read(L" lead.txt"), "lead");
        EXPECT_EQ(t.Read(L"one.txt"), "one");
        EXPECT_EQ(t.Read(L"two.txt"), "two");
        EXPECT_FALSE(t.Exists(L"new.txt"));
        auto after = EntryNames(f.FileList);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before);
    }
}

TEST(Rename, NameTheFileSystemWouldShortenNeverMeetsAnotherFile) {
    TempTree t;
    std::wstring stem(90, L'か');
    t.File(stem + L"A.txt", "first");
    t.File(L"small.txt", "small");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    for (auto answer : {stem + L"B.txt", std::wstring(88, L'さ') + L"X.txt"}) {
        PutCursor(f, L"small.txt");
        std::vector<std::wstring> notices;
        w.OnDialogs({Answer(answer), Notice(notices)});
        f.RenameCommand();
        EXPECT_EQ(t.Read(stem + L"A.txt"), "first");
        if (NameOnDisk(t.Path(answer)) == answer) {
            EXPECT_EQ(t.Read(answer), "small"); // the name fits here
            break;
        }
        EXPECT_EQ(notices.size(), 1u);
        EXPECT_EQ(t.Read(L"small.txt"), "small");
        EXPECT_GE(IndexOfName(f.FileList, L"small.txt"), 0);
    }
}

TEST(Rename, MarkedEntriesOneByOneWithTheThirdPromptCancelled) {
    TempTree t;
    t.File(L"m1.txt", "1");
    t.File(L"m2.txt", "2");
    t.File(L"m3.txt", "3");
    t.File(L"other.txt", "o");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Mark(f, {L"m1.txt", L"m2.txt", L"m3.txt"});
    f.PlaceCursor(0);
    std::vector<bool> busy;
    std::wstring renPropCaption;
    auto renProp = [&](ui::Form& d) {
        renPropCaption = d.Caption();
        auto& r = dynamic_cast<TRenProp&>(d);
        EXPECT_TRUE(r.Btn_R->Checked());
        EXPECT_TRUE(RenPropShown);
        r.Button_Ok->Click();
    };
    auto answer = [&](std::wstring text) {
        return [&busy, text](ui::Form& d) {
            busy.push_back(MainForm()->Busy);
            Answer(text)(d);
        };
    };
    auto cancel = [&](ui::Form& d) {
        busy.push_back(MainForm()->Busy);
        CancelInput()(d);
    };
    // The prompts come in list order; answer by the name each one shows.
    std::vector<std::wstring> order;
    for (const auto& e : f.FileList)
        if (e->Marked)
            order.push_back(e->FileName);
    ASSERT_EQ(order.size(), 3u);
    w.OnDialogs({renProp, answer(L"new-" + order[0]), answer(L"new-" + order[1]), cancel});
    f.RenameCommand();
    EXPECT_EQ(renPropCaption, f.Caption());
    EXPECT_EQ(busy, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(f.Busy);
    EXPECT_EQ(t.Read(L"new-" + order[0]), Narrow(order[0].substr(1, 1)));
    EXPECT_EQ(t.Read(L"new-" + order[1]), Narrow(order[1].substr(1, 1)));
    EXPECT_TRUE(t.Exists(order[2]));
    ExpectCursorOn(w, L"new-" + order[1]);
    // Renamed entries keep their marks.
    EXPECT_TRUE(EntryMarked(f.FileList, IndexOfName(f.FileList, L"new-" + order[0])));
}

TEST(Rename, CancelledRenPropAndDotDotDoNothing) {
    TempTree t;
    t.File(L"a.txt", "a");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.PlaceCursor(0);
    f.RenameCommand();
    EXPECT_EQ(w.DialogsShown(), 0);
    Mark(f, {L"a.txt"});
    f.RenameCommand(); // TRenProp gets Cancel
    EXPECT_EQ(w.DialogsShown(), 1);
    EXPECT_TRUE(t.Exists(L"a.txt"));
}

// The file commands as the keyboard gives them: every answer typed into the
// program's dialogs, confirmed with Enter.
TEST(FileCommands, ByKeysAlone) {
    TempTree t;
    t.File(L"old.txt", "text");
    t.File(L"gone.txt", "g");
    t.File(L"gone2.txt", "g2");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    auto type = [](std::wstring text) {
        return [text](ui::Form& d) {
            auto& input = dynamic_cast<TMakeDir&>(d);
            input.Edit1->SetText(text);
            TypeKey(input.Edit1->Handle(), VK_RETURN);
        };
    };
    Step enter = [](ui::Form& d) {
        TypeKey(dynamic_cast<TMsgBox&>(d).Button_Ok->Handle(), VK_RETURN);
    };
    w.OnDialogs({type(L"made"), type(L"new.txt"), enter, enter});
    w.Key('K');
    EXPECT_TRUE(DirectoryExists(t.Path(L"made")));
    ExpectCursorOn(w, L"made");

    PutCursor(f, L"old.txt");
    w.Key('R');
    EXPECT_EQ(t.Read(L"new.txt"), "text");
    EXPECT_FALSE(t.Exists(L"old.txt"));

    PutCursor(f, L"gone.txt");
    w.Key('D', /*shift=*/true);
    EXPECT_FALSE(t.Exists(L"gone.txt"));
    PutCursor(f, L"gone2.txt");
    w.Key(VK_F4);
    EXPECT_FALSE(t.Exists(L"gone2.txt"));
    EXPECT_EQ(w.DialogsShown(), 4);
    EXPECT_EQ(EntryNames(f.FileList), (std::vector<std::wstring>{L"..", L"made", L"new.txt"}));
    EXPECT_TRUE(w.Errors.empty());
}

} // namespace
