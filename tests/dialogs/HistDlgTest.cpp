// The input dialog with history, driven through the modal-loop seam with
// real keys posted to its input field.

#include "dialogs/LogHist.h"
#include "main/DialogFlags.h"
#include "settings/History.h"
#include "support/DialogSteps.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* const CopyPrompt = L"コピー先のディレクトリ名を入れてください";
const wchar_t* const MovePrompt = L"ムーブ先のディレクトリ名を入れてください";
const wchar_t* const DrivePrompt = L"変更するドライブ名を入れてください";
const wchar_t* const ZipPrompt = L"圧縮するファイル名を入れてください";
const wchar_t* const NotFound = L"指定されたパスは存在しません";

bool WholeTextSelected(ui::Edit& edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == edit.Text().size();
}

TStringList Hundred(const std::wstring& prefix) {
    TStringList list;
    for (int i = 0; i < 100; ++i)
        list.push_back(prefix + std::to_wstring(i) + L"\\");
    return list;
}

TEST(AddHistory, NormalisesDeduplicatesAndCaps) {
    struct Case {
        const char* what;
        std::wstring path;
        TStringList before, after;
    };
    TStringList hundred = Hundred(L"C:\\h");
    TStringList capped(hundred.begin(), hundred.end() - 1);
    capped.insert(capped.begin(), L"C:\\new\\");
    const Case cases[] = {
        {"trailing backslash added", L"C:\\a", {}, {L"C:\\a\\"}},
        {"empty path", L"", {L"C:\\a\\"}, {L"\\", L"C:\\a\\"}},
        {"drive letter upper-cased", L"d:\\x\\", {}, {L"D:\\x\\"}},
        {"d: becomes D:\\", L"d:", {}, {L"D:\\"}},
        {"case-only variant moves up in the new case",
         L"C:\\Work\\",
         {L"C:\\a\\", L"c:\\work\\", L"C:\\b\\"},
         {L"C:\\Work\\", L"C:\\a\\", L"C:\\b\\"}},
        {"full-width letters compared by the locale",
         L"C:\\ＤＡＴＡ\\",
         {L"C:\\ｄａｔａ\\"},
         {L"C:\\ＤＡＴＡ\\"}},
        {"relative and network paths kept", L"\\\\srv\\s", {}, {L"\\\\srv\\s\\"}},
        {"101st entry drops the last", L"C:\\new", hundred, capped},
    };
    for (const auto& c : cases) {
        TStringList list = c.before;
        AddHistory(c.path, list);
        EXPECT_EQ(list, c.after) << c.what;
    }
}

TEST(ZipNames, ExtensionAndNamePart) {
    struct Case {
        std::wstring in, zip, name;
    };
    const Case cases[] = {
        {L"backup", L"backup.zip", L"backup.zip"}, {L"backup.tar", L"backup.zip", L"backup.zip"},
        {L"D:\\x\\y", L"D:\\x\\y.zip", L"y.zip"},  {L"D:\\x.d\\y", L"D:\\x.d\\y.zip", L"y.zip"},
        {L"a:b.c", L"a:b.zip", L"b.zip"},          {L"", L".zip", L".zip"},
        {L"name.", L"name.zip", L"name.zip"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZipFileName(c.in), c.zip) << Narrow(c.in);
        EXPECT_EQ(NamePart(ZipFileName(c.in)), c.name) << Narrow(c.in);
    }
}

class HistDlg : public ::testing::Test {
  protected:
    TempTree t;
    WindowDriver w{t.Root()};

    // Shows the dialog with a prompt and a history; `step` answers it.
    int Show(const std::wstring& prompt, const TStringList& history,
             std::function<void(THistDlg&)> step,
             std::vector<std::function<void(ui::Form&)>> more = {}) {
        HistPrompt = prompt;
        HistInfo = L"info";
        HistList = history;
        std::vector<std::function<void(ui::Form&)>> steps{[step](ui::Form& f) {
            step(dynamic_cast<THistDlg&>(f));
            if (f.ModalResult() == 0) // a step that failed to end it: no hang
                f.SetModalResult(ui::mrCancel);
        }};
        steps.insert(steps.end(), more.begin(), more.end());
        w.OnDialogs(steps);
        int result = ShowHistDlg();
        w.Pump();
        return result;
    }
};

