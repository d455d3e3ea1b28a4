// Copies of this test program under another name stand in for the editor and
// for programs opened through the shell: they write the command line they
// were given and their working directory to <name>.out beside them, then end
// before any test runs.

#include "EchoProgram.h"

#include "support/TempTree.h"

#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path;
}

std::wstring BaseName(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

struct EchoWhenCopied {
    EchoWhenCopied() {
        std::wstring self = OwnPath();
        if (BaseName(self).rfind(L"test_", 0) == 0)
            return;
        std::wstring cwd(MAX_PATH, L'\0');
        cwd.resize(GetCurrentDirectoryW(MAX_PATH, cwd.data()));
        std::wstring out = EchoOutputPath(self);
        std::wstring part = out + L".part";
        {
            std::ofstream file(part.c_str(), std::ios::binary);
            file << Narrow(GetCommandLineW()) << "\n" << Narrow(cwd) << "\n";
        }
        // Renamed when complete, so that a waiting test never reads half of it.
        MoveFileExW(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING);
        ExitProcess(0);
    }
} echoWhenCopied;

} // namespace

std::wstring EchoOutputPath(const std::wstring& program) {
    return program.substr(0, program.find_last_of(L'.')) + L".out";
}

std::wstring MakeEchoProgram(const std::wstring& path) {
    if (!CopyFileW(OwnPath().c_str(), path.c_str(), FALSE))
        return L"";
    return path;
}

std::string WaitForEchoOutput(const std::wstring& program, DWORD timeoutMs) {
    std::wstring out = EchoOutputPath(program);
    DWORD start = GetTickCount();
    while (GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > timeoutMs)
            return "<none>";
        Sleep(20);
    }
    std::ifstream file(out.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
