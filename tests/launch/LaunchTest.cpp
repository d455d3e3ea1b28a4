// Opening the cursor file in the editor and with its associated program.

#include "EchoProgram.h"

#include "commands/Launch.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "ui/Application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::wstring CurrentDirectory() {
    std::wstring cwd(MAX_PATH, L'\0');
    cwd.resize(GetCurrentDirectoryW(MAX_PATH, cwd.data()));
    return cwd;
}

void PutCursorOn(TForm1& f, const std::wstring& name) {
    int i = IndexOfName(f.FileList, name);
    ASSERT_GE(i, 0) << Narrow(name);
    f.PlaceCursor(i);
}

// Records the shell calls instead of making them.
struct ShellRecorder {
    struct Call {
        HWND owner;
        std::wstring verb, file, parameters;
        bool noDirectory;
        int show;
    };
    static inline std::vector<Call> calls;
    static inline INT_PTR result = 42;
    static HINSTANCE WINAPI Record(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                   LPCWSTR directory, INT show) {
        calls.push_back({owner, verb, file, parameters, directory == nullptr, show});
        return reinterpret_cast<HINSTANCE>(result);
    }
    ShellRecorder() {
        calls.clear();
        ShellExecuteFn = &Record;
    }
    ~ShellRecorder() { ShellExecuteFn = &ShellExecuteW; }
};

// Watches from another thread for a message box with `title`, reads its
// texts and closes it with OK.
class MessageBoxWatcher {
  public:
    explicit MessageBoxWatcher(std::wstring title) : title_(std::move(title)) {
        thread_ = std::thread([this] { Watch(); });
    }
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    // The texts of the box's controls, once it has been closed.
    std::vector<std::wstring> Texts() {
        stop_ = true;
        thread_.join();
        thread_ = std::thread([] {});
        return texts_;
    }
    bool Seen() const { return seen_; }

