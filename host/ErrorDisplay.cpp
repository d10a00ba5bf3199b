// The error display: stored failure codes become string-table messages,
// shown in a message box or in a box that floats over the black saver windows.
#include "host/D3DScreensaver.h"
#include "host/ErrorMessages.h"

#include <mmsystem.h>

namespace {

constexpr float kBoxWidth = 300.0f;
constexpr float kBoxHeight = 150.0f;

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

        RECT bounds;
        if (saverMode_ == SaverMode::Fullscreen) {
            bounds = monitor.screenRect;
            POINT topLeft = {bounds.left, bounds.top};
            POINT bottomRight = {bounds.right, bounds.bottom};
            ScreenToClient(window, &topLeft);
            ScreenToClient(window, &bottomRight);
            bounds = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        } else {
            GetClientRect(window, &bounds);
        }
        const float boundsWidth = static_cast<float>(bounds.right - bounds.left);
        const float boundsHeight = static_cast<float>(bounds.bottom - bounds.top);

        if (monitor.errorWidth == 0.0f) {
            if (preview) {
                monitor.errorX = 0;
                monitor.errorY = 0;
                monitor.errorWidth = boundsWidth;
                monitor.errorHeight = boundsHeight;
                monitor.errorVelX = monitor.errorVelY = 0;
            } else {
                monitor.errorWidth = kBoxWidth;
                monitor.errorHeight = kBoxHeight;
                monitor.errorX = static_cast<float>(bounds.left) + (boundsWidth - kBoxWidth) / 2.0f;
                monitor.errorY = static_cast<float>(bounds.top) + (boundsHeight - kBoxHeight) / 2.0f;
                monitor.errorVelX = boundsWidth / 10.0f;
                monitor.errorVelY = boundsHeight / 20.0f;
            }
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            continue;
        }
        if (preview) continue;

        const RECT oldRect = {static_cast<LONG>(monitor.errorX), static_cast<LONG>(monitor.errorY),
                              static_cast<LONG>(monitor.errorX + monitor.errorWidth),
                              static_cast<LONG>(monitor.errorY + monitor.errorHeight)};
        const float dx = monitor.errorVelX * dt;
        const float dy = monitor.errorVelY * dt;
        if ((monitor.errorX + monitor.errorWidth + dx > bounds.right && monitor.errorVelX > 0) ||
            (monitor.errorX + dx < bounds.left && monitor.errorVelX < 0)) {
            monitor.errorVelX = -monitor.errorVelX;
        }
        if ((monitor.errorY + monitor.errorHeight + dy > bounds.bottom && monitor.errorVelY > 0) ||
            (monitor.errorY + dy < bounds.top && monitor.errorVelY < 0)) {
            monitor.errorVelY = -monitor.errorVelY;
        }
        monitor.errorX += monitor.errorVelX * dt;
        monitor.errorY += monitor.errorVelY * dt;
        const RECT newRect = {static_cast<LONG>(monitor.errorX), static_cast<LONG>(monitor.errorY),
                              static_cast<LONG>(monitor.errorX + monitor.errorWidth),
                              static_cast<LONG>(monitor.errorY + monitor.errorHeight)};
        if (newRect.left != oldRect.left || newRect.top != oldRect.top) {
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

    RECT box = {static_cast<LONG>(record->errorX), static_cast<LONG>(record->errorY),
                static_cast<LONG>(record->errorX + record->errorWidth),
                static_cast<LONG>(record->errorY + record->errorHeight)};
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
    RECT screen;
    if (saverMode_ == SaverMode::Fullscreen) {
        screen = record->screenRect;
        POINT topLeft = {screen.left, screen.top};
        POINT bottomRight = {screen.right, screen.bottom};
        ScreenToClient(window, &topLeft);
        ScreenToClient(window, &bottomRight);
        screen = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    } else {
        GetClientRect(window, &screen);
    }
    FillRect(dc, &screen, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
