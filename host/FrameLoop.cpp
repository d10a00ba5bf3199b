// Render units, the message loop, one frame of every unit, and device loss.
#include "host/D3DScreensaver.h"
#include "host/SaverTimer.h"

int CD3DScreensaver::RunSaverLoop()
{
    TheSaverTimer().Start();
    if (!errorFlag_) {
        const int hr = InitScene();
        if (hr < 0) return hr;
        CreateDevices();
    }
    if (saverMode_ == SaverMode::Fullscreen) SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, nullptr, 0);

    MSG msg = {};
    while (msg.message != WM_QUIT) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            if (frameSleepMs_ > 0) Sleep(frameSleepMs_);
            if (errorFlag_) {
                AnimateErrorBox();
            } else {
                RenderFrame();
            }
        }
    }
    return 0;
}

int CD3DScreensaver::CreateDevices()
{
    if (saverMode_ == SaverMode::Preview || saverMode_ == SaverMode::TestWindow) {
        windowed_ = true;
        GetClientRect(mainWindow_, &renderRect_);
        int adapterIndex = -1;
        if (!FindWindowedAdapter(&adapterIndex)) {
            StoreError(kErrCreateDevice);
        } else {
            adapters_[adapterIndex]->deviceWindow = mainWindow_;
            RenderUnit& unit = units_[unitCount_];
            unit = RenderUnit{};
            unit.adapterIndex = adapterIndex;
            if (CreateWindowedDevice(unit) < 0) {
                unit = RenderUnit{};
                StoreError(saverMode_ == SaverMode::Preview ? kErrNoPreview : kErrCreateDevice);
            } else {
                ++unitCount_;
            }
        }
    } else {
        windowed_ = false;
        for (int m = 0; m < monitorCount_ && unitCount_ < kMaxUnits; ++m) {
            const int a = monitors_[m].adapterIndex;
            if (a < 0 || a >= adapterCount_ || !adapters_[a]) continue;
            AdapterRecord& adapter = *adapters_[a];
            if (adapter.disableHardware && !adapter.compatibleSw) adapter.leaveBlack = 1;
            if (adapter.leaveBlack || adapter.deviceTypeCount == 0) continue;
            adapter.deviceWindow = monitors_[m].saverWindow;
            RenderUnit& unit = units_[unitCount_];
            unit = RenderUnit{};
            unit.adapterIndex = a;
            if (CreateFullscreenDevice(unit) < 0) {
                unit = RenderUnit{};
                StoreError(kErrCreateDevice);
            } else {
                ++unitCount_;
            }
        }
    }

    for (int m = 0; m < monitorCount_; ++m) {
        MonitorRecord& monitor = monitors_[m];
        if (monitor.monitor == nullptr) continue;
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (GetMonitorInfoW(monitor.monitor, &info)) monitor.screenRect = info.rcMonitor;
        if (!windowed_ && monitor.saverWindow != nullptr) {
            const RECT& rc = monitor.screenRect;
            SetWindowPos(monitor.saverWindow, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left,
                         rc.bottom - rc.top, SWP_NOACTIVATE);
        }
    }
    if (!windowed_) {
        RECT all = {};
        for (int i = 0; i < unitCount_; ++i) {
            const int m = units_[i].monitorIndex;
            if (m < 0) continue;
            UnionRect(&all, &all, &monitors_[m].screenRect);
        }
        renderRect_ = all;
    }

    if (errorFlag_) {
        mouseMoveCount_ = 0;
        return 0;
    }
    for (int i = 0; i < unitCount_; ++i) {
        SelectUnit(i);
        if (CreateDeviceObjects() >= 0) {
            units_[i].objectsCreated = true;
            if (RestoreDeviceObjects() >= 0) {
                units_[i].objectsRestored = true;
            } else {
                StoreError(kErrDeviceObjects);
            }
        } else {
            StoreError(kErrDeviceObjects);
        }
    }
    DescribeDevice();
    mouseMoveCount_ = 0;
    return 0;
}

int CD3DScreensaver::SelectUnit(int index)
{
    RenderUnit& unit = units_[index];
    currentDevice_ = unit.device;
    if (!windowed_ && unit.monitorIndex >= 0) renderRect_ = monitors_[unit.monitorIndex].screenRect;
    if (currentDevice_ != nullptr) {
        IDirect3DSurface9* backBuffer = nullptr;
        if (SUCCEEDED(currentDevice_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer) {
            backBuffer->GetDesc(&backBufferDesc_);
            backBuffer->Release();
        }
    }
    return ActivateUnitScene(index);
}

int CD3DScreensaver::RenderFrame()
{
    SaverTimer& timer = TheSaverTimer();
    appTime_ = static_cast<float>(timer.AppTime());
    elapsedTime_ = static_cast<float>(timer.Elapsed());
    FrameMove();
    CountFrameRate();

    for (int i = 0; i < unitCount_; ++i) {
        SelectUnit(i);
        RenderUnit& unit = units_[i];
        if (unit.device == nullptr) continue;
        const HRESULT cooperative = unit.device->TestCooperativeLevel();
        if (cooperative == D3DERR_DEVICELOST) return 0;
        // The error mode releases the devices at its first step; until then
        // nothing more is drawn with a device whose reset failed.
        if (cooperative == D3DERR_DEVICENOTRESET && FAILED(ResetUnit(i))) return 0;
        Render();
    }
    for (int i = 0; i < unitCount_; ++i) {
        SelectUnit(i);
        if (units_[i].device != nullptr) units_[i].device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    OnFramePresented();
    return 0;
}

HRESULT CD3DScreensaver::ResetUnit(int index)
{
    RenderUnit& unit = units_[index];
    if (unit.device == nullptr) return E_POINTER;
    if (windowed_ && unit.adapterIndex >= 0 && adapters_[unit.adapterIndex]) {
        d3d_->GetAdapterDisplayMode(unit.adapterIndex, &adapters_[unit.adapterIndex]->desktopMode);
    }
    if (unit.objectsRestored) {
        InvalidateDeviceObjects();
        unit.objectsRestored = false;
    }
    HRESULT hr = unit.device->Reset(&unit.presentParams);
    if (SUCCEEDED(hr)) {
        const int restored = RestoreDeviceObjects();
        if (restored >= 0) unit.objectsRestored = true;
        if (restored < 0) {
            hr = restored;
        } else if (errorFlag_) {
            // The restore stored a failure of its own.
            hr = FAILED(errorCode_) ? errorCode_ : E_FAIL;
        }
    }
    // No code is stored: the error mode shows its general message.
    if (FAILED(hr)) errorFlag_ = true;
    return hr;
}

void CD3DScreensaver::ReleaseDevices()
{
    for (int i = 0; i < unitCount_; ++i) {
        SelectUnit(i);
        RenderUnit& unit = units_[i];
        if (unit.objectsRestored) {
            InvalidateDeviceObjects();
            unit.objectsRestored = false;
        }
        if (unit.objectsCreated) {
            DestroyDeviceObjects();
            unit.objectsCreated = false;
        }
        if (unit.device != nullptr) {
            unit.device->Release();
            unit.device = nullptr;
        }
    }
    unitCount_ = 0;
    currentDevice_ = nullptr;
    ReleaseDirect3D();
}