  private:
    void Watch() {
        DWORD start = GetTickCount();
        while (!stop_ && GetTickCount() - start < 10000) {
            if (HWND box = FindWindowW(L"#32770", title_.c_str())) {
                EnumChildWindows(
                    box,
                    [](HWND child, LPARAM self) {
                        wchar_t text[256] = {};
                        GetWindowTextW(child, text, 256);
                        reinterpret_cast<MessageBoxWatcher*>(self)->texts_.push_back(text);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(this));
                seen_ = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    }
    std::wstring title_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::vector<std::wstring> texts_;
};

TEST(EditorCommandLine, QuotesOnlyWhatWouldOtherwiseSplit) {
    TempTree t;
    t.File(L"my editor.exe");
    std::wstring spaced = t.Path(L"my editor.exe");
    struct Case {
        std::wstring editor, file, expected;
    } cases[] = {
        // The default editor, not installed here: as configured, no quotation marks.
        {L"C:\\Program Files\\Hidemaru\\Hidemaru.exe", L"C:\\work\\memo.txt",
         L"C:\\Program Files\\Hidemaru\\Hidemaru.exe C:\\work\\memo.txt"},
        {L"C:\\bin\\ed.exe", L"C:\\Users\\Taro Yamada\\memo.txt",
         L"C:\\bin\\ed.exe \"C:\\Users\\Taro Yamada\\memo.txt\""},
        {L"C:\\bin\\ed.exe", L"C:\\a\tb\\memo.txt", L"C:\\bin\\ed.exe \"C:\\a\tb\\memo.txt\""},
        {spaced, L"C:\\work\\memo.txt", L"\"" + spaced + L"\" C:\\work\\memo.txt"},
        // Quotation marks or options of its own: exactly as configured.
        {L"\"" + spaced + L"\"", L"C:\\m.txt", L"\"" + spaced + L"\" C:\\m.txt"},
        {spaced + L" /r", L"C:\\m.txt", spaced + L" /r C:\\m.txt"},
        {L"\"" + spaced + L"\" /r", L"C:\\m.txt", L"\"" + spaced + L"\" /r C:\\m.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrow(EditorCommandLine(c.editor, c.file)), Narrow(c.expected))
            << Narrow(c.editor) << " | " << Narrow(c.file);
}

TEST(EditorStartupInfo, PassesEverythingOnButStandardHandles) {
    HANDLE in = reinterpret_cast<HANDLE>(0x11), out = reinterpret_cast<HANDLE>(0x22);
    HANDLE err = reinterpret_cast<HANDLE>(0x33);
    STARTUPINFOW own{};
    own.cb = sizeof own;
    own.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES | STARTF_USEPOSITION;
    own.wShowWindow = SW_SHOWMAXIMIZED;
    own.dwX = 40;
    own.hStdInput = in;
    own.hStdOutput = out;
    own.hStdError = err;
    STARTUPINFOW s = EditorStartupInfo(own);
    EXPECT_EQ(s.dwFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW | STARTF_USEPOSITION));
    EXPECT_EQ(s.wShowWindow, SW_SHOWMAXIMIZED);
    EXPECT_EQ(s.dwX, 40u);
    EXPECT_EQ(s.hStdInput, nullptr);
    EXPECT_EQ(s.hStdOutput, nullptr);
    EXPECT_EQ(s.hStdError, nullptr);

    // A hot key (in hStdInput) and a monitor (in hStdOutput, flagged by
    // STARTF_HASSHELLDATA, which the MinGW headers lack) stay.
    const DWORD hasShellData = 0x400;
    own.dwFlags = STARTF_USEHOTKEY | hasShellData;
    s = EditorStartupInfo(own);
    EXPECT_EQ(s.dwFlags, STARTF_USEHOTKEY | hasShellData);
    EXPECT_EQ(s.hStdInput, in);
    EXPECT_EQ(s.hStdOutput, out);
}

TEST(EditCursorFile, StartsTheEditorOnTheFileInTheProgramsOwnDirectory) {
    TempTree tools, work;
    std::wstring editor = MakeEchoProgram(tools.Path(L"editor.exe"));
    ASSERT_FALSE(editor.empty());
    work.File(L"memo.txt", "x");
    WindowDriver w(work.Root());
    auto& f = w.Form();
    f.EditorPath = editor;
    PutCursorOn(f, L"memo.txt");
    f.EditCursorFile();
    EXPECT_EQ(WaitForEchoOutput(editor),
              Narrow(editor + L" " + work.Path(L"memo.txt") + L"\n" + CurrentDirectory() + L"\n"));
    EXPECT_TRUE(w.Errors.empty());
}

TEST(EditCursorFile, BlanksInBothPathsStartTheRightProgramOnOneArgument) {
    TempTree tools, work;
    // Unquoted, "...\my editor.exe ..." would start "...\my.exe".
    std::wstring decoy = MakeEchoProgram(tools.Path(L"my.exe"));
    std::wstring editor = MakeEchoProgram(tools.Path(L"my editor.exe"));
    ASSERT_FALSE(decoy.empty());
    ASSERT_FALSE(editor.empty());
    work.File(L"Taro Yamada\\memo file.txt", "x");
    WindowDriver w(work.Path(L"Taro Yamada"));
    auto& f = w.Form();
    f.EditorPath = editor;
    PutCursorOn(f, L"memo file.txt");
    f.EditCursorFile();
    std::string line = WaitForEchoOutput(editor);
    EXPECT_EQ(line.substr(0, line.find('\n')),
              Narrow(L"\"" + editor + L"\" \"" + work.Path(L"Taro Yamada\\memo file.txt") + L"\""));
    EXPECT_FALSE(tools.Exists(L"my.out"));
}

TEST(EditCursorFile, MissingEditorIsReportedWithTheErrorCode) {
    TempTree t;
    t.File(L"memo.txt", "x");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.EditorPath = t.Path(L"no-such-editor.exe");
    PutCursorOn(f, L"memo.txt");
    ui::Guarded([&] { f.EditCursorFile(); });
    EXPECT_EQ(w.Errors, std::vector<std::wstring>{L"エディタ起動エラー：2."});
}

TEST(EditCursorFile, DirectoriesAndAnEmptyListStartNothing) {
    TempTree t;
    t.Dir(L"sub");
    // Any start would fail and be reported: the editor does not exist.
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.EditorPath = t.Path(L"no-such-editor.exe");
    for (auto name : {L"..", L"sub"}) {
        PutCursorOn(f, name);
        ui::Guarded([&] { f.EditCursorFile(); });
    }
    f.FileList.clear();
    f.CurIndex = f.PageTop = 0;
    ui::Guarded([&] { f.EditCursorFile(); });
    EXPECT_TRUE(w.Errors.empty());
}

TEST(OpenCursorFile, OpensFilesOnlyWithTheShellsOpenVerb) {
    TempTree t;
    t.Dir(L"sub");
    t.File(L"memo.txt", "x");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    ShellRecorder shell;
    for (auto name : {L"..", L"sub"}) {
        PutCursorOn(f, name);
        f.OpenCursorFile();
    }
    EXPECT_TRUE(shell.calls.empty());

    PutCursorOn(f, L"memo.txt");
    f.OpenCursorFile();
    ASSERT_EQ(shell.calls.size(), 1u);
    const auto& call = shell.calls[0];
    EXPECT_EQ(call.owner, f.LBox_Files->Handle());
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.file, t.Path(L"memo.txt"));
    EXPECT_EQ(call.parameters, L"");
    EXPECT_TRUE(call.noDirectory);
    EXPECT_EQ(call.show, SW_SHOW);

    // Gone since the scan: nothing is opened and nothing is said.
    DeleteFileW(t.Path(L"memo.txt").c_str());
    f.OpenCursorFile();
    f.FileList.clear();
    f.OpenCursorFile();
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST(OpenCursorFile, StartsAProgramThroughTheShell) {
    TempTree t;
    std::wstring tool = MakeEchoProgram(t.Path(L"tool.exe"));
    ASSERT_FALSE(tool.empty());
    WindowDriver w(t.Root());
    auto& f = w.Form();
    w.Pump();
    PutCursorOn(f, L"tool.exe");
    f.OpenCursorFile();
    std::string out = WaitForEchoOutput(tool);
    EXPECT_NE(out.find("tool.exe"), std::string::npos) << out;
}

TEST(OpenCursorFile, FailureIsShownInAnErrorBox) {
    TempTree t;
    t.File(L"data.zzqx", "x"); // no program is associated with it
    WindowDriver w(t.Root());
    auto& f = w.Form();
    PutCursorOn(f, L"data.zzqx");
    MessageBoxWatcher box(L"エラー");
    f.OpenCursorFile();
    auto texts = box.Texts();
    ASSERT_TRUE(box.Seen());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"起動に失敗しました"), texts.end());
    EXPECT_TRUE(w.Errors.empty());
}

TEST(NotSupported, SaysSoInTheInformationDialog) {
    TempTree t;
    WindowDriver w(t.Root());
    std::vector<std::wstring> texts;
    std::wstring caption;
    w.OnDialogs({[&](ui::Form& dialog) {
        caption = dialog.Caption();
        EnumChildWindows(
            dialog.Handle(),
            [](HWND child, LPARAM out) {
                wchar_t text[256] = {};
                GetWindowTextW(child, text, 256);
                reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(text);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&texts));
        dialog.SetModalResult(ui::mrOk);
    }});
    w.Form().NotSupported();
    EXPECT_EQ(w.DialogsShown(), 1);
    EXPECT_EQ(caption, L"情報");
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"未対応です"), texts.end());
}

} // namespace

