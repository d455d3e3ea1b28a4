// Copy and move in the real window: the destination and new-name prompts are
// mostly answered through the command's prompt functions, the conflict dialog
// and the notices through the modal-loop seam; one test goes through the
// program's own dialogs by keys alone. Contents are checked on disk.

#include "dialogs/CopyProp.h"
#include "dialogs/LogHist.h"
#include "dialogs/Qaccess.h"
#include "dialogs/MsgBox.h"
#include "fileops/CopyMovePrompts.h"
#include "main/DialogFlags.h"
#include "settings/History.h"
#include "subroutines/Subroutines.h"
#include "support/DialogSteps.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "win/Handle.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Step = std::function<void(ui::Form&)>;

// Scripted answers to the prompts of one test; the program's dialogs come
// back afterwards.
struct Answers {
    std::wstring Dest;
    std::vector<std::wstring> Names;    // typed into the new-name prompt, in order
    std::vector<std::wstring> Prefills; // what the new-name prompt showed
    std::vector<std::wstring> DestPrompts;
    std::vector<TStringList> Reports;
    std::vector<std::wstring> ReportPrompts;

    Answers() {
        Prompts().AskDestination = [this](const std::wstring& prompt, const std::wstring&,
                                          TStringList& history) {
            DestPrompts.push_back(prompt);
            if (Dest.empty())
                return 2;
            history.insert(history.begin(), Dest);
            return 1;
        };
        Prompts().AskName = [this](const std::wstring&, std::wstring& text) {
            Prefills.push_back(text);
            if (Names.empty())
                return 2;
            text = Names.front();
            Names.erase(Names.begin());
            return 1;
        };
        Prompts().ShowReport = [this](const std::wstring& prompt, const TStringList& lines) {
            ReportPrompts.push_back(prompt);
            Reports.push_back(lines);
        };
    }
    ~Answers() { Prompts() = DialogPrompts(); }
};

void Copy(WindowDriver& w) {
    ui::Guarded([&] { w.Form().CopyCommand(); });
    w.Pump();
}
void Move(WindowDriver& w) {
    ui::Guarded([&] { w.Form().MoveCommand(); });
    w.Pump();
}

void Mark(WindowDriver& w, std::initializer_list<const wchar_t*> names) {
    for (auto n : names) {
        int i = IndexOfName(w.Form().FileList, n);
        ASSERT_GE(i, 0) << Narrow(n);
        w.Form().FileList[i]->Marked = true;
    }
}

void PutCursor(WindowDriver& w, const wchar_t* name) {
    w.Form().CurIndex = IndexOfName(w.Form().FileList, name);
    ASSERT_GE(w.Form().CurIndex, 0);
}

// Answers the conflict dialog: the rule's letter, then OK (or All).
Step Rule(wchar_t letter, bool all = false) {
    return [=](ui::Form& f) {
        auto& d = dynamic_cast<TCopyProp&>(f);
        d.FormKeyPress(letter);
        if (all)
            d.Button_AllClick();
        else
            d.Button_OkClick();
    };
}

// Where the keyboard's input for a dialog goes: its focused control (the
// test display has no window manager, so the focus may not have moved yet).
HWND FocusIn(ui::Form& f) {
    HWND focus = GetFocus();
    if (focus && IsChild(f.Handle(), focus))
        return focus;
    auto& d = dynamic_cast<TCopyProp&>(f);
    d.Btn_U->SetFocus();
    return d.Btn_U->Handle();
}

Step Cancel() {
    return [](ui::Form& f) { f.SetModalResult(ui::mrCancel); };
}

