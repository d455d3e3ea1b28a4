// The cost of the scan with its sort, against a bare enumeration of the same
// directory in the same run. Creates 100,000 files with varied names (digit
// runs, mixed case, extensions, sizes and dates), then prints for each sort key
// and both natural orders: time of ScanDir / time of a FindFirstFileExW loop.
//
//   wine build/bench/sort_bench.exe [directory]   (default: a new folder in %TEMP%)
//
// A directory that already holds 100,000 entries is measured as it is. Under
// Wine each file creation searches the whole directory for a name differing in
// case only, so creating the files there takes many minutes; filling the
// directory from the host side first gives the same measurement.

#include "BenchSupport.h"
#include "main/Form1.h"
#include "ui/Application.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr int FileCount = 100000;

using bench::Seconds;

std::wstring MakeName(std::mt19937& rng, int i) {
    static const wchar_t* stems[] = {L"IMG_",   L"img",  L"Report ", L"report-", L"data",
                                     L"Data_v", L"scan", L"log.",    L"x",       L"Photo "};
    static const wchar_t* exts[] = {L".txt", L".TXT",    L".jpg", L".cpp", L".h",
                                    L"",     L".tar.gz", L".Doc", L".7z",  L".log"};
    std::wstring name = stems[rng() % 10];
    name += std::to_wstring(rng() % 5000);
    if (rng() % 3 == 0)
        name += L"_part" + std::to_wstring(rng() % 40);
    name += L"-" + std::to_wstring(i);
    return name + exts[rng() % 10];
}

void CreateFiles(const std::wstring& dir) {
    std::mt19937 rng(20240601);
    SYSTEMTIME st;
    GetSystemTime(&st);
    FILETIME base;
    SystemTimeToFileTime(&st, &base);
    ULARGE_INTEGER t{{base.dwLowDateTime, base.dwHighDateTime}};
    for (int i = 0; i < FileCount; ++i) {
        std::wstring path = dir + MakeName(rng, i);
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        LARGE_INTEGER size;
        size.QuadPart = rng() % 100000;
        SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        ULARGE_INTEGER when = t;
        when.QuadPart -= (rng() % (86400ull * 3000)) * 10000000ull; // up to ~8 years back
        FILETIME ft{when.LowPart, when.HighPart};
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
    }
}

int BareEnumeration(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"*.*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    int n = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do
            ++n;
        while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return n;
}

template <class F> double Best(int rounds, F f) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        double start = Seconds();
        f();
        best = std::min(best, Seconds() - start);
    }
    return best;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = argc > 1 ? argv[1] : std::wstring(temp) + L"pelmo-sort-bench";
    if (dir.back() != L'\\')
        dir += L'\\';
    CreateDirectoryW(dir.c_str(), nullptr);
    if (BareEnumeration(dir) < FileCount) {
        std::printf("creating %d files ...\n", FileCount);
        CreateFiles(dir);
    }
    std::wstring ini = std::wstring(temp) + L"pelmo-sort-bench.ini";
    DeleteFileW(ini.c_str());
    TForm1 form(ini);
    std::printf("entries: %d\n", BareEnumeration(dir));
    std::printf("%-10s %-9s %10s %10s %7s\n", "key", "natural", "bare s", "scan s", "ratio");
    const char* keys[] = {"extension", "name", "size", "date"};
    for (bool shlwapi : {false, true})
        for (uint8_t key = 0; key < 4; ++key) {
            form.SortKey = key;
            form.SortShlwapi = shlwapi;
            double bare = Best(3, [&] { BareEnumeration(dir); });
            double scan = Best(3, [&] {
                form.CurDir = dir;
                form.ScanDir();
            });
            std::printf("%-10s %-9s %10.3f %10.3f %7.2f\n", keys[key], shlwapi ? "1 (shell)" : "2",
                        bare, scan, scan / bare);
        }
    form.ClearFileList();
    std::printf("(files kept in %ls for the next run)\n", dir.c_str());
    return 0;
}