namespace {

TEST(LaunchKeys, ShiftEnterZShiftZShiftXAndTheUnsupportedKeys) {
    TempTree tools, work;
    std::wstring editor = MakeEchoProgram(tools.Path(L"editor.exe"));
    ASSERT_FALSE(editor.empty());
    work.File(L"memo.txt", "x");
    work.Dir(L"sub");
    WindowDriver w(work.Root());
    auto& f = w.Form();
    f.EditorPath = editor;
    PutCursorOn(f, L"memo.txt");
    w.Key(VK_RETURN, true);
    std::string line = WaitForEchoOutput(editor);
    EXPECT_EQ(line.substr(0, line.find('\n')), Narrow(editor + L" " + work.Path(L"memo.txt")));

    ShellRecorder shell;
    w.Key('X');
    EXPECT_TRUE(shell.calls.empty());
    w.Key('Z');
    w.Key('Z', true);
    w.Key('X', true);
    EXPECT_EQ(shell.calls.size(), 3u);
    PutCursorOn(f, L"sub");
    w.Key('Z');
    EXPECT_EQ(shell.calls.size(), 3u);

    f.EditorPath = work.Path(L"no-such-editor.exe");
    w.Key(VK_RETURN, true); // on a directory: nothing
    EXPECT_TRUE(w.Errors.empty());
    PutCursorOn(f, L"memo.txt");
    w.Key(VK_RETURN, true);
    EXPECT_EQ(w.Errors, std::vector<std::wstring>{L"エディタ起動エラー：2."});

    w.OnDialogs({[](ui::Form& d) { d.SetModalResult(ui::mrOk); },
                 [](ui::Form& d) { d.SetModalResult(ui::mrOk); },
                 [](ui::Form& d) { d.SetModalResult(ui::mrOk); }});
    w.Key('U');
    w.Key('U', true);
    w.Key(VK_F10);
    EXPECT_EQ(w.DialogsShown(), 3);
}

} // namespace
