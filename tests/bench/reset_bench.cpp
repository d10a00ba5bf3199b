// Reset benchmark: plays a scene document through the program's own code
// (as frame_bench does) and, every few scene frames, runs the frame loop's
// own device-reset path (invalidate, Reset, restore: CD3DScreensaver::
// ResetUnit) and goes on drawing. It prints the resets done, the first that
// failed with its HRESULT, the working set and the count of open handles
// before the first reset, after it and after the last, and whether the
// frame after each reset shows the scene (ResetJudge). Beside the working
// set it prints the heap the program's own code holds (AllocationProbe):
// growth there is the program's; growth of the working set alone is inside
// the system's libraries (Direct3D, the driver).
//
// Usage: reset_bench [--resets N] [--every N] [--size WxH] [--warmup N]
//                    [--sleep] [--timeout SECONDS] SOURCE
// SOURCE as for frame_bench. The warm-up lasts --warmup scene frames and at
// least one round of the slideshow (back to the slide it began with), so
// that every slide has built its objects once before the first reset: the
// working set grows over the first round with or without resets. The
// default of 1000 frames lets Wine's and the driver's own growth over the
// first hundreds of frames of play (1 to 2 % with or without resets) end
// before the first reset. The
// judge learns the animation's motion from every warm-up frame and from
// the two frames before each reset.
// --every N (at least 3): a reset after every N-th scene frame, counted
// after the warm-up. A failed reset ends the run:
// a device whose Reset failed cannot draw, and the saver's frame loop would
// show its error display. Under Wine, WINEDEBUG=warn+d3d9 names every
// resource that held up a failed Reset ("blocks the Reset call").
// Exit status: 0 every reset done and none failed, 1 a reset failed or the
// run stopped early (error display, time limit), 2 bad arguments or an
// unreadable source, 3 the source plays no scene.
#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/AllocationProbe.h"
#include "bench/FrameMeter.h"
#include "bench/ResetJudge.h"
#include "bench/SceneSource.h"
#include "bench/WatchedSaver.h"
#include "host/SceneClassList.h"

namespace {

// As WinMain: platform threads finish their own exit first.
constexpr DWORD kExitSettleMs = 150;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr unsigned kMinEvery = 3;

struct Options : RunOptions {
    unsigned resets = 100;
    unsigned every = 5;
    double timeoutSeconds = 1800.0;
    std::string source;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    options.warmup = 1000;
    bool bad = false;
    for (int i = 1; i < argc && !bad; ++i) {
        const std::string arg = argv[i];
        if (arg != "--frames" && options.Read(argc, argv, i, bad)) continue;
        if (arg == "--resets" && i + 1 < argc) {
            options.resets = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--every" && i + 1 < argc) {
            options.every = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--timeout" && i + 1 < argc) {
            options.timeoutSeconds = std::strtod(argv[++i], nullptr);
        } else if (!arg.empty() && arg[0] != '-' && options.source.empty()) {
            options.source = arg;
        } else {
            bad = true;
        }
    }
    return !bad && !options.source.empty() && options.Valid() && options.resets > 0 && options.every >= kMinEvery;
}

// The process's open handles: GetProcessHandleCount, or where that gives
// none (Wine 8 answers 0) the process's entries in the system's handle list.
DWORD OpenHandles()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    using QueryFn = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query =
        reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return 0;
    std::vector<uint8_t> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status >= 0) break;
        buffer.assign(std::max<size_t>(buffer.size() * 2, needed + 4096), 0);
    }
    const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    const size_t fits = (buffer.size() - offsetof(SYSTEM_HANDLE_INFORMATION, Handle)) / sizeof(SYSTEM_HANDLE_ENTRY);
    const ULONG pid = GetCurrentProcessId();
    for (size_t i = 0; i < std::min<size_t>(list->Count, fits); ++i) {
        if (list->Handle[i].OwnerPid == pid) ++count;
    }
    return count;
}

// The process's working set, the heap its own code holds and its open
// handles at one moment.
struct ProcessUse {
    double workingSetMb = 0.0;
    int64_t ownHeapBytes = 0;
    uint64_t ownAllocations = 0;
    DWORD handles = 0;

    static ProcessUse Now()
    {
        ProcessUse use;
        use.ownHeapBytes = AllocationProbe::OutstandingBytes();
        use.ownAllocations = AllocationProbe::Count();
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
            use.workingSetMb = static_cast<double>(counters.WorkingSetSize) / kMiB;
        }
        use.handles = OpenHandles();
        return use;
    }
};

double ChangePercent(double from, double to)
{
    return from > 0.0 ? (to - from) * 100.0 / from : 0.0;
}

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

const char* VerdictName(ResetVerdict verdict)
{
    switch (verdict) {
    case ResetVerdict::Shown: return "shown";
    case ResetVerdict::NotJudged: return "not judged";
    case ResetVerdict::Black: return "black";
    case ResetVerdict::Differs: return "differs";
    }
    return "?";
}

