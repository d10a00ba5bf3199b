// Frame benchmark: plays a scene document through the program's own code
// (the application object, its scene slot and slideshow, the frame loop
// and the device the test window /t creates) in a window of a given client
// size, and prints what FrameMeter measures, with the device it ran on and
// the heap allocations of the measured frames (AllocationProbe).
//
// Usage: frame_bench [--size WxH] [--frames N] [--warmup N] [--sleep]
//                    [--timeout SECONDS] SOURCE
// SOURCE is a build of the program (.scr, .exe, .dll: its splash and its
// "DDS" 107) or a scene document file. Without --sleep the frame loop's
// pause before each frame is off; with it the loop runs as the saver does.
// Exit status: 0 measured, 1 the run stopped early (error display, time
// limit), 2 bad arguments or an unreadable source.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/AllocationProbe.h"
#include "bench/FrameMeter.h"
#include "bench/SceneSource.h"
#include "bench/WatchedSaver.h"
#include "engine/render/RenderStats.h"
#include "host/SceneClassList.h"

namespace {

// As WinMain: platform threads finish their own exit first.
constexpr DWORD kExitSettleMs = 150;

struct Options : RunOptions {
    double timeoutSeconds = 600.0;
    std::string source;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    bool bad = false;
    for (int i = 1; i < argc && !bad; ++i) {
        const std::string arg = argv[i];
        if (options.Read(argc, argv, i, bad)) continue;
        if (arg == "--timeout" && i + 1 < argc) {
            options.timeoutSeconds = std::strtod(argv[++i], nullptr);
        } else if (!arg.empty() && arg[0] != '-' && options.source.empty()) {
            options.source = arg;
        } else {
            bad = true;
        }
    }
    return !bad && !options.source.empty() && options.Valid();
}

// The application with the meter at the end of every frame.
class BenchSaver : public WatchedSaver {
public:
    BenchSaver(FrameMeter& meter, double timeoutSeconds) : WatchedSaver(timeoutSeconds), meter_(meter) {}

    int Render() override
    {
        drewScene_ = SceneReady();
        const bool loadedBefore = currentSlot_ != nullptr && currentSlot_->sceneLoaded;
        meter_.BeginFrameWork();
        const int result = CMoireScreensaver::Render();
        meter_.EndFrameWork();
        if (!loadedBefore && currentSlot_ != nullptr && currentSlot_->sceneLoaded) meter_.NoteSceneLoaded();
        return result;
    }

    void OnFramePresented() override
    {
        const RenderStats taken = RenderStats::Take();
        if (!deviceNoted_ && unitCount_ > 0) {
            device_ = units_[0];
            deviceNoted_ = true;
        }
        meter_.FramePresented(drewScene_, FrameCounts{taken.drawCalls, taken.targetSwitches, taken.fullScreenPasses});
        drewScene_ = false;
        if (meter_.Done()) Shutdown();
    }

    bool deviceNoted_ = false;
    RenderUnit device_;

private:
    FrameMeter& meter_;
    bool drewScene_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: frame_bench [--size WxH] [--frames N] [--warmup N] [--sleep] [--timeout SECONDS] "
                     "SOURCE\n");
        return 2;
    }
    SceneSource source;
    if (!source.Open(options.source)) return 2;

    RegisterSceneClasses();
    FrameMeter meter(options.frames, options.warmup);
    if (AllocationProbe::Works()) {
        meter.CountAllocationsWith(&AllocationProbe::Count);
    } else {
        std::fprintf(stderr, "the allocation probe does not see operator new and malloc: no allocation figures\n");
    }
    int status = 0;
    {
        BenchSaver saver(meter, options.timeoutSeconds);
        const int hr = saver.Play(L"frame_bench.exe /t", options, source);
        if (hr < 0 || saver.errorFlag_ || saver.StoppedEarly() || !meter.Done()) {
            std::fprintf(stderr, "the run stopped after %u measured frames (error 0x%08lX)\n",
                         meter.MeasuredFrames(), static_cast<unsigned long>(saver.errorCode_));
            status = 1;
        }
        const RenderUnit& unit = saver.device_;
        std::printf("source %s\n", options.source.c_str());
        std::printf("size %dx%d\n", options.width, options.height);
        std::printf("frame_sleep_ms %lu\n", static_cast<unsigned long>(saver.frameSleepMs_));
        std::printf("device_type %d\n", static_cast<int>(unit.deviceType));
        std::printf("behavior_flags 0x%lX\n", static_cast<unsigned long>(unit.behaviorFlags));
        std::printf("backbuffer_format %d\n", static_cast<int>(unit.presentParams.BackBufferFormat));
        std::printf("depth_format %d\n", unit.presentParams.EnableAutoDepthStencil
                                             ? static_cast<int>(unit.presentParams.AutoDepthStencilFormat)
                                             : 0);
        std::printf("swap_effect %d\n", static_cast<int>(unit.presentParams.SwapEffect));
        meter.Print(stdout);
    }
    Sleep(kExitSettleMs);
    return status;
}
