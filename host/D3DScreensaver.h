// The screensaver framework: command-line modes, monitors, saver windows,
// Direct3D adapters and devices, the frame loop and the error mode.
// The application (CMoireScreensaver) specialises it through the virtuals.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <array>
#include <memory>

#include "host/AdapterRecord.h"
#include "host/CommandLine.h"

constexpr int kMaxMonitors = 9;
constexpr int kMaxUnits = 9;
constexpr int kMaxAdapters = 9;
// The frame loop's pause before each frame while no message is waiting.
constexpr DWORD kFrameSleepMs = 30;

// Host error codes: failures are stored in the framework object and shown by
// the error display, never returned up to WinMain.
constexpr HRESULT kErrNoDirect3D = static_cast<HRESULT>(0x82000001);
constexpr HRESULT kErrNoCompatibleDevice = static_cast<HRESULT>(0x82000003);
constexpr HRESULT kErrNoHardwareDevice = static_cast<HRESULT>(0x82000005);
constexpr HRESULT kErrInitFailed = static_cast<HRESULT>(0x82000007);
constexpr HRESULT kErrMediaNotFound = static_cast<HRESULT>(0x8200000B);
constexpr HRESULT kErrResetFailed = static_cast<HRESULT>(0x8200000C);
constexpr HRESULT kErrDeviceObjects = static_cast<HRESULT>(0x8200000D);
constexpr HRESULT kErrCreateDevice = static_cast<HRESULT>(0x8200000E);
constexpr HRESULT kErrNoPreview = static_cast<HRESULT>(0x8200000F);

// One display monitor, in the order of the display devices.
struct MonitorRecord {
    wchar_t adapterDescription[128] = {};
    wchar_t monitorDescription[128] = {};
    HMONITOR monitor = nullptr;  // null when not attached to the desktop
    RECT screenRect = {};
    int adapterIndex = -1;  // matching AdapterRecord, -1 until enumeration links one
    HWND saverWindow = nullptr;
    // Floating error box (error mode only).
    float errorX = 0, errorY = 0, errorWidth = 0, errorHeight = 0;
    float errorVelX = 0, errorVelY = 0;
};

// One Direct3D device in use: one per monitor in full screen, one for the
// preview or test window.
struct RenderUnit {
    int adapterIndex = -1;
    int monitorIndex = -1;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    DWORD behaviorFlags = 0;
    IDirect3DDevice9* device = nullptr;  // owned; released by ReleaseDevices
    D3DPRESENT_PARAMETERS presentParams = {};
    bool objectsCreated = false;
    bool objectsRestored = false;
};

class CD3DScreensaver {
public:
    CD3DScreensaver();
    virtual ~CD3DScreensaver();
    CD3DScreensaver(const CD3DScreensaver&) = delete;
    CD3DScreensaver& operator=(const CD3DScreensaver&) = delete;

    // Prepares everything the mode needs; failures are stored, never fatal.
    virtual int Create(HINSTANCE instance);
    // Carries out the mode; returns 0.
    virtual int Run();
    virtual void ShowSettings() {}
    virtual void OnSilentMode(HWND) {}
    virtual void ReadConfiguration() {}
    virtual void PaintError(HWND window, HDC dc);
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    virtual INT_PTR SoundDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
    virtual void DescribeDevice() {}
    virtual void CountFrameRate();
    virtual bool ErrorText(HRESULT code, wchar_t* buffer, int capacity);
    virtual int ActivateUnitScene(int) { return 0; }
    virtual int PrepareSoftwareDevice() { return 0; }
    virtual int AcceptDevice(const D3DCAPS9&, DWORD, D3DFORMAT) { return 0; }
    virtual int AcceptMode(IDirect3DDevice9*) { return 0; }
    virtual int InitScene() { return 0; }
    virtual int CreateDeviceObjects() { return 0; }
    virtual int RestoreDeviceObjects() { return 0; }
    virtual int FrameMove() { return 0; }
    virtual int Render();
    virtual int InvalidateDeviceObjects() { return 0; }
    virtual int DestroyDeviceObjects() { return 0; }
    virtual int CleanupScene() { return 0; }
    virtual void OnMusicEvent(long) {}
    // After every frame's presents (the frame benchmark measures here).
    virtual void OnFramePresented() {}

    // Mode and windows.
    SaverMode ParseCommandLine(const wchar_t* commandLine);
    void FindMonitors();
    int CreateSaverWindows();
    void Interrupt();
    void Shutdown();
    void ChangePassword();

