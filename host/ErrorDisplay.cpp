// The error display: stored failure codes become string-table messages,
// shown in a message box or in a box that floats over the black saver windows.
#include "host/D3DScreensaver.h"
#include "host/ErrorBox.h"
#include "host/ErrorMessages.h"

#include <mmsystem.h>

namespace {

// Where the box moves and what is painted black, in the window's client
// coordinates: the monitor in full screen, the client area in the preview
// and the test window.
RECT BoxBounds(HWND window, const MonitorRecord& record, bool fullscreen)
{
    RECT bounds = {};
    if (!fullscreen) {
        GetClientRect(window, &bounds);
        return bounds;
    }
    POINT corners[2] = {{record.screenRect.left, record.screenRect.top},
                        {record.screenRect.right, record.screenRect.bottom}};
    MapWindowPoints(nullptr, window, corners, 2);
    return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

}  // namespace

bool CD3DScreensaver::ErrorText(HRESULT code, wchar_t* buffer, int capacity)
{
    const UINT id = ErrorStringId(code);
    if (LoadStringW(instance_ != nullptr ? instance_ : GetModuleHandleW(nullptr), id, buffer, capacity) <= 0 &&
        capacity > 0) {
        buffer[0] = L'\0';
    }
    return id != kErrorStringUnspecified;
}

HRESULT CD3DScreensaver::ShowErrorBox(HRESULT code)
{
    wchar_t text[512];
    ErrorText(code, text, 512);
    MessageBoxW(mainWindow_, text, windowTitle_, MB_ICONERROR);
    return code;
}

void CD3DScreensaver::AnimateErrorBox()
{
    if (unitCount_ > 0) ReleaseDevices();

    const DWORD now = timeGetTime();
    float dt = 0.0f;
    if (errorStepStarted_) dt = static_cast<float>(now - lastErrorStepMs_) / 1000.0f;
    errorStepStarted_ = true;
    lastErrorStepMs_ = now;

    if (errorText_[0] == L'\0') ErrorText(errorCode_, errorText_, 400);

    const bool preview = saverMode_ == SaverMode::Preview;
    for (int m = 0; m < monitorCount_; ++m) {
        MonitorRecord& monitor = monitors_[m];
        HWND window = monitor.saverWindow;
        if (window == nullptr) continue;

        const RECT bounds = BoxBounds(window, monitor, saverMode_ == SaverMode::Fullscreen);
        if (monitor.errorWidth == 0.0f) {
            PlaceErrorBox(monitor, bounds, preview);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            continue;
        }
        if (preview) continue;

        const RECT oldRect = ErrorBoxRect(monitor);
        if (MoveErrorBox(monitor, bounds, dt)) {
            const RECT newRect = ErrorBoxRect(monitor);
            InvalidateRect(window, &oldRect, FALSE);
            InvalidateRect(window, &newRect, FALSE);
            UpdateWindow(window);
        }
    }
}

void CD3DScreensaver::PaintError(HWND window, HDC dc)
{
    // The test and preview windows find their record directly, so the box
    // shows whatever monitor the window is on.
    MonitorRecord* record = nullptr;
    for (int m = 0; m < monitorCount_ && record == nullptr; ++m) {
        if (monitors_[m].saverWindow == window) record = &monitors_[m];
    }
    if (record == nullptr) {
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        for (int m = 0; m < monitorCount_ && record == nullptr; ++m) {
            if (monitors_[m].monitor == monitor) record = &monitors_[m];
        }
    }
    if (record == nullptr) return;

    const RECT box = ErrorBoxRect(*record);
    if (record->errorWidth > 0) {
        FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RECT textRect = box;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, errorText_, -1, &textRect, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
        const LONG textHeight = textRect.bottom - textRect.top;
        textRect = box;
        textRect.top = (box.top + box.bottom - textHeight) / 2;
        DrawTextW(dc, errorText_, -1, &textRect, DT_WORDBREAK | DT_CENTER);
        ExcludeClipRect(dc, box.left, box.top, box.right, box.bottom);
    }
    const RECT screen = BoxBounds(window, *record, saverMode_ == SaverMode::Fullscreen);
    FillRect(dc, &screen, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