// The application resetting its device every few scene frames. Per reset:
// the frames before it (A, B) and the first after it (C) are read back.
class ResetSaver : public WatchedSaver {
public:
    explicit ResetSaver(const Options& options) : WatchedSaver(options.timeoutSeconds), options_(options)
    {
        // Made to size now, as the judge's record after the warm-up.
        resetMs_.reserve(options.resets);
    }

    int Render() override
    {
        drewScene_ = SceneReady();
        return CMoireScreensaver::Render();
    }

    void OnFramePresented() override
    {
        if (!drewScene_ || unitCount_ == 0) return;
        drewScene_ = false;
        ++sceneFrames_;
        if (!warmedUp_) {
            // Every warm-up frame teaches the judge how far the animation
            // moves between frames, sudden changes of the whole picture
            // among them (a sequence of colours, a lightning flash).
            std::swap(shotA_, shotB_);
            Shoot(shotB_);
            judge_.NoteMotion(shotA_, shotB_);
            warmedUp_ = sceneFrames_ >= options_.warmup && RoundShown();
            // One motion a reset: the judge's record must not count as heap
            // the program holds after the resets.
            if (warmedUp_) judge_.ReserveMotions(options_.resets);
            return;
        }
        const unsigned phase = ++framesAfterWarmup_ % options_.every;
        if (phase == options_.every - 1) {
            Shoot(shotA_);
        } else if (phase == 0) {
            Shoot(shotB_);
            judge_.NoteMotion(shotA_, shotB_);
            if (resetsDone_ == 0) before_ = ProcessUse::Now();
            ResetNow();
        } else if (phase == 1 && judgePending_) {
            judgePending_ = false;
            Shoot(shotC_);
            JudgeLastReset();
        }
    }

    unsigned SceneFrames() const { return sceneFrames_; }
    unsigned WarmupFrames() const { return sceneFrames_ - framesAfterWarmup_; }
    unsigned ResetsDone() const { return resetsDone_; }
    unsigned ResetsJudged() const { return resetsJudged_; }
    unsigned Verdicts(ResetVerdict verdict) const { return verdicts_[static_cast<int>(verdict)]; }
    unsigned FailedAt() const { return failedAt_; }
    HRESULT Failure() const { return failure_; }
    const ResetJudge& Judge() const { return judge_; }
    const ProcessUse& Before() const { return before_; }
    const ProcessUse& AfterFirst() const { return afterFirst_; }
    const ProcessUse& AfterLast() const { return afterLast_; }
    const std::vector<double>& ResetMs() const { return resetMs_; }
    bool Finished() const { return resetsJudged_ >= options_.resets; }

private:
    // The slideshow has come back to the slide it began with (at once for
    // a scene of one slide).
    bool RoundShown()
    {
        DS_SlideShow_Light* root = currentSlot_ != nullptr ? currentSlot_->Root() : nullptr;
        if (root == nullptr || root->Slides().size() <= 1) return true;
        const void* slide = root->CurrentSlide().Get();
        if (firstSlide_ == nullptr) firstSlide_ = slide;
        if (slide != firstSlide_) leftFirstSlide_ = true;
        return leftFirstSlide_ && slide == firstSlide_;
    }

    void Shoot(FrameShot& shot)
    {
        judge_.Take(units_[0].device, shot);
        shot.appTime = appTime_;
        DS_SlideShow_Light* root = currentSlot_ != nullptr ? currentSlot_->Root() : nullptr;
        shot.fade = root != nullptr ? root->OverlayAlpha() : 0.0f;
        shot.slide = root != nullptr ? root->CurrentSlide().Get() : nullptr;
    }

    void ResetNow()
    {
        // The present loop left the last unit current; the benchmark's test
        // window has one.
        SelectUnit(0);
        const double start = NowMs();
        const HRESULT hr = ResetUnit(0);
        resetMs_.push_back(NowMs() - start);
        if (FAILED(hr)) {
            failedAt_ = resetsDone_ + 1;
            failure_ = hr;
            std::fprintf(stderr, "reset %u failed: 0x%08lX\n", failedAt_, static_cast<unsigned long>(hr));
            Shutdown();
            return;
        }
        ++resetsDone_;
        judgePending_ = true;
    }

    void JudgeLastReset()
    {
        const ResetVerdict verdict = judge_.Judge(shotB_, shotC_);
        ++verdicts_[static_cast<int>(verdict)];
        ++resetsJudged_;
        if (verdict == ResetVerdict::Black || verdict == ResetVerdict::Differs) {
            std::fprintf(stderr, "reset %u: the frame after it is %s (difference %.2f, allowance %.2f)\n",
                         resetsDone_, VerdictName(verdict), judge_.LastDifference(), judge_.LastAllowance());
        }
        if (resetsDone_ == 1) afterFirst_ = ProcessUse::Now();
        afterLast_ = ProcessUse::Now();
        if (Finished()) Shutdown();
    }

