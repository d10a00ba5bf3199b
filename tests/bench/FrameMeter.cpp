#include "bench/FrameMeter.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
// The working set is compared after this share of the measured frames
// against the end: the first frames still fill caches and pools.
constexpr unsigned kEarlyShare = 10;

double FiletimeMs(const FILETIME& t)
{
    const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<double>(ticks) / 10000.0;  // 100 ns ticks
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty()) return 0.0;
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

}  // namespace

bool RunOptions::Read(int argc, char** argv, int& i, bool& bad)
{
    const char* arg = argv[i];
    if (std::strcmp(arg, "--sleep") == 0) {
        sleep = true;
        return true;
    }
    const bool size = std::strcmp(arg, "--size") == 0;
    const bool count = std::strcmp(arg, "--frames") == 0 || std::strcmp(arg, "--warmup") == 0;
    if (!size && !count) return false;
    if (i + 1 >= argc) {
        bad = true;
        return true;
    }
    const char* value = argv[++i];
    if (size) {
        if (std::sscanf(value, "%dx%d", &width, &height) != 2) bad = true;
    } else {
        (std::strcmp(arg, "--frames") == 0 ? frames : warmup) =
            static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    }
    return true;
}

FrameMeter::FrameMeter(unsigned frames, unsigned warmup)
    : frames_(frames > 0 ? frames : 1), warmup_(warmup > 0 ? warmup : 1)
{
    frameMs_.reserve(frames_);
}

double FrameMeter::NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double FrameMeter::ThreadCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
    return FiletimeMs(kernel) + FiletimeMs(user);
}

double FrameMeter::ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
    return FiletimeMs(kernel) + FiletimeMs(user);
}

double FrameMeter::OtherWindowsThreadsCpuMs()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0.0;
    const DWORD process = GetCurrentProcessId(), self = GetCurrentThreadId();
    double total = 0.0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self) continue;
        const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) total += FiletimeMs(kernel) + FiletimeMs(user);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return total;
}

double FrameMeter::MsSinceProcessStart()
{
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1.0;
    GetSystemTimeAsFileTime(&now);
    return FiletimeMs(now) - FiletimeMs(created);
}

void FrameMeter::WorkingSet(double& currentMb, double& peakMb)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return;
    currentMb = static_cast<double>(counters.WorkingSetSize) / kMiB;
    peakMb = static_cast<double>(counters.PeakWorkingSetSize) / kMiB;
}

void FrameMeter::FramePresented(bool scene, const FrameCounts& counts)
{
    const double now = NowMs();
    if (firstPresentMs_ < 0.0) firstPresentMs_ = MsSinceProcessStart();
    if (!scene || Done()) {
        lastMs_ = now;
        return;
    }
    if (firstSceneMs_ < 0.0) firstSceneMs_ = MsSinceProcessStart();
    ++sceneFrames_;
    if (sceneFrames_ <= warmup_) {
        if (sceneFrames_ == warmup_) {
            measuring_ = true;
            startOtherCpu_ = OtherWindowsThreadsCpuMs();
            startThreadCpu_ = ThreadCpuMs();
            startProcessCpu_ = ProcessCpuMs();
            startWall_ = NowMs();
            if (allocationCount_) startAllocations_ = allocationCount_();
        }
        lastMs_ = NowMs();
        return;
    }
    frameMs_.push_back(now - lastMs_);
    ++measured_;
    drawCalls_ += counts.drawCalls;
    targetSwitches_ += counts.targetSwitches;
    fullScreenPasses_ += counts.fullScreenPasses;
    double peak = 0.0;
    if (measured_ == std::max(1u, frames_ / kEarlyShare)) WorkingSet(earlyWorkingSetMb_, peak);
    if (Done()) {
        if (allocationCount_) allocations_ = allocationCount_() - startAllocations_;
        threadCpu_ = ThreadCpuMs() - startThreadCpu_;
        processCpu_ = ProcessCpuMs() - startProcessCpu_;
        otherCpu_ = OtherWindowsThreadsCpuMs() - startOtherCpu_;
        measuring_ = false;
        wall_ = NowMs() - startWall_;
        WorkingSet(finalWorkingSetMb_, peakWorkingSetMb_);
    }
    lastMs_ = NowMs();
}

void FrameMeter::BeginFrameWork()
{
    if (!measuring_) return;
    workStartCpu_ = ThreadCpuMs();
    workStartWall_ = NowMs();
}

void FrameMeter::EndFrameWork()
{
    if (!measuring_) return;
    workWall_ += NowMs() - workStartWall_;
    workCpu_ += ThreadCpuMs() - workStartCpu_;
}

void FrameMeter::Print(std::FILE* out) const
{
    const double n = measured_ > 0 ? static_cast<double>(measured_) : 1.0;
    const double growth =
        earlyWorkingSetMb_ > 0.0 ? 100.0 * (finalWorkingSetMb_ - earlyWorkingSetMb_) / earlyWorkingSetMb_ : 0.0;
    std::fprintf(out, "frames %u\n", measured_);
    std::fprintf(out, "warmup_frames %u\n", warmup_);
    std::fprintf(out, "wall_median_ms %.3f\n", Percentile(frameMs_, 0.5));
    std::fprintf(out, "wall_p95_ms %.3f\n", Percentile(frameMs_, 0.95));
    std::fprintf(out, "wall_mean_ms %.3f\n", wall_ / n);
    std::fprintf(out, "thread_cpu_ms %.3f\n", threadCpu_ / n);
    std::fprintf(out, "frame_work_wall_ms %.3f\n", workWall_ / n);
    std::fprintf(out, "frame_work_cpu_ms %.3f\n", workCpu_ / n);
    std::fprintf(out, "process_cpu_ms %.3f\n", processCpu_ / n);
    std::fprintf(out, "other_windows_threads_cpu_ms %.3f\n", otherCpu_ / n);
    std::fprintf(out, "rasterizer_threads_cpu_ms %.3f\n", (processCpu_ - threadCpu_ - otherCpu_) / n);
    std::fprintf(out, "draw_calls %.2f\n", static_cast<double>(drawCalls_) / n);
    std::fprintf(out, "target_switches %.2f\n", static_cast<double>(targetSwitches_) / n);
    std::fprintf(out, "fullscreen_passes %.2f\n", static_cast<double>(fullScreenPasses_) / n);
    if (allocationCount_) {
        std::fprintf(out, "allocations %llu\n", static_cast<unsigned long long>(allocations_));
        std::fprintf(out, "allocations_per_frame %.2f\n", static_cast<double>(allocations_) / n);
    }
    std::fprintf(out, "first_present_ms %.1f\n", firstPresentMs_);
    std::fprintf(out, "scene_loaded_ms %.1f\n", sceneLoadedMs_);
    std::fprintf(out, "first_scene_ms %.1f\n", firstSceneMs_);
    std::fprintf(out, "working_set_peak_mb %.1f\n", peakWorkingSetMb_);
    std::fprintf(out, "working_set_final_mb %.1f\n", finalWorkingSetMb_);
    std::fprintf(out, "working_set_early_mb %.1f\n", earlyWorkingSetMb_);
    std::fprintf(out, "working_set_growth_pct %.2f\n", growth);
    std::fflush(out);
}