// Every text of a dialog's controls, for notices whose class is private.
std::wstring DialogText(ui::Form& f) {
    std::wstring all;
    EnumChildWindows(
        f.Handle(),
        [](HWND h, LPARAM p) -> BOOL {
            wchar_t text[512];
            GetWindowTextW(h, text, 512);
            *reinterpret_cast<std::wstring*>(p) += std::wstring(text) + L"\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

Step Notice(std::wstring* text) {
    return [text](ui::Form& f) {
        *text = DialogText(f);
        f.SetModalResult(ui::mrOk);
    };
}

TEST(CopyMove, SameDirectoryCopyOffersOnlyRenameAndAsksUntilTheNameIsFree) {
    TempTree t;
    t.File(L"a.txt", "AAA");
    t.File(L"c.txt", "CCC");
    WindowDriver w(t.Root());
    Answers a;
    a.Dest = t.Root();
    a.Names = {L"a.txt", L"c.txt", L"", L"sub\\\\", L"b.txt"};
    PutCursor(w, L"a.txt");
    w.Form().CopyMode = 2;
    bool onlyRename = false;
    std::wstring caption, text;
    w.OnDialogs({[&](ui::Form& f) {
        auto& d = dynamic_cast<TCopyProp&>(f);
        caption = d.Caption();
        text = d.Label1->Text();
        onlyRename = d.Btn_R->Enabled() && d.Btn_R->Checked() && !d.Btn_U->Enabled() &&
                     !d.Btn_B->Enabled() && !d.Btn_S->Enabled() && !d.Btn_O->Enabled() &&
                     !d.Btn_N->Enabled();
        d.FormKeyPress(L'o'); // not offered here: stays on R
        onlyRename = onlyRename && d.Btn_R->Checked() && !d.Btn_O->Checked();
        d.Button_OkClick();
    }});
    Copy(w);
    EXPECT_TRUE(onlyRename);
    EXPECT_EQ(caption, L"-Varnis 10.4 CE- Pelmo[Ver1.4]  コピー／ムーブ中  a.txt");
    EXPECT_EQ(text, L"コピー先に a.txt ファイルがあります");
    EXPECT_EQ(a.Prefills, std::vector<std::wstring>(5, L"a.txt"));
    EXPECT_EQ(t.Read(L"b.txt"), "AAA");
    EXPECT_EQ(t.Read(L"c.txt"), "CCC");
    ASSERT_EQ(a.Reports.size(), 1u);
    EXPECT_EQ(a.Reports[0], TStringList{L"1: a.txt → b.txt"});
    EXPECT_EQ(a.ReportPrompts[0], L"ファイルのコピーを完了しました");
    EXPECT_EQ(w.Form().CopyMode, 2);
    EXPECT_FALSE(w.Form().Busy);
    EXPECT_GE(IndexOfName(w.Form().FileList, L"b.txt"), 0); // refreshed
    EXPECT_EQ(w.Form().DirHistory.front(), t.Root());
}

// One window for all cases: a test process runs modal loops only until its
// first window has closed.
void Enter(WindowDriver& w, const std::wstring& dir) {
    w.Form().CurDir = dir;
    w.Form().ChangeDir(true);
    w.Pump();
}

TEST(CopyMove, RulesThatLeaveAnEqualEntryAlone) {
    struct Case {
        wchar_t letter;
        bool move;
    } cases[] = {{L'U', false}, {L'B', false}, {L'S', false}, {L'N', true}, {L'U', true}};
    TempTree t;
    WindowDriver w(t.Root());
    Answers a;
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.letter)) + (c.move ? " move" : " copy"));
        std::wstring src = L"src" + std::to_wstring(k) + L"\\";
        std::wstring dst = L"dst" + std::to_wstring(k++) + L"\\";
        t.File(src + L"a.txt", "new");
        t.File(src + L"b.txt", "bbb");
        t.File(dst + L"a.txt", "old");
        t.SetTime(src + L"a.txt", 2021, 3, 4, 5, 6, 8);
        t.SetTime(dst + L"a.txt", 2021, 3, 4, 5, 6, 8);
        Enter(w, t.Path(src));
        a.Dest = t.Path(dst);
        a.Reports.clear();
        Mark(w, {L"a.txt", L"b.txt"});
        int shown = w.DialogsShown();
        w.OnDialogs({Rule(c.letter)});
        c.move ? Move(w) : Copy(w);
        EXPECT_EQ(w.DialogsShown(), shown + 1);
        EXPECT_EQ(static_cast<size_t>(w.Form().CopyMode), std::wstring(L"BNORSU").find(c.letter));
        EXPECT_EQ(t.Read(dst + L"a.txt"), "old");
        EXPECT_EQ(t.Read(src + L"a.txt"), "new");
        EXPECT_EQ(t.Read(dst + L"b.txt"), "bbb");
        EXPECT_EQ(t.Exists(src + L"b.txt"), !c.move);
        ASSERT_EQ(a.Reports.size(), 1u);
        EXPECT_EQ(a.Reports[0], TStringList{L"1: b.txt"});
        int i = IndexOfName(w.Form().FileList, L"a.txt");
        ASSERT_GE(i, 0);
        EXPECT_TRUE(EntryMarked(w.Form().FileList, i));
    }
}

