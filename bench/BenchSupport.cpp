#include "BenchSupport.h"

#include "win/Error.h"
#include "win/Handle.h"

#include <psapi.h>

#include <cstdio>

namespace bench {

double Seconds() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

std::string UnixPath(const std::wstring& zPath) {
    std::string out;
    for (wchar_t c : zPath.substr(2))
        out += c == L'\\' ? '/' : static_cast<char>(c);
    return out;
}

namespace {

std::string ReadSmallFile(const std::wstring& path) {
    win::UniqueHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    if (!h)
        return {};
    char buffer[256];
    DWORD read = 0;
    if (!ReadFile(h.get(), buffer, sizeof buffer - 1, &read, nullptr))
        return {};
    return std::string(buffer, read);
}

// Wine gives no waitable handle for a Unix process, so the script ends by
// writing `marker`; until then the caller polls for it.
std::string RunScript(const std::string& script, const std::wstring& marker) {
    DeleteFileW(marker.c_str());
    std::string m = UnixPath(marker);
    std::string full =
        "/bin/sh -c \"" + script + " > '" + m + ".part'; mv '" + m + ".part' '" + m + "'\"";
    std::wstring cmd(full.begin(), full.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"/bin/sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        win::RaiseLastError(L"cannot start /bin/sh: ");
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    while (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(2);
    std::string out = ReadSmallFile(marker);
    DeleteFileW(marker.c_str());
    return out;
}

} // namespace

double RunUnixTimed(const std::string& command, const std::wstring& marker) {
    // Nanoseconds before and after, and the command's exit status.
    std::string script =
        "{ s=$(date +%s%N); " + command + "; r=$?; e=$(date +%s%N); echo $s $e $r; }";
    std::string out = RunScript(script, marker);
    long long start = 0, end = 0;
    int status = -1;
    if (sscanf(out.c_str(), "%lld %lld %d", &start, &end, &status) != 3 || status != 0)
        throw win::AppError(L"a Linux command failed: " +
                            std::wstring(command.begin(), command.end()));
    return static_cast<double>(end - start) / 1e9;
}

void RunUnix(const std::string& command, const std::wstring& marker) {
    RunUnixTimed(command, marker);
}

uint64_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c.WorkingSetSize;
}

WorkingSetSampler::WorkingSetSampler() : peak_(WorkingSet()), thread_([this] { Run(); }) {}

WorkingSetSampler::~WorkingSetSampler() {
    stop_ = true;
    thread_.join();
}

void WorkingSetSampler::Run() {
    while (!stop_) {
        uint64_t now = WorkingSet();
        if (now > peak_)
            peak_ = now;
        Sleep(1);
    }
}

int BareEnumeration(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileExW((dir + L"*.*").c_str(), FindExInfoBasic, &fd,
                                          FindExSearchNameMatch, nullptr,
                                          FIND_FIRST_EX_LARGE_FETCH));
    int n = 0;
    if (find) {
        do
            ++n;
        while (FindNextFileW(find.get(), &fd));
    }
    return n;
}

} // namespace bench
