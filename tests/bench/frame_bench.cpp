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
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/AllocationProbe.h"
#include "bench/FrameMeter.h"
#include "engine/render/RenderStats.h"
#include "host/MoireScreensaver.h"
#include "host/SceneClassList.h"

namespace {

constexpr UINT_PTR kWatchTimer = 0xBE0C;
constexpr UINT kWatchMs = 250;
// As WinMain: platform threads finish their own exit first.
constexpr DWORD kExitSettleMs = 150;

struct Options : RunOptions {
    double timeoutSeconds = 600.0;
    std::string source;
};

bool EndsWith(const std::string& text, const char* tail)
{
    const size_t n = std::strlen(tail);
    if (text.size() < n) return false;
    return _stricmp(text.c_str() + text.size() - n, tail) == 0;
}

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

std::wstring Widen(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1u, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// The application with the meter at the end of every frame and a watch on
// the error display (which draws no frames) and the time limit.
class BenchSaver : public CMoireScreensaver {
public:
    BenchSaver(FrameMeter& meter, double timeoutSeconds) : meter_(meter), timeoutMs_(timeoutSeconds * 1000.0) {}

    int Render() override
    {
        // The frame draws the scene when the slot had loaded it before.
        drewScene_ = currentSlot_ != nullptr && currentSlot_->sceneLoaded && currentSlot_->Root() != nullptr;
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

    LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_TIMER && wparam == kWatchTimer) {
            if (errorFlag_ || GetTickCount() - startTicks_ > timeoutMs_) {
                stoppedEarly_ = true;
                KillTimer(window, kWatchTimer);
                Shutdown();
            }
            return 0;
        }
        return CMoireScreensaver::WindowProc(window, message, wparam, lparam);
    }

    void StartWatch()
    {
        startTicks_ = GetTickCount();
        if (mainWindow_ != nullptr) SetTimer(mainWindow_, kWatchTimer, kWatchMs, nullptr);
    }

    bool stoppedEarly_ = false;
    bool deviceNoted_ = false;
    RenderUnit device_;

private:
    FrameMeter& meter_;
    double timeoutMs_;
    DWORD startTicks_ = 0;
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
    HMODULE module = nullptr;
    std::vector<uint8_t> document;
    if (EndsWith(options.source, ".scr") || EndsWith(options.source, ".exe") || EndsWith(options.source, ".dll")) {
        module = LoadLibraryExW(Widen(options.source).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (module == nullptr) {
            std::fprintf(stderr, "cannot open %s for its resources\n", options.source.c_str());
            return 2;
        }
    } else {
        std::ifstream file(options.source, std::ios::binary);
        document.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (document.empty()) {
            std::fprintf(stderr, "cannot read %s\n", options.source.c_str());
            return 2;
        }
    }

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
        saver.commandLine_ = L"frame_bench.exe /t";
        saver.testWindowSize_ = SIZE{options.width, options.height};
        saver.frameSleepMs_ = options.sleep ? kFrameSleepMs : 0;
        for (SceneSlot& slot : saver.slots_) slot.SetSources(module, document);
        const int hr = saver.Create(GetModuleHandleW(nullptr));
        if (hr >= 0 && !saver.errorFlag_) {
            saver.StartWatch();
            saver.Run();
        }
        if (hr < 0 || saver.errorFlag_ || saver.stoppedEarly_ || !meter.Done()) {
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
    if (module != nullptr) FreeLibrary(module);
    Sleep(kExitSettleMs);
    return status;
}