TEST_F(HistDlg, UpAndDownWalkTheHistoryWithTheWholeInputSelected) {
    std::wstring cur = w.Form().CurDir;
    TStringList three{L"C:\\e0\\", L"C:\\e1\\", L"C:\\e2\\"};
    TStringList zips{L"C:\\w\\a.zip", L"D:b.zip"};
    struct Case {
        const char* what;
        const wchar_t* prompt;
        TStringList history;
        std::vector<WORD> keys;
        std::vector<std::wstring> shown; // at show, then after each key
    };
    const Case cases[] = {
        {"empty history shows CurDir; Up empties", CopyPrompt, {}, {VK_UP}, {cur, L""}},
        {"empty history; Down empties", MovePrompt, {}, {VK_DOWN}, {cur, L""}},
        {"three entries: Up Up Up Down",
         CopyPrompt,
         three,
         {VK_UP, VK_UP, VK_UP, VK_DOWN},
         {L"C:\\e0\\", L"C:\\e1\\", L"C:\\e2\\", L"C:\\e2\\", L"C:\\e1\\"}},
        {"Down at the newest stays", DrivePrompt, three, {VK_DOWN}, {L"C:\\e0\\", L"C:\\e0\\"}},
        {"archive names show their name part",
         ZipPrompt,
         zips,
         {VK_UP, VK_UP, VK_DOWN},
         {L"a.zip", L"b.zip", L"b.zip", L"a.zip"}},
        {"archive mode, empty history", ZipPrompt, {}, {VK_UP}, {L"", L""}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> shown;
        bool allSelected = true;
        int result = Show(c.prompt, c.history, [&](THistDlg& d) {
            shown.push_back(d.Edit1->Text());
            for (WORD key : c.keys) {
                TypeKey(d.Edit1->Handle(), key);
                shown.push_back(d.Edit1->Text());
                allSelected = allSelected && WholeTextSelected(*d.Edit1);
            }
            TypeKey(d.Edit1->Handle(), VK_ESCAPE);
        });
        EXPECT_EQ(result, ui::mrCancel) << c.what;
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_TRUE(allSelected) << c.what;
        EXPECT_EQ(HistList, c.history) << c.what << ": Cancel leaves the list as it was";
    }
}

TEST_F(HistDlg, OkRulesPerMode) {
    TempTree other;
    other.Dir(L"sub");
    std::wstring root = w.Form().CurDir;
    w.Form().DriveDirs[3] = L"D:\\data\\";
    w.Form().DriveDirs[2] = other.Root();
    TStringList hundred = Hundred(L"C:\\h");
    TStringList two{L"C:\\a\\", L"C:\\b\\"};
    std::wstring longPath = L"C:\\" + std::wstring(300, L'x');
    struct Case {
        const char* what;
        const wchar_t* prompt;
        TStringList history;
        std::wstring input;
        int result;
        TStringList front; // expected first entries of HistList
        size_t size;       // expected size of HistList
        bool notFoundShown;
    };
    const Case cases[] = {
        {"lone d, destination", CopyPrompt, two, L"d", 1, {L"D:\\data\\"}, 3, false},
        {"lone q, never shown, destination", CopyPrompt, two, L"q", 1, {L"\\"}, 3, false},
        {"d: stays d: and becomes D:\\", MovePrompt, two, L"d:", 1, {L"D:\\"}, 3, false},
        {"leading blanks go, case-only variant moves up",
         CopyPrompt,
         {L"C:\\a\\", L"c:\\work\\sub\\"},
         L" \t C:\\Work\\Sub",
         1,
         {L"C:\\Work\\Sub\\", L"C:\\a\\"},
         2,
         false},
        {"101st entry drops the oldest",
         CopyPrompt,
         hundred,
         L"C:\\new",
         1,
         {L"C:\\new\\", L"C:\\h0\\"},
         100,
         false},
        {"lone c, drive mode, existing", DrivePrompt, two, L"c", 1, {other.Root()}, 3, false},
        {"lone q, drive mode, never shown", DrivePrompt, two, L"q", 2, two, 2, true},
        {"missing drive", DrivePrompt, two, L"Q:\\nowhere", 2, two, 2, true},
        {"invalid characters", DrivePrompt, two, other.Root() + L"a|b<c", 2, two, 2, true},
        {"longer than 260 characters", DrivePrompt, two, longPath, 2, two, 2, true},
        {"relative name", DrivePrompt, two, L"sub", 2, two, 2, true},
        {"empty", DrivePrompt, two, L"", 2, two, 2, true},
        {"d: in drive mode is the drive's root", DrivePrompt, two, L"c:", 1, {L"C:\\"}, 3, false},
        {"backup", ZipPrompt, {}, L"backup", 1, {root + L"backup.zip"}, 1, false},
        {"backup.tar, older variant replaced",
         ZipPrompt,
         {root + L"BACKUP.ZIP", L"C:\\o.zip"},
         L"backup.tar",
         1,
         {root + L"backup.zip", L"C:\\o.zip"},
         2,
         false},
        {"directory part dropped", ZipPrompt, {}, L"D:\\x\\y", 1, {root + L"y.zip"}, 1, false},
        {"empty archive name", ZipPrompt, {}, L"", 1, {root + L".zip"}, 1, false},
        {"no mode", L"名前を入れてください", two, L"x", 2, two, 2, false},
    };
    for (const auto& c : cases) {
        bool shownNotFound = false;
        int result = Show(c.prompt, c.history,
                          [&](THistDlg& d) {
                              d.Edit1->SetText(c.input);
                              TypeKey(d.Edit1->Handle(), VK_RETURN);
                          },
                          {[&](ui::Form& f) {
                              shownNotFound = ShowsText(f.Handle(), NotFound);
                              f.SetModalResult(ui::mrOk);
                          }});
        EXPECT_EQ(result, c.result) << c.what;
        ASSERT_GE(HistList.size(), c.front.size()) << c.what;
        EXPECT_EQ(TStringList(HistList.begin(), HistList.begin() + c.front.size()), c.front)
            << c.what;
        EXPECT_EQ(HistList.size(), c.size) << c.what;
        EXPECT_EQ(shownNotFound, c.notFoundShown) << c.what;
        EXPECT_TRUE(w.Errors.empty()) << c.what;
    }
    EXPECT_EQ(w.Form().CurDir, root);
}

TEST_F(HistDlg, LayoutFontsCaptionAndShownFlag) {
    ui::FontSpec font = w.Form().Font();
    font.Size = 20;
    w.Form().SetWindowFont(font);
    w.Form().SetCaption(L"コピー中 a.txt");
    bool flagWhileShown = false;
    std::wstring caption, label1, label2;
    int editSize = 0, tabStops = 0, clientW = 0, clientH = 0;
    Show(CopyPrompt, {}, [&](THistDlg& d) {
        flagWhileShown = HistDlgShown;
        caption = d.Caption();
        label1 = d.Label1->Text();
        label2 = d.Label2->Text();
        editSize = d.Edit1->Font().Size;
        clientW = d.ClientWidth();
        clientH = d.ClientHeight();
        for (HWND h : {d.Edit1->Handle(), d.Button_Ok->Handle(), d.Button_Cancel->Handle()})
            tabStops += (GetWindowLongPtrW(h, GWL_STYLE) & WS_TABSTOP) ? 1 : 0;
        d.Button_Cancel->Click();
    });
    EXPECT_TRUE(flagWhileShown);
    EXPECT_FALSE(HistDlgShown);
    EXPECT_EQ(caption, L"コピー中 a.txt");
    EXPECT_EQ(label1, CopyPrompt);
    EXPECT_EQ(label2, L"info");
    EXPECT_EQ(editSize, 12);
    EXPECT_EQ(tabStops, 1);
    EXPECT_EQ(clientW, 354);
    EXPECT_EQ(clientH, 130);
}

} // namespace
