#pragma once
// Helpers shared by the benchmarks: a clock, Linux commands run from Wine and
// timed on the Linux side, and a sampler of the working set.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace bench {

constexpr uint64_t MiB = 1 << 20;

// Seconds since an arbitrary start, from the performance counter.
double Seconds();

// A path on Z: as Linux sees it (Z:\tmp\x is /tmp/x).
std::string UnixPath(const std::wstring& zPath);

// Runs `command` with /bin/sh and returns the seconds that the shell itself
// measured around it, so that starting a Unix process from Wine does not
// count. `marker` (on Z:) receives the figure. Throws win::AppError when the
// shell cannot start or the command fails.
double RunUnixTimed(const std::string& command, const std::wstring& marker);

// Runs `command` with /bin/sh and waits for it (not timed).
void RunUnix(const std::string& command, const std::wstring& marker);

// The working set of this process now, in bytes.
uint64_t WorkingSet();

// Samples the working set every millisecond from a thread of its own while it
// lives; Peak() is the highest value seen so far.
class WorkingSetSampler {
  public:
    WorkingSetSampler();
    ~WorkingSetSampler();
    WorkingSetSampler(const WorkingSetSampler&) = delete;
    WorkingSetSampler& operator=(const WorkingSetSampler&) = delete;
    uint64_t Peak() const { return peak_; }

  private:
    void Run();
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> peak_{0};
    std::thread thread_;
};

// The number of entries a FindFirstFileExW loop returns for `dir` (which ends
// with a backslash), "." and ".." included.
int BareEnumeration(const std::wstring& dir);

} // namespace bench
