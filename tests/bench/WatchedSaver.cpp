#include "bench/WatchedSaver.h"

namespace {

constexpr UINT_PTR kWatchTimer = 0xBE0C;
constexpr UINT kWatchMs = 250;

}  // namespace

int WatchedSaver::Play(const wchar_t* commandLine, const RunOptions& options, const SceneSource& source)
{
    commandLine_ = commandLine;
    testWindowSize_ = SIZE{options.width, options.height};
    frameSleepMs_ = options.sleep ? kFrameSleepMs : 0;
    for (SceneSlot& slot : slots_) slot.SetSources(source.Module(), source.Document());
    const int hr = Create(GetModuleHandleW(nullptr));
    if (hr < 0 || errorFlag_) return hr;
    startTicks_ = GetTickCount();
    if (mainWindow_ != nullptr) SetTimer(mainWindow_, kWatchTimer, kWatchMs, nullptr);
    Run();
    return hr;
}

LRESULT WatchedSaver::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
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
