// Opening files in the editor or with their associated program.

#include "commands/Launch.h"

#include "dialogs/MessageDlg.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <shellapi.h>
#include <windows.h>

namespace {

bool HoldsBlank(const std::wstring& text) {
    return text.find_first_of(L" \t") != std::wstring::npos;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

bool CursorOnEntry(const TForm1& form) {
    return form.CurIndex >= 0 && form.CurIndex < Count(form.FileList);
}

} // namespace

std::wstring EditorCommandLine(const std::wstring& editorPath, const std::wstring& filePath) {
    // Unquoted, "C:\Program Files\x.exe" would start C:\Program.exe if there is
    // one, and a blank in the file's path would split it into two arguments.
    std::wstring editor =
        HoldsBlank(editorPath) && FileExists(editorPath) ? Quoted(editorPath) : editorPath;
    std::wstring file = HoldsBlank(filePath) ? Quoted(filePath) : filePath;
    return editor + L" " + file;
}

STARTUPINFOW EditorStartupInfo(STARTUPINFOW inherited) {
    // The three handle fields carry the hot key and the monitor when the
    // standard-handle flag is not set: only that case clears them.
    if (inherited.dwFlags & STARTF_USESTDHANDLES) {
        inherited.dwFlags &= ~STARTF_USESTDHANDLES;
        inherited.hStdInput = inherited.hStdOutput = inherited.hStdError = nullptr;
    }
    return inherited;
}

void TForm1::StartEditor(const std::wstring& path) {
    std::wstring commandLine = EditorCommandLine(EditorPath, path);
    STARTUPINFOW own{};
    own.cb = sizeof own;
    GetStartupInfoW(&own);
    STARTUPINFOW startup = EditorStartupInfo(own);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
        DWORD code = GetLastError();
        throw win::AppError(L"エディタ起動エラー：" + std::to_wstring(code), code);
    }
    win::UniqueHandle processHandle(process.hProcess);
    win::UniqueHandle threadHandle(process.hThread);
}

void TForm1::EditCursorFile() {
    if (!CursorOnEntry(*this) || EntryIsDir(FileList, CurIndex))
        return;
    StartEditor(CurDir + EntryName(FileList, CurIndex));
}

void TForm1::OpenWithShell() {
    if (!CursorOnEntry(*this))
        return;
    std::wstring path = CurDir + EntryName(FileList, CurIndex);
    if (!FileExists(path))
        return;
    HWND owner = LBox_Files->Handle();
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteFn(owner, L"open", path.c_str(), L"", nullptr, SW_SHOW));
    if (result <= 32)
        MessageBoxW(owner, L"起動に失敗しました", L"エラー", MB_ICONERROR | MB_OK);
}

void TForm1::OpenCursorFile() {
    if (!FileList.empty())
        OpenWithShell();
}

void TForm1::NotSupported() {
    ShowMessageDlg(L"未対応です");
}