TEST(CopyMove, AllOnTheFirstConflictAnswersTheRestOfThisCommandOnly) {
    TempTree t;
    for (auto n : {L"a.txt", L"b.txt", L"c.txt"}) {
        t.File(std::wstring(L"src\\") + n, "new " + Narrow(n));
        t.File(std::wstring(L"dst\\") + n, "old");
    }
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst\\");
    Mark(w, {L"a.txt", L"b.txt", L"c.txt"});
    // Real key messages: the letter O, then A for All.
    w.OnDialogs({[](ui::Form& f) {
        PostMessageW(FocusIn(f), WM_CHAR, L'o', 0);
        PostMessageW(FocusIn(f), WM_CHAR, L'a', 0);
    }});
    Copy(w);
    EXPECT_EQ(w.DialogsShown(), 1);
    for (auto n : {L"a.txt", L"b.txt", L"c.txt"})
        EXPECT_EQ(t.Read(std::wstring(L"dst\\") + n), "new " + Narrow(n));
    EXPECT_EQ(w.Form().CopyMode, 2);
    ASSERT_EQ(a.Reports.size(), 1u);
    EXPECT_EQ(a.Reports[0], (TStringList{L"1: a.txt", L"2: b.txt", L"3: c.txt"}));

    w.OnDialogs({Cancel(), Cancel(), Cancel()});
    Copy(w);
    EXPECT_EQ(w.DialogsShown(), 4);
    EXPECT_FALSE(CopyPropShown);
}

TEST(CopyMove, CancelOnTheSecondConflictAfterOkOnTheFirst) {
    TempTree t;
    t.File(L"src\\a.txt", "new a");
    t.File(L"src\\b.txt", "new b");
    t.File(L"dst\\a.txt", "old a");
    t.File(L"dst\\b.txt", "old b");
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst");
    Mark(w, {L"a.txt", L"b.txt"});
    w.OnDialogs({[](ui::Form& f) {
                     PostMessageW(FocusIn(f), WM_CHAR, L'O', 0);
                     PostKey(FocusIn(f), VK_RETURN);
                 },
                 Cancel()});
    Move(w);
    EXPECT_EQ(t.Read(L"dst\\a.txt"), "new a");
    EXPECT_FALSE(t.Exists(L"src\\a.txt"));
    EXPECT_EQ(t.Read(L"dst\\b.txt"), "old b");
    EXPECT_EQ(t.Read(L"src\\b.txt"), "new b");
    ASSERT_EQ(a.Reports.size(), 1u);
    EXPECT_EQ(a.Reports[0], TStringList{L"1: a.txt"});
    EXPECT_EQ(a.ReportPrompts[0], L"ファイルの移動を完了しました");
}

TEST(CopyMove, TwoMarkedFilesMovedIntoANewDirectoryWithParents) {
    TempTree t;
    t.File(L"src\\a.txt", "A");
    t.File(L"src\\b.txt", "B");
    t.File(L"src\\c.txt", "C");
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"new\\\\deep");
    Mark(w, {L"a.txt", L"b.txt"});
    Move(w);
    EXPECT_EQ(t.Read(L"new\\deep\\a.txt"), "A");
    EXPECT_EQ(t.Read(L"new\\deep\\b.txt"), "B");
    EXPECT_FALSE(t.Exists(L"src\\a.txt"));
    EXPECT_FALSE(t.Exists(L"src\\b.txt"));
    EXPECT_EQ(IndexOfName(w.Form().FileList, L"a.txt"), -1);
    EXPECT_EQ(IndexOfName(w.Form().FileList, L"b.txt"), -1);
    EXPECT_GE(IndexOfName(w.Form().FileList, L"c.txt"), 0);
    ASSERT_EQ(a.Reports.size(), 1u);
    EXPECT_EQ(a.Reports[0], (TStringList{L"1: a.txt", L"2: b.txt"}));
    EXPECT_EQ(a.DestPrompts[0], L"ムーブ先のディレクトリ名を入れてください");
}