    const Options& options_;
    ResetJudge judge_;
    FrameShot shotA_, shotB_, shotC_;
    bool drewScene_ = false;
    bool judgePending_ = false;
    bool warmedUp_ = false;
    const void* firstSlide_ = nullptr;
    bool leftFirstSlide_ = false;
    unsigned sceneFrames_ = 0;
    unsigned framesAfterWarmup_ = 0;
    unsigned resetsDone_ = 0;
    unsigned resetsJudged_ = 0;
    unsigned verdicts_[4] = {};
    unsigned failedAt_ = 0;
    HRESULT failure_ = S_OK;
    ProcessUse before_, afterFirst_, afterLast_;
    std::vector<double> resetMs_;
};

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: reset_bench [--resets N] [--every N>=3] [--size WxH] [--warmup N] [--sleep] "
                     "[--timeout SECONDS] SOURCE\n");
        return 2;
    }
    SceneSource source;
    if (!source.Open(options.source)) return 2;

    RegisterSceneClasses();
    int status = 0;
    {
        ResetSaver saver(options);
        const int hr = saver.Play(L"reset_bench.exe /t", options, source);
        if (saver.SceneFrames() == 0) {
            std::fprintf(stderr, "%s plays no scene (error 0x%08lX)\n", options.source.c_str(),
                         static_cast<unsigned long>(hr < 0 ? hr : saver.errorCode_));
            status = 3;
        } else if (saver.FailedAt() != 0 || !saver.Finished()) {
            if (saver.FailedAt() == 0) {
                std::fprintf(stderr, "the run stopped after %u resets (error 0x%08lX)\n", saver.ResetsDone(),
                             static_cast<unsigned long>(saver.errorCode_));
            }
            status = 1;
        }
        const std::vector<double>& resetMs = saver.ResetMs();
        std::printf("source %s\n", options.source.c_str());
        std::printf("size %dx%d\n", options.width, options.height);
        std::printf("resets_asked %u\n", options.resets);
        std::printf("every %u\n", options.every);
        std::printf("scene_frames %u\n", saver.SceneFrames());
        std::printf("warmup_frames %u\n", saver.WarmupFrames());
        std::printf("resets_done %u\n", saver.ResetsDone());
        std::printf("resets_failed %u\n", saver.FailedAt() != 0 ? 1u : 0u);
        std::printf("failed_reset %u\n", saver.FailedAt());
        std::printf("failure_hresult 0x%08lX\n", static_cast<unsigned long>(saver.Failure()));
        std::printf("reset_ms_median %.1f\n", Median(resetMs));
        std::printf("reset_ms_max %.1f\n", resetMs.empty() ? 0.0 : *std::max_element(resetMs.begin(), resetMs.end()));
        std::printf("frames_shown %u\n", saver.Verdicts(ResetVerdict::Shown));
        std::printf("frames_not_judged %u\n", saver.Verdicts(ResetVerdict::NotJudged));
        std::printf("frames_black %u\n", saver.Verdicts(ResetVerdict::Black));
        std::printf("frames_differing %u\n", saver.Verdicts(ResetVerdict::Differs));
        std::printf("worst_share_of_allowance %.2f\n", saver.Judge().WorstShare());
        const ProcessUse& before = saver.Before();
        const ProcessUse& first = saver.AfterFirst();
        const ProcessUse& last = saver.AfterLast();
        std::printf("working_set_before_mib %.1f\n", before.workingSetMb);
        std::printf("working_set_after_first_mib %.1f\n", first.workingSetMb);
        std::printf("working_set_after_last_mib %.1f\n", last.workingSetMb);
        std::printf("working_set_change_pct %.2f\n", ChangePercent(first.workingSetMb, last.workingSetMb));
        std::printf("own_heap_before_mib %.2f\n", static_cast<double>(before.ownHeapBytes) / kMiB);
        std::printf("own_heap_after_first_mib %.2f\n", static_cast<double>(first.ownHeapBytes) / kMiB);
        std::printf("own_heap_after_last_mib %.2f\n", static_cast<double>(last.ownHeapBytes) / kMiB);
        std::printf("own_heap_change_bytes %lld\n", static_cast<long long>(last.ownHeapBytes - first.ownHeapBytes));
        std::printf("own_heap_change_pct %.2f\n", ChangePercent(static_cast<double>(first.ownHeapBytes),
                                                                static_cast<double>(last.ownHeapBytes)));
        const unsigned laterResets = saver.ResetsDone() > 1 ? saver.ResetsDone() - 1 : 1;
        std::printf("own_allocations_between_resets %.0f\n",
                    static_cast<double>(last.ownAllocations - first.ownAllocations) / laterResets);
        std::printf("handles_before %lu\n", static_cast<unsigned long>(before.handles));
        std::printf("handles_after_first %lu\n", static_cast<unsigned long>(first.handles));
        std::printf("handles_after_last %lu\n", static_cast<unsigned long>(last.handles));
        std::printf("handles_change_pct %.2f\n", ChangePercent(first.handles, last.handles));
    }
    Sleep(kExitSettleMs);
    return status;
}
