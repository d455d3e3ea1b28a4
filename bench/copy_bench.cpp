// Copying with the program's own routine (CopyDirectory, what the copy command
// runs for a directory) against `cp -r --preserve=timestamps` of the same tree
// in the same run, and the working set during the copy of a large file.
//
//   wine build/bench/copy_bench.exe Z:\source Z:\work [label]
//
// The label (say "disk" or "memory") names where the files lie in the result
// lines.
// `source` holds small\ (2,000 files of 0 to 64 KiB: 1,000 at its top and 250
// in each of four subdirectories) and big\ (one 512 MiB file); bench/run makes
// it on the Linux side. Both folders lie on Z:, so that cp works on the same
// files. cp's time is measured by the shell around cp alone, so starting a
// Linux process from Wine does not count against it. A plain walk with
// CopyFileW is timed too: the least any Windows program pays under Wine.
// Each copy goes to a fresh folder in `work`, after `sync`, and is removed
// after its round.

#include "BenchSupport.h"

#include "fileops/FileCopy.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int Rounds = 5;

struct Case {
    const wchar_t* name;
    const wchar_t* subdir; // below the source folder; empty: the whole tree
};

const Case Cases[] = {{L"small", L"small"}, {L"big", L"big"}, {L"all", L""}};

struct Figures {
    double cp = 1e9, ours = 1e9, bare = 1e9;
    uint64_t peakAbove = 0;
    bool complete = true;
};

int CountFiles(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW((dir + L"\\*").c_str(), &fd));
    int n = 0;
    if (!find)
        return 0;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(dir + L"\\" + name) : 1;
    } while (FindNextFileW(find.get(), &fd));
    return n;
}

void BareCopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW((from + L"\\*").c_str(), &fd));
    if (!find)
        return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring source = from + L"\\" + name, dest = to + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            BareCopyTree(source, dest);
        else
            CopyFileW(source.c_str(), dest.c_str(), FALSE);
    } while (FindNextFileW(find.get(), &fd));
}

class CopyRunner {
  public:
    CopyRunner(std::wstring work) : work_(std::move(work)), marker_(work_ + L"\\sh.done") {}

    // Removes `dest` and flushes the disk, so that every copy starts alike.
    void Fresh(const std::wstring& dest) {
        bench::RunUnix("rm -rf '" + bench::UnixPath(dest) + "' && sync", marker_);
    }

    double Cp(const std::wstring& source, const std::wstring& dest) {
        Fresh(dest);
        return bench::RunUnixTimed("cp -r --preserve=timestamps '" + bench::UnixPath(source) +
                                       "' '" + bench::UnixPath(dest) + "'",
                                   marker_);
    }

    double Ours(const std::wstring& source, const std::wstring& dest, int expected,
                Figures& figures) {
        Fresh(dest);
        bench::WorkingSetSampler sampler;
        uint64_t rest = bench::WorkingSet();
        double start = bench::Seconds();
        DirCopyResult result = CopyDirectory(source, dest);
        double time = bench::Seconds() - start;
        uint64_t peak = sampler.Peak();
        figures.peakAbove = std::max(figures.peakAbove, peak > rest ? peak - rest : 0);
        if (static_cast<int>(result.CopiedFiles.size()) != expected || result.FailedFiles != 0)
            figures.complete = false;
        return time;
    }

    double Bare(const std::wstring& source, const std::wstring& dest) {
        Fresh(dest);
        double start = bench::Seconds();
        BareCopyTree(source, dest);
        return bench::Seconds() - start;
    }

    void Remove(const std::wstring& dest) {
        bench::RunUnix("rm -rf '" + bench::UnixPath(dest) + "'", marker_);
    }

    const std::wstring& Work() const { return work_; }

  private:
    std::wstring work_;
    std::wstring marker_;
};

Figures Measure(CopyRunner& runner, const std::wstring& source, int expected) {
    Figures f;
    std::wstring cpDest = runner.Work() + L"\\cp", oursDest = runner.Work() + L"\\ours",
                 bareDest = runner.Work() + L"\\bare";
    for (int round = 0; round < Rounds; ++round) {
        f.cp = std::min(f.cp, runner.Cp(source, cpDest));
        runner.Remove(cpDest);
        f.ours = std::min(f.ours, runner.Ours(source, oursDest, expected, f));
        if (CountFiles(oursDest) != expected)
            f.complete = false;
        runner.Remove(oursDest);
        f.bare = std::min(f.bare, runner.Bare(source, bareDest));
        runner.Remove(bareDest);
    }
    return f;
}

std::wstring WithoutBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

bool OnZ(const std::wstring& path) {
    return path.size() >= 3 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':';
}

std::wstring Label;

void PrintResult(const wchar_t* name, const char* what, double value, const char* goal) {
    printf("result\tcopy %ls%ls: %s\t%.2f\t%s\n", name, Label.c_str(), what, value, goal);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 4 || !OnZ(argv[1]) || !OnZ(argv[2])) {
        fwprintf(stderr, L"usage: copy_bench Z:\\source Z:\\work [label] (both on Z:)\n");
        return 2;
    }
    if (argc == 4)
        Label = std::wstring(L" (") + argv[3] + L")";
    try {
        std::wstring source = WithoutBackslash(argv[1]);
        CopyRunner runner(WithoutBackslash(argv[2]));
        CreateDirectoryW(runner.Work().c_str(), nullptr);
        bench::RunUnix("cat '" + bench::UnixPath(source) + "'/*/* '" + bench::UnixPath(source) +
                           "'/small/*/* > /dev/null 2>&1; true",
                       runner.Work() + L"\\warm.done");
        printf("%-6s %6s %9s %9s %9s %8s %9s %14s\n", "case", "files", "cp s", "ours s", "bare s",
               "ours/cp", "ours/bare", "peak-rest MiB");
        for (const Case& c : Cases) {
            std::wstring from = *c.subdir ? source + L"\\" + c.subdir : source;
            int files = CountFiles(from);
            Figures f = Measure(runner, from, files);
            double peakMiB = static_cast<double>(f.peakAbove) / bench::MiB;
            printf("%-6ls %6d %9.3f %9.3f %9.3f %8.2f %9.2f %14.1f%s\n", c.name, files, f.cp,
                   f.ours, f.bare, f.ours / f.cp, f.ours / f.bare, peakMiB,
                   f.complete ? "" : "  INCOMPLETE COPY");
            PrintResult(c.name, "ours/cp", f.ours / f.cp, "<= 1.5");
            PrintResult(c.name, "ours/bare CopyFileW", f.ours / f.bare, "-");
            if (std::wstring(c.name) == L"big")
                PrintResult(c.name, "peak working set - rest, MiB", peakMiB, "< 64");
        }
        return 0;
    } catch (const win::AppError& e) {
        fwprintf(stderr, L"%ls\n", e.Text().c_str());
        return 1;
    }
}
