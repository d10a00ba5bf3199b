#include "host/D3DScreensaver.h"

#include "sound/MusicGraph.h"

#include <cwchar>

namespace {

// The one framework object: the static window procedure has no other way to
// reach it. Set by the constructor, cleared by the destructor.
CD3DScreensaver* g_screensaver = nullptr;

using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

}  // namespace

CD3DScreensaver* TheScreensaver()
{
    return g_screensaver;
}

CD3DScreensaver::CD3DScreensaver()
{
    g_screensaver = this;
    wcsncpy(windowTitle_, L"Screen Saver", 199);
}

CD3DScreensaver::~CD3DScreensaver()
{
    ReleaseDirect3D();
    if (g_screensaver == this) g_screensaver = nullptr;
}

void CD3DScreensaver::ReleaseDirect3D()
{
    if (d3d_ != nullptr) {
        d3d_->Release();
        d3d_ = nullptr;
    }
}

void CD3DScreensaver::StoreError(HRESULT code)
{
    errorFlag_ = true;
    errorCode_ = code;
}

SaverMode CD3DScreensaver::ParseCommandLine(const wchar_t* commandLine)
{
    const CommandLine parsed = ParseSaverCommandLine(commandLine);
    parentWindow_ = reinterpret_cast<HWND>(static_cast<uintptr_t>(parsed.parentWindow));
    return parsed.mode;
}

void CD3DScreensaver::FindMonitors()
{
    monitorCount_ = 0;
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof(device);
    for (DWORD i = 0; monitorCount_ < kMaxMonitors && EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) {
        if ((device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0) {
            device.cb = sizeof(device);
            continue;
        }
        MonitorRecord& record = monitors_[monitorCount_];
        record = MonitorRecord{};
        wcsncpy(record.adapterDescription, device.DeviceString, 127);
        DISPLAY_DEVICEW monitorDevice = {};
        monitorDevice.cb = sizeof(monitorDevice);
        if (EnumDisplayDevicesW(device.DeviceName, 0, &monitorDevice, 0)) {
            wcsncpy(record.monitorDescription, monitorDevice.DeviceString, 127);
        }
        if ((device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0) {
            DEVMODEW mode = {};
            mode.dmSize = sizeof(mode);
            if (EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) {
                const bool primary = (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
                const LONG left = primary ? 0 : mode.dmPosition.x;
                const LONG top = primary ? 0 : mode.dmPosition.y;
                record.screenRect = {left, top, left + static_cast<LONG>(mode.dmPelsWidth),
                                     top + static_cast<LONG>(mode.dmPelsHeight)};
                record.monitor = MonitorFromRect(&record.screenRect, MONITOR_DEFAULTTONULL);
            }
        }
        ++monitorCount_;
        device.cb = sizeof(device);
    }
}

int CD3DScreensaver::Create(HINSTANCE instance)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
    instance_ = instance;
    saverMode_ = ParseCommandLine(commandLine_ != nullptr ? commandLine_ : GetCommandLineW());
    FindMonitors();

    const bool needsWindow = saverMode_ == SaverMode::Preview || saverMode_ == SaverMode::Fullscreen ||
                             saverMode_ == SaverMode::TestWindow;
    if (needsWindow) {
        const int hr = CreateSaverWindows();
        if (hr < 0) StoreError(hr);
    }

    if (saverMode_ == SaverMode::Preview && mainWindow_ != nullptr) {
        // Wait 500 ms for the control panel to settle. The loop also ends when
        // the window goes away or the message queue fails.
        previewWaiting_ = true;
        PostMessageW(mainWindow_, WM_USER, 0, 0);
        while (previewWaiting_ && IsWindow(mainWindow_)) {
            MSG msg;
            const BOOL got = GetMessageW(&msg, mainWindow_, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got == -1) break;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        previewWaiting_ = false;
    }

    if (d3d_ == nullptr) d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d_ == nullptr) {
        StoreError(kErrNoDirect3D);
        return 0;
    }
    int hr = PrepareSoftwareDevice();
    if (hr < 0) {
        StoreError(hr);
        return 0;
    }
    hr = EnumerateDevices();
    if (hr < 0) {
        StoreError(hr);
        return 0;
    }
    bool anyCompatible = false;
    for (int i = 0; i < adapterCount_; ++i) {
        if (adapters_[i] && (adapters_[i]->compatibleHal || adapters_[i]->compatibleSw)) anyCompatible = true;
    }
    if (!anyCompatible) {
        StoreError(kErrNoCompatibleDevice);
        return 0;
    }
    ReadConfiguration();
    // The preview has no music. A graph that cannot be made leaves the music
    // silent; nothing is shown.
    if (saverMode_ == SaverMode::Fullscreen || saverMode_ == SaverMode::TestWindow) InitMusicGraph(mainWindow_);
    return 0;
}

int CD3DScreensaver::Run()
{
    switch (saverMode_) {
    case SaverMode::Settings:
        if (errorFlag_) {
            ShowErrorBox(errorCode_);
        } else {
            ShowSettings();
        }
        break;
    case SaverMode::Preview:
    case SaverMode::Fullscreen:
    case SaverMode::TestWindow: {
        if (mainWindow_ == nullptr) {
            // No window to run a loop in or to receive the input that ends it:
            // show the stored failure as a message box instead.
            ShowErrorBox(errorFlag_ ? errorCode_ : E_FAIL);
            break;
        }
        const int hr = RunSaverLoop();
        if (hr < 0) ShowErrorBox(hr);
        break;
    }
    case SaverMode::Password:
        ChangePassword();
        break;
    case SaverMode::Nothing:
        break;
    case SaverMode::Silent:
        OnSilentMode(nullptr);
        break;
    }
    for (auto& adapter : adapters_) adapter.reset();
    adapterCount_ = 0;
    ReleaseDirect3D();
    return 0;
}

void CD3DScreensaver::ChangePassword()
{
    HMODULE mpr = LoadLibraryW(L"MPR.DLL");
    if (mpr == nullptr) return;
    auto change = reinterpret_cast<PwdChangePasswordProc>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change != nullptr) change("SCRSAVE", parentWindow_, 0, 0);
    FreeLibrary(mpr);
}

void CD3DScreensaver::CountFrameRate()
{
    ++frameRateFrames_;
    if (appTime_ - frameRateTime_ >= 1.0) {
        frameRate_ = static_cast<float>(frameRateFrames_ / (appTime_ - frameRateTime_));
        frameRateTime_ = appTime_;
        frameRateFrames_ = 0;
    }
}

int CD3DScreensaver::Render()
{
    // The framework draws nothing; clearing shows the unit is alive.
    if (currentDevice_ == nullptr) return 0;
    currentDevice_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
    return 0;
}
