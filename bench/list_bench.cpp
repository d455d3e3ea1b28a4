// The list window on a large directory against a small one, and the start-up
// on a large directory against a bare enumeration of it, in the same run.
//
//   wine build/bench/list_bench.exe Z:\big Z:\small
//
// `big` holds 100,000 entries and `small` 100; bench/run fills both from the
// Linux side, since creating that many files under Wine takes many minutes.
// (a) With the window shown, the time of a cursor move (CursorDown) and of a
//     page turn (NextPage), each including the painting it causes, in both
//     directories, and the ratio large/small.
// (b) The time from creating the window on a settings file whose start
//     directory is `big` until its first page is painted, divided by a
//     FindFirstFileExW loop over the same directory.

#include "BenchSupport.h"

#include "main/Form1.h"
#include "ui/Application.h"
#include "win/Handle.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int Rounds = 3;
constexpr int Moves = 1000;
constexpr int Turns = 200;

struct OpCosts {
    double down = 1e9, page = 1e9; // seconds per operation
};

std::wstring WithBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    return path;
}

// A settings file in UTF-16LE with a byte-order mark, as the program writes it.
std::wstring WriteSettings(const std::wstring& startDir) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring ini = std::wstring(temp) + L"pelmo-list-bench.ini";
    std::wstring content = L"[Parameter]\r\nfDir=" + startDir + L"\r\n";
    std::ofstream out(ini.c_str(), std::ios::binary | std::ios::trunc);
    out.write("\xFF\xFE", 2);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size() * sizeof(wchar_t)));
    return ini;
}

// Paints now whatever the last command invalidated, in the window and all
// its controls.
void PaintNow(TForm1& form) {
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CloseForm(std::unique_ptr<TForm1>& form) {
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    ui::App().PumpUntilIdle(10, 1000);
    form.reset();
    ui::App().PumpUntilIdle(10, 1000);
    ui::App().ClearQuit();
}

// Creates and shows the window; the seconds until its first page is painted.
double StartWindow(const std::wstring& ini, std::unique_ptr<TForm1>& form) {
    double start = bench::Seconds();
    form = std::make_unique<TForm1>(ini);
    form->Show();
    PaintNow(*form);
    return bench::Seconds() - start;
}

OpCosts MeasureOps(TForm1& form) {
    int count = static_cast<int>(form.FileList.size());
    OpCosts costs;
    form.PlaceCursor(0);
    PaintNow(form);
    double start = bench::Seconds();
    for (int i = 0; i < Moves; ++i) {
        form.CursorDown(false);
        PaintNow(form);
    }
    costs.down = (bench::Seconds() - start) / Moves;
    double turning = 0;
    for (int i = 0; i < Turns; ++i) {
        if (form.PageTop + form.PageLines >= count) {
            form.PlaceCursor(0);
            PaintNow(form);
        }
        double turnStart = bench::Seconds();
        form.NextPage();
        PaintNow(form);
        turning += bench::Seconds() - turnStart;
    }
    costs.page = turning / Turns;
    return costs;
}

void Keep(OpCosts& best, const OpCosts& round) {
    best.down = std::min(best.down, round.down);
    best.page = std::min(best.page, round.page);
}

void ChangeTo(TForm1& form, const std::wstring& dir) {
    form.CurDir = dir;
    form.ChangeDir(true);
    ui::App().PumpUntilIdle(10, 1000);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        fwprintf(stderr, L"usage: list_bench <100,000-entry dir> <100-entry dir>\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
    win::OleInit ole;
    ui::App().ErrorReporter = [](const std::wstring& text) {
        fwprintf(stderr, L"error: %ls\n", text.c_str());
    };
    std::wstring big = WithBackslash(argv[1]), small = WithBackslash(argv[2]);
    std::wstring ini = WriteSettings(big);

    bench::BareEnumeration(big); // the same warm cache for both sides
    double bare = 1e9, startBest = 1e9, startFirst = 0;
    std::unique_ptr<TForm1> form;
    for (int round = 0; round < Rounds; ++round) {
        if (form)
            CloseForm(form);
        double t0 = bench::Seconds();
        bench::BareEnumeration(big);
        bare = std::min(bare, bench::Seconds() - t0);
        double time = StartWindow(ini, form);
        startBest = std::min(startBest, time);
        if (round == 0)
            startFirst = time;
    }
    ui::App().PumpUntilIdle(10, 1000);
    int bigCount = static_cast<int>(form->FileList.size());
    printf("entries: %d and %d, %d lines a page, first page lines: %d\n", bigCount,
           bench::BareEnumeration(small) - 1, form->PageLines, form->LBox_Files->Count());

    OpCosts onBig, onSmall;
    for (int round = 0; round < Rounds; ++round) {
        ChangeTo(*form, big);
        Keep(onBig, MeasureOps(*form));
        ChangeTo(*form, small);
        Keep(onSmall, MeasureOps(*form));
    }
    CloseForm(form);
    DeleteFileW(ini.c_str());

    printf("%-22s %12s %12s %8s\n", "operation", "100 us", "100,000 us", "ratio");
    printf("%-22s %12.1f %12.1f %8.2f\n", "CursorDown + paint", onSmall.down * 1e6,
           onBig.down * 1e6, onBig.down / onSmall.down);
    printf("%-22s %12.1f %12.1f %8.2f\n", "NextPage + paint", onSmall.page * 1e6, onBig.page * 1e6,
           onBig.page / onSmall.page);
    printf("start to first page: %.3f s (first of %d: %.3f s), bare enumeration %.3f s\n",
           startBest, Rounds, startFirst, bare);
    printf("result\tlist CursorDown 100,000/100\t%.2f\t0.8 to 1.2\n", onBig.down / onSmall.down);
    printf("result\tlist NextPage 100,000/100\t%.2f\t0.8 to 1.2\n", onBig.page / onSmall.page);
    printf("result\tlist start to first page / bare enumeration\t%.2f\t-\n", startBest / bare);
    return 0;
}
