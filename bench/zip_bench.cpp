// Compression speed, size and memory of our ZIP writer against Info-ZIP's
// `zip -6 -r -q` on the same tree in the same run, and the time of one entry
// of 4.5 GiB (a sparse file of zeros, which needs ZIP64) against `zip -6 -fz`.
//
// Usage (under Wine): zip_bench.exe [Z:\folder]   (default Z:\tmp\pelmo-zip-bench)
// The folder must lie on Z: so that the Linux-side zip sees it too. The tree
// is 1,000 text files and one 256 MiB file of alternating text and random
// megabytes.

#include "BenchSupport.h"
#include "settings/ZipTree.h"
#include "settings/ZipWriter.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t MiB = 1 << 20;

uint64_t state = 0x9E3779B97F4A7C15ull;
uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

const char* const Words[] = {"file",  "manager", "directory", "cursor", "mark",   "copy",
                             "move",  "delete",  "archive",   "page",   "header", "sort",
                             "alpha", "bravo",   "charlie",   "delta",  "12345",  "2026-12-10",
                             "the",   "of",      "and",       "to",     "in",     "is"};

void AppendText(std::string& out, size_t size) {
    while (out.size() < size) {
        out += Words[Next() % (sizeof Words / sizeof *Words)];
        out += (Next() % 12 == 0) ? "\r\n" : " ";
    }
    out.resize(size);
}

void AppendRandom(std::string& out, size_t size) {
    while (out.size() < size) {
        uint64_t v = Next();
        out.append(reinterpret_cast<const char*>(&v), 8);
    }
    out.resize(size);
}

void Write(HANDLE h, const std::string& data) {
    DWORD written = 0;
    if (!WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr))
        win::RaiseLastError(L"write: ");
}