TEST(CopyMove, DirectoryMergedWithOverwriteTakesTheSourceAttributesAndTimes) {
    TempTree t;
    t.File(L"src\\X\\same.txt", "new same");
    t.File(L"src\\X\\sub\\n.txt", "n");
    t.File(L"dst\\X\\same.txt", "old same");
    t.File(L"dst\\X\\extra.txt", "extra");
    t.SetTime(L"src\\X", 2018, 7, 8, 9, 10, 12);
    SetFileAttributesW(t.Path(L"src\\X").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst");
    PutCursor(w, L"X");
    w.OnDialogs({Rule(L'O')});
    Copy(w);
    EXPECT_EQ(t.Read(L"dst\\X\\same.txt"), "new same");
    EXPECT_EQ(t.Read(L"dst\\X\\sub\\n.txt"), "n");
    EXPECT_EQ(t.Read(L"dst\\X\\extra.txt"), "extra");
    EXPECT_TRUE(GetFileAttributesW(t.Path(L"dst\\X").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    WIN32_FILE_ATTRIBUTE_DATA s{}, d{};
    GetFileAttributesExW(t.Path(L"src\\X").c_str(), GetFileExInfoStandard, &s);
    GetFileAttributesExW(t.Path(L"dst\\X").c_str(), GetFileExInfoStandard, &d);
    EXPECT_EQ(CompareFileTime(&s.ftLastWriteTime, &d.ftLastWriteTime), 0);
    ASSERT_EQ(a.Reports.size(), 1u);
    EXPECT_EQ(a.Reports[0], TStringList{L"1: X"});
}

TEST(CopyMove, DirectoryIntoItselfOrItsOwnSubtreeIsRefused) {
    TempTree t;
    t.File(L"X\\a.txt", "a");
    t.Dir(L"X\\sub");
    WindowDriver w(t.Root());
    Answers a;
    for (std::wstring dest : {L"X", L"X\\sub\\", L"x\\sub\\deeper"}) {
        SCOPED_TRACE(Narrow(dest));
        a.Dest = t.Path(dest);
        PutCursor(w, L"X");
        std::wstring shown;
        w.OnDialogs({[&](ui::Form& f) {
            shown = dynamic_cast<TMsgBox&>(f).Label1->Text();
            f.SetModalResult(ui::mrOk);
        }});
        Move(w);
        EXPECT_EQ(shown, L"サブディレクトリなので実行できません");
        EXPECT_EQ(t.Read(L"X\\a.txt"), "a");
        EXPECT_FALSE(t.Exists(L"X\\X"));
        EXPECT_FALSE(t.Exists(L"X\\sub\\X"));
        EXPECT_TRUE(a.Reports.empty());
        EXPECT_TRUE(w.Errors.empty());
    }
}

// A directory move deletes only what reached the destination: a file held
// open by another program and one whose destination is read-only stay.
TEST(CopyMove, DirectoryMoveKeepsEveryFileThatWasNotCopied) {
    TempTree t;
    t.File(L"src\\X\\ok.txt", "ok");
    t.File(L"src\\X\\held.txt", "held");
    t.File(L"src\\X\\deep\\ro.txt", "new ro");
    t.File(L"dst\\X\\deep\\ro.txt", "old ro", FILE_ATTRIBUTE_READONLY);
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst");
    PutCursor(w, L"X");
    std::wstring notice;
    w.OnDialogs({Rule(L'O'), Notice(&notice)});
    win::UniqueHandle held(CreateFileW(t.Path(L"src\\X\\held.txt").c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Move(w);
    held.reset();
    EXPECT_EQ(t.Read(L"dst\\X\\ok.txt"), "ok");
    EXPECT_FALSE(t.Exists(L"src\\X\\ok.txt"));
    EXPECT_EQ(t.Read(L"src\\X\\held.txt"), "held");
    EXPECT_FALSE(t.Exists(L"dst\\X\\held.txt"));
    EXPECT_EQ(t.Read(L"src\\X\\deep\\ro.txt"), "new ro");
    EXPECT_EQ(t.Read(L"dst\\X\\deep\\ro.txt"), "old ro");
    EXPECT_NE(notice.find(L"2 個"), std::wstring::npos) << Narrow(notice);
    EXPECT_GE(IndexOfName(w.Form().FileList, L"X"), 0);
    EXPECT_TRUE(w.Errors.empty());
}

TEST(CopyMove, FailedFileCopyEndsTheCommandAndKeepsTheSource) {
    TempTree t;
    t.File(L"src\\a.txt", "held a");
    t.File(L"src\\b.txt", "b");
    t.File(L"dst\\a.txt", "old a");
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst");
    Mark(w, {L"a.txt", L"b.txt"});
    w.OnDialogs({Rule(L'O')});
    win::UniqueHandle held(CreateFileW(t.Path(L"src\\a.txt").c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    Move(w);
    held.reset();
    EXPECT_EQ(w.Errors.size(), 1u);
    EXPECT_EQ(t.Read(L"src\\a.txt"), "held a");
    EXPECT_EQ(t.Read(L"dst\\a.txt"), "old a");
    EXPECT_EQ(t.Read(L"src\\b.txt"), "b"); // not processed after the error
    EXPECT_FALSE(t.Exists(L"dst\\b.txt"));
    EXPECT_TRUE(a.Reports.empty());
    EXPECT_FALSE(w.Form().Busy);
}

// run.sh mounts a 256 KiB file system; the source must survive whole.
TEST(CopyMove, MoveOntoAFullDiskKeepsTheSourceWhole) {
    const char* full = std::getenv("PELMO_FULLDISK");
    if (!full)
        GTEST_SKIP() << "needs the small file system of run.sh (root)";
    TempTree t;
    std::string big(600 * 1024, 'z');
    t.File(L"src\\big.bin", big);
    t.File(L"src\\small.txt", "small");
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = Widen(full) + L"X";
    t.File(L"src\\X\\small.txt", "small");
    t.File(L"src\\X\\big.bin", big);
    w.Form().RefreshDir(true);
    PutCursor(w, L"X");
    std::wstring notice;
    w.OnDialogs({Notice(&notice)});
    Move(w);
    EXPECT_EQ(t.Read(L"src\\X\\big.bin"), big);
    EXPECT_FALSE(t.Exists(L"src\\X\\small.txt"));
    EXPECT_NE(notice.find(L"1 個"), std::wstring::npos) << Narrow(notice);

    PutCursor(w, L"big.bin");
    a.Dest = Widen(full);
    Move(w);
    EXPECT_EQ(w.Errors.size(), 1u);
    EXPECT_EQ(t.Read(L"src\\big.bin"), big);
    EXPECT_EQ(GetFileAttributesW((Widen(full) + L"big.bin").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(w.Form().Busy);
    RemoveTree(Widen(full) + L"X");
}

TEST(CopyMove, NothingMarkedAndTheCursorOnDotDotCopiesNothing) {
    TempTree t;
    t.File(L"src\\a.txt", "a");
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst");
    PutCursor(w, L"..");
    Copy(w);
    EXPECT_FALSE(t.Exists(L"dst"));
    EXPECT_TRUE(a.Reports.empty());
    EXPECT_EQ(w.DialogsShown(), 0);

    a.Dest.clear(); // the destination prompt cancelled
    PutCursor(w, L"a.txt");
    Copy(w);
    EXPECT_FALSE(t.Exists(L"dst"));
    EXPECT_FALSE(w.Form().Busy);
}

// The current directory typed in other spellings is the current directory:
// a copy asks only for new names, a move does nothing, and every file keeps
// its bytes whatever rule was preselected. The directory link comes from
// run.sh.
TEST(CopyMove, IntoTheCurrentDirectoryUnderAnotherSpellingLosesNothing) {
    const char* fixture = std::getenv("PELMO_FIXTURE");
    if (!fixture)
        GTEST_SKIP() << "needs the link that run.sh makes";
    std::wstring same = Widen(fixture) + L"same\\";
    std::wstring work = same + L"Work\\";
    for (auto [name, content] : {std::pair{L"a.txt", "precious a"}, {L"b.txt", "precious b"}}) {
        win::UniqueHandle h(CreateFileW((work + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(h.get(), content, static_cast<DWORD>(strlen(content)), &written, nullptr);
    }
    WindowDriver w(work);
    Answers a;
    for (std::wstring dest :
         {work + L".\\", same + L"work", same + L"WORK\\sub\\..\\", same + L"toWork\\"}) {
        for (bool move : {false, true}) {
            SCOPED_TRACE(Narrow(dest) + (move ? " move" : " copy"));
            w.Form().CopyMode = 2;
            a.Dest = dest;
            a.Names = {L"a2.txt", L"b2.txt"};
            a.Reports.clear();
            Mark(w, {L"a.txt", L"b.txt"});
            int shown = w.DialogsShown();
            bool onlyRename = false;
            w.OnDialogs({[&](ui::Form& f) {
                auto& d = dynamic_cast<TCopyProp&>(f);
                onlyRename = d.Btn_R->Checked() && !d.Btn_O->Enabled();
                d.FormKeyPress(L'O');
                d.Button_AllClick();
            }});
            move ? Move(w) : Copy(w);
            EXPECT_EQ(ReadAll(work + L"a.txt"), "precious a");
            EXPECT_EQ(ReadAll(work + L"b.txt"), "precious b");
            EXPECT_EQ(w.Form().CopyMode, 2);
            EXPECT_TRUE(w.Errors.empty());
            if (move) {
                EXPECT_EQ(w.DialogsShown(), shown);
                EXPECT_TRUE(a.Reports.empty());
                EXPECT_EQ(FilesBelow(work).size(), 2u);
                continue;
            }
            EXPECT_TRUE(onlyRename);
            EXPECT_EQ(w.DialogsShown(), shown + 1);
            EXPECT_EQ(ReadAll(work + L"a2.txt"), "precious a");
            EXPECT_EQ(ReadAll(work + L"b2.txt"), "precious b");
            ASSERT_EQ(a.Reports.size(), 1u);
            EXPECT_EQ(a.Reports[0], (TStringList{L"1: a.txt → a2.txt", L"2: b.txt → b2.txt"}));
            DeleteFileW((work + L"a2.txt").c_str());
            DeleteFileW((work + L"b2.txt").c_str());
            w.Form().RefreshDir(true);
        }
    }
}

// A destination that is the source under another name (a hard link) is no
// conflict to resolve: the entry is refused with a notice and kept, the walk
// goes on, and the report lists only what was moved.
TEST(CopyMove, FileOntoItsOwnHardLinkIsRefusedAndKept) {
    TempTree t;
    t.File(L"src\\a.txt", "only a");
    t.File(L"src\\b.txt", "b");
    t.Dir(L"dst");
    ASSERT_TRUE(
        CreateHardLinkW(t.Path(L"dst\\a.txt").c_str(), t.Path(L"src\\a.txt").c_str(), nullptr));
    WindowDriver w(t.Path(L"src"));
    Answers a;
    a.Dest = t.Path(L"dst");
    w.Form().CopyMode = 2;
    Mark(w, {L"a.txt", L"b.txt"});
    std::wstring notice;
    w.OnDialogs({Notice(&notice)});
    Move(w);
    EXPECT_NE(notice.find(L"a.txt はコピー先と同じファイルなので実行できません"),
              std::wstring::npos)
        << Narrow(notice);
    EXPECT_EQ(w.DialogsShown(), 1) << "no conflict dialog for a file against itself";
    EXPECT_EQ(t.Read(L"src\\a.txt"), "only a");
    EXPECT_EQ(t.Read(L"dst\\a.txt"), "only a");
    EXPECT_EQ(t.Read(L"dst\\b.txt"), "b");
    EXPECT_FALSE(t.Exists(L"src\\b.txt"));
    ASSERT_EQ(a.Reports.size(), 1u);
    EXPECT_EQ(a.Reports[0], TStringList{L"1: b.txt"});
    EXPECT_GE(IndexOfName(w.Form().FileList, L"a.txt"), 0);
}

// A relative destination is seen from the directory on screen (the test
// process works elsewhere), and the history keeps the absolute path; a
// network path keeps its two leading backslashes.
TEST(CopyMove, RelativeDestinationIsTakenFromTheCurrentDirectory) {
    TempTree t;
    t.File(L"src\\a.txt", "A");
    WindowDriver w(t.Path(L"src"));
    Answers a;
    struct {
        std::wstring typed, landed, history;
    } cases[] = {
        {L"sub", L"src\\sub\\a.txt", L"src\\sub\\"},
        {L"..\\x\\.\\", L"x\\a.txt", L"x\\"},
        {L"deep\\\\er", L"src\\deep\\er\\a.txt", L"src\\deep\\er\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.typed));
        a.Dest = c.typed;
        PutCursor(w, L"a.txt");
        Copy(w);
        EXPECT_EQ(t.Read(c.landed), "A");
        ASSERT_GE(w.Form().DirHistory.size(), 2u);
        EXPECT_EQ(w.Form().DirHistory[0], t.Path(L"src\\"));
        EXPECT_EQ(w.Form().DirHistory[1], t.Path(c.history));
        EXPECT_EQ(IndexOfText(w.Form().DirHistory, c.typed), -1);
    }

    // A network path stays one: the copy fails there, not in a folder of
    // the current drive.
    a.Dest = L"\\\\nosuchserver\\\\share\\x";
    Copy(w);
    EXPECT_EQ(w.Errors.size(), 1u);
    EXPECT_EQ(w.Form().DirHistory[1], L"\\\\nosuchserver\\share\\x\\");
    EXPECT_FALSE(DirectoryExists(t.Path(L"nosuchserver")));
    EXPECT_FALSE(DirectoryExists(t.Root().substr(0, 3) + L"nosuchserver"));
}

// The whole command as a user gives it: keys on the list, the destination
// typed into the history dialog, the conflict answered by its letter and
// Enter, the report of the result list closed with Enter; the history and
// the rule reach the settings file.
TEST(CopyMove, ByKeysThroughTheProgramsOwnDialogs) {
    TempTree t;
    t.File(L"src\\a.txt", "new a");
    t.File(L"src\\b.txt", "new b");
    t.File(L"dst\\a.txt", "old a");
    std::vector<std::wstring> reports;
    auto typeDestination = [](std::wstring dest) {
        return [dest](ui::Form& f) {
            auto& d = dynamic_cast<THistDlg&>(f);
            EXPECT_EQ(d.Label1->Text(), L"コピー先のディレクトリ名を入れてください");
            d.Edit1->SetText(dest);
            TypeKey(d.Edit1->Handle(), VK_RETURN);
        };
    };
    Step overwrite = [](ui::Form& f) {
        EXPECT_NE(dynamic_cast<TCopyProp*>(&f), nullptr);
        TypeKey(FocusIn(f), L'O');
        TypeKey(FocusIn(f), VK_RETURN);
    };
    Step readReport = [&](ui::Form& f) {
        auto& d = dynamic_cast<TQaccess&>(f);
        for (int i = 0; i < d.LBox_DirList->Count(); ++i)
            reports.push_back(d.LBox_DirList->Item(i));
        TypeKey(d.LBox_DirList->Handle(), VK_RETURN);
        if (IsWindowVisible(f.Handle()))
            f.SetModalResult(ui::mrOk);
    };
    {
        WindowDriver w(t.Path(L"src"));
        PutCursor(w, L"a.txt");
        w.Form().DrawPage();
        w.Key(VK_SPACE);
        w.Key(VK_SPACE);
        ASSERT_EQ(MarkedCount(w.Form().FileList), 2);

        // Into a new directory: created with its parent, no conflict.
        w.OnDialogs({typeDestination(t.Path(L"dst\\new")), readReport});
        w.Key('C');
        EXPECT_EQ(w.DialogsShown(), 2);
        EXPECT_EQ(t.Read(L"dst\\new\\a.txt"), "new a");
        EXPECT_EQ(t.Read(L"dst\\new\\b.txt"), "new b");

        // The same files once more, into the directory that holds an a.txt.
        w.OnDialogs({typeDestination(t.Path(L"dst")), overwrite, readReport});
        w.Key('C');
        EXPECT_EQ(w.DialogsShown(), 5);
        EXPECT_EQ(t.Read(L"dst\\a.txt"), "new a");
        EXPECT_EQ(t.Read(L"dst\\b.txt"), "new b");
        EXPECT_EQ(t.Read(L"src\\a.txt"), "new a");
        EXPECT_FALSE(w.Form().Busy);
        w.Close();
        EXPECT_TRUE(w.Errors.empty()) << Narrow(w.Errors.empty() ? L"" : w.Errors[0]);
        // The settings file lives as long as the window driver.
        auto value = [&](const wchar_t* section, const wchar_t* key) {
            wchar_t buf[512];
            GetPrivateProfileStringW(section, key, L"<missing>", buf, 512, w.IniPath().c_str());
            return std::wstring(buf);
        };
        EXPECT_EQ(value(L"Parameter", L"cMode"), L"2");
        EXPECT_EQ(value(L"LogHistL", L"NumberOfList"), L"3");
        EXPECT_EQ(IncludeTrailingBackslash(value(L"LogHistL", L"List0")), t.Path(L"src\\"))
            << "the current directory on top";
        EXPECT_EQ(IncludeTrailingBackslash(value(L"LogHistL", L"List1")), t.Path(L"dst\\"));
        EXPECT_EQ(IncludeTrailingBackslash(value(L"LogHistL", L"List2")), t.Path(L"dst\\new\\"));
    }
    EXPECT_EQ(reports,
              (std::vector<std::wstring>{L"1: a.txt", L"2: b.txt", L"1: a.txt", L"2: b.txt"}));
}

} // namespace