    // Devices (DeviceChoice.cpp).
    int EnumerateDevices();
    bool FindDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, D3DFORMAT* depthFormat);
    bool FindWindowedAdapter(int* adapterIndex);
    int CreateWindowedDevice(RenderUnit& unit);
    int ConfirmWindowedDevice(RenderUnit& unit, D3DFORMAT backBufferFormat, DWORD* behaviorFlags,
                              D3DFORMAT* depthFormat);
    int CreateFullscreenDevice(RenderUnit& unit);
    static bool FindNextLowerMode(DeviceTypeRecord& record);
    // Finds the behaviour flags for a format in the fixed order; 0 when none is accepted.
    DWORD FindBehaviorFlags(const D3DCAPS9& caps, D3DFORMAT format);

    // Frame loop (FrameLoop.cpp).
    int RunSaverLoop();
    int CreateDevices();
    int SelectUnit(int index);
    int RenderFrame();
    // Brings back unit index's device, which the frame loop found not reset:
    // its objects invalidated (when restored), Reset with its present
    // parameters, its objects restored. The unit must be current
    // (SelectUnit). Returns the Reset's result or the restore's failure (a
    // code the restore stored among them); a failure sets the error flag,
    // storing no code of its own.
    HRESULT ResetUnit(int index);
    void ReleaseDevices();

    // Error display (ErrorDisplay.cpp).
    HRESULT ShowErrorBox(HRESULT code);
    void AnimateErrorBox();
    void StoreError(HRESULT code);

    // Registry (ScreenSettings.cpp).
    void ReadScreenSettings(HKEY settingsKey);
    void WriteScreenSettings(HKEY settingsKey);

    // Display-settings dialog (DisplaySettings.cpp): edits the adapter
    // records and AllScreensSame in place; Cancel puts them back.
    void ShowDisplaySettings(HWND owner);
    // The template ShowDisplaySettings opens: one adapter or a tab per monitor.
    int DisplaySettingsDialogId() const;
    INT_PTR DisplaySettingsDialog(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    void UpdateDisplaySettingsControls(HWND dialog);

    // Lets tests drive the device choice with a scripted IDirect3D9.
    void SetDirect3D(IDirect3D9* d3d) { d3d_ = d3d; }

    // The command line Create parses; null: the process's own. The frame
    // benchmark runs the test window without being started with "/t".
    const wchar_t* commandLine_ = nullptr;
    // Client size of the test window (/t).
    SIZE testWindowSize_ = {600, 400};
    // The frame loop's pause before each frame; the benchmark turns it off.
    DWORD frameSleepMs_ = kFrameSleepMs;

    SaverMode saverMode_ = SaverMode::Settings;
    HINSTANCE instance_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND parentWindow_ = nullptr;
    volatile bool previewWaiting_ = false;
    unsigned mouseMoveCount_ = 0;
    bool windowed_ = false;
    bool errorFlag_ = false;
    HRESULT errorCode_ = S_OK;
    wchar_t errorText_[400] = {};
    wchar_t windowTitle_[200] = {};

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* currentDevice_ = nullptr;
    D3DSURFACE_DESC backBufferDesc_ = {};
    RECT renderRect_ = {};
    RECT renderRectCopy_ = {};

    int monitorCount_ = 0;
    std::array<MonitorRecord, kMaxMonitors> monitors_{};
    int unitCount_ = 0;
    std::array<RenderUnit, kMaxUnits> units_{};
    int adapterCount_ = 0;
    std::array<std::unique_ptr<AdapterRecord>, kMaxAdapters> adapters_{};

    // Device requirements.
    UINT minDepthBits_ = 16;
    UINT minStencilBits_ = 0;
    bool useDepthBuffer_ = false;
    D3DSWAPEFFECT fullscreenSwapEffect_ = D3DSWAPEFFECT_DISCARD;
    D3DSWAPEFFECT windowedSwapEffect_ = D3DSWAPEFFECT_COPY;

    float appTime_ = 0;
    float elapsedTime_ = 0;
    float frameRate_ = 0;
    DWORD allScreensSame_ = 0;
    wchar_t settingsKeyPath_[MAX_PATH] = {};

private:
    void ReleaseDirect3D();
    // The monitor the display-settings dialog shows (its tab, or the first
    // monitor without tabs) and that monitor's adapter record, null when it
    // has none.
    int SelectedMonitor(HWND dialog) const;
    AdapterRecord* MonitorAdapter(int monitor) const;
    // Copies of the adapter records and AllScreensSame while the
    // display-settings dialog is open, for its Cancel.
    std::array<std::unique_ptr<AdapterRecord>, kMaxAdapters> savedAdapters_{};
    DWORD savedAllScreensSame_ = 0;
    DWORD lastErrorStepMs_ = 0;  // millisecond time of the previous error-mode step
    bool errorStepStarted_ = false;
    double frameRateTime_ = 0;
    unsigned frameRateFrames_ = 0;
};

// The one framework object of the process, for the static window procedure.
CD3DScreensaver* TheScreensaver();