void MakeTree(const std::wstring& tree) {
    CreateDirectoryW(tree.c_str(), nullptr);
    for (int i = 0; i < 1000; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"t%04d.txt", i);
        win::UniqueHandle h(CreateFileW((tree + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        std::string text;
        AppendText(text, 2000 + Next() % 60000);
        Write(h.get(), text);
    }
    win::UniqueHandle h(CreateFileW((tree + L"mixed.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
    for (int i = 0; i < 256; ++i) {
        std::string chunk;
        if (i % 2 == 0)
            AppendText(chunk, MiB);
        else
            AppendRandom(chunk, MiB);
        Write(h.get(), chunk);
    }
}

using bench::Seconds;

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d))
        return 0;
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

std::string UnixPath(const std::wstring& zPath) {
    std::string out;
    for (wchar_t c : zPath.substr(2))
        out += c == L'\\' ? '/' : static_cast<char>(c);
    return out;
}

// Runs a Linux shell command from Wine and waits for it: Wine gives no
// waitable handle for a Unix process, so the command leaves a marker file.
double RunUnix(const std::string& command, const std::wstring& marker) {
    DeleteFileW(marker.c_str());
    std::string full = "/bin/sh -c \"" + command + "; touch '" + UnixPath(marker) + "'\"";
    std::wstring cmd(full.begin(), full.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    double start = Seconds();
    if (!CreateProcessW(L"/bin/sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        win::RaiseLastError(L"cannot start /bin/sh: ");
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    while (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(5);
    return Seconds() - start;
}

// The tree is made by a child process, so that its buffers do not count in
// this process's peak memory.
void MakeTreeInChild(const std::wstring& tree) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd =
        L"\"" + std::wstring(self) + L"\" --make-tree \"" + tree.substr(0, tree.size() - 1) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(self, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        win::RaiseLastError(L"cannot start the tree maker: ");
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code != 0)
        throw win::AppError(L"the tree maker failed");
}

// The working set: its peak is a true high-water mark under Wine too (Wine's
// peak commit follows the current value).
PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c;
}

// One sparse file of 4.5 GiB zeros: both archives need ZIP64 for it.
void BigEntry(const std::wstring& root) {
    std::wstring big = root + L"big\\", ours = root + L"big-ours.zip",
                 theirs = root + L"big-zip.zip";
    CreateDirectoryW(big.c_str(), nullptr);
    DeleteFileW(ours.c_str());
    DeleteFileW(theirs.c_str());
    RunUnix("truncate -s 4608M '" + UnixPath(big) + "zeros.bin'", root + L"truncate.done");
    RunUnix("cat '" + UnixPath(big) + "zeros.bin' > /dev/null", root + L"warm.done");
    double zipTime =
        RunUnix("cd '" + UnixPath(big) + "' && zip -6 -fz -q '" + UnixPath(theirs) + "' zeros.bin",
                root + L"zip.done");
    double start = Seconds();
    zip::WriteArchive(ours, {{big + L"zeros.bin", L"zeros.bin"}});
    double ourTime = Seconds() - start;
    printf("entry of 4.5 GiB zeros, zip -6 -fz: %.2f s, %llu bytes\n", zipTime,
           static_cast<unsigned long long>(FileSize(theirs)));
    printf("entry of 4.5 GiB zeros, ours      : %.2f s, %llu bytes\n", ourTime,
           static_cast<unsigned long long>(FileSize(ours)));
    printf("4.5 GiB entry time ratio ours/zip: %.3f (goal <= 1.2)\n", ourTime / zipTime);
    DeleteFileW((big + L"zeros.bin").c_str());
    RemoveDirectoryW(big.c_str());
    DeleteFileW(ours.c_str());
    DeleteFileW(theirs.c_str());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        if (argc == 3 && std::wstring(argv[1]) == L"--make-tree") {
            MakeTree(std::wstring(argv[2]) + L"\\");
            return 0;
        }
        std::wstring root = argc > 1 ? argv[1] : L"Z:\\tmp\\pelmo-zip-bench";
        if (root.size() < 3 || (root[0] != L'Z' && root[0] != L'z') || root[1] != L':') {
            fwprintf(stderr, L"the folder must lie on Z:\n");
            return 2;
        }
        if (root.back() != L'\\')
            root += L'\\';
        CreateDirectoryW(root.c_str(), nullptr);
        std::wstring tree = root + L"tree\\";
        if (FileSize(tree + L"mixed.bin") != 256 * MiB)
            MakeTreeInChild(tree);

        std::wstring ours = root + L"ours.zip", theirs = root + L"theirs.zip";
        DeleteFileW(ours.c_str());
        DeleteFileW(theirs.c_str());
        // Warm the page cache for both runs alike.
        RunUnix("cat '" + UnixPath(tree) + "'/* > /dev/null", root + L"warm.done");

        double zipTime =
            RunUnix("cd '" + UnixPath(tree) + "' && zip -6 -r -q '" + UnixPath(theirs) + "' .",
                    root + L"zip.done");

        uint64_t rest = Memory().WorkingSetSize;
        double start = Seconds();
        zip::WriteArchive(ours, CollectTree(tree));
        double ourTime = Seconds() - start;
        uint64_t peak = Memory().PeakWorkingSetSize;
        uint64_t peakAbove = peak > rest ? peak - rest : 0;

        uint64_t ourSize = FileSize(ours), theirSize = FileSize(theirs);
        printf("tree: 1000 text files + 256 MiB mixed file\n");
        printf("zip -6 -r -q: %.2f s, %llu bytes\n", zipTime,
               static_cast<unsigned long long>(theirSize));
        printf("ours        : %.2f s, %llu bytes\n", ourTime,
               static_cast<unsigned long long>(ourSize));
        printf("time ratio ours/zip: %.3f (goal <= 1.2)\n", ourTime / zipTime);
        printf("size ratio ours/zip: %.4f (goal within 1%%)\n",
               static_cast<double>(ourSize) / static_cast<double>(theirSize));
        printf("peak working set above rest: %.1f MiB (goal < 32)\n",
               static_cast<double>(peakAbove) / MiB);
        DeleteFileW(ours.c_str());
        DeleteFileW(theirs.c_str());
        BigEntry(root);
        return 0;
    } catch (const win::AppError& e) {
        fwprintf(stderr, L"%ls\n", e.Text().c_str());
        return 1;
    }
}
