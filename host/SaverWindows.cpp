// Saver windows, the one window procedure and the input that ends the saver.
#include "host/D3DScreensaver.h"

#include "sound/MusicGraph.h"

#include <pbt.h>

namespace {

constexpr wchar_t kWindowClass[] = L"D3DSaverWndClass";
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewWaitMs = 500;

// Last mouse position seen by any saver window; (-1, -1) until the first move.
struct MousePosition {
    short x = -1;
    short y = -1;
};
MousePosition g_lastMouse;

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    CD3DScreensaver* saver = TheScreensaver();
    if (saver == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    try {
        return saver->WindowProc(window, message, wparam, lparam);
    } catch (...) {
        return 1;
    }
}

}  // namespace

int CD3DScreensaver::CreateSaverWindows()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverWindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(101));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);

    switch (saverMode_) {
    case SaverMode::Preview: {
        RECT rc = {};
        if (parentWindow_ == nullptr || !IsWindow(parentWindow_)) return E_FAIL;
        GetClientRect(parentWindow_, &rc);
        const DWORD style = WS_CHILD | WS_VISIBLE;
        AdjustWindowRect(&rc, style, FALSE);
        mainWindow_ = CreateWindowExW(0, kWindowClass, windowTitle_, style, rc.left, rc.top,
                                      rc.right - rc.left, rc.bottom - rc.top, parentWindow_, nullptr,
                                      instance_, this);
        break;
    }
    case SaverMode::Fullscreen:
        for (int i = 0; i < monitorCount_; ++i) {
            MonitorRecord& monitor = monitors_[i];
            if (monitor.monitor == nullptr) continue;
            const RECT& rc = monitor.screenRect;
            HWND window = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, windowTitle_, WS_POPUP | WS_VISIBLE,
                                          rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                                          mainWindow_, nullptr, instance_, this);
            if (window == nullptr) return E_FAIL;
            monitor.saverWindow = window;
            if (mainWindow_ == nullptr) mainWindow_ = window;
        }
        break;
    case SaverMode::TestWindow: {
        RECT rc = {50, 50, 50 + testWindowSize_.cx, 50 + testWindowSize_.cy};
        const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        AdjustWindowRect(&rc, style, FALSE);
        mainWindow_ = CreateWindowExW(0, kWindowClass, windowTitle_, style, rc.left, rc.top,
                                      rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr, instance_,
                                      this);
        break;
    }
    default:
        break;
    }

    if ((saverMode_ == SaverMode::Preview || saverMode_ == SaverMode::TestWindow) && mainWindow_ != nullptr) {
        if (monitorCount_ == 0) monitorCount_ = 1;
        monitors_[0].saverWindow = mainWindow_;
        GetClientRect(mainWindow_, &renderRect_);
        renderRectCopy_ = renderRect_;
    }
    return mainWindow_ != nullptr ? 0 : E_FAIL;
}

LRESULT CD3DScreensaver::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    const bool fullscreen = saverMode_ == SaverMode::Fullscreen;
    const bool testWindow = saverMode_ == SaverMode::TestWindow;
    switch (message) {
    case WM_DESTROY:
        if (saverMode_ == SaverMode::Preview || testWindow) Shutdown();
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (saverMode_ == SaverMode::Preview && !errorFlag_) {
            RECT rc;
            GetClientRect(window, &rc);
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        } else {
            PaintError(window, dc);
        }
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATEAPP:
        if (wparam == FALSE && !testWindow) Interrupt();
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!testWindow) Interrupt();
        break;
    case WM_MOUSEMOVE:
        if (!testWindow) {
            const short x = static_cast<short>(LOWORD(lparam));
            const short y = static_cast<short>(HIWORD(lparam));
            if (x != g_lastMouse.x || y != g_lastMouse.y) {
                ++mouseMoveCount_;
                g_lastMouse.x = x;
                g_lastMouse.y = y;
                if (mouseMoveCount_ > 5) Interrupt();
            }
        }
        break;
    case WM_SETCURSOR:
        if (fullscreen) {
            SetCursor(nullptr);
            return 1;
        }
        break;
    case WM_SYSCOMMAND:
        if (fullscreen) {
            switch (wparam & 0xFFF0) {
            case SC_NEXTWINDOW:
            case SC_PREVWINDOW:
            case SC_CLOSE:
            case SC_SCREENSAVE:
                return 0;
            default:
                break;
            }
        }
        break;
    case WM_POWERBROADCAST:
        if (wparam == PBT_APMSUSPEND) Interrupt();
        break;
    case WM_USER:
        SetTimer(window, kPreviewTimer, kPreviewWaitMs, nullptr);
        break;
    case WM_TIMER:
        previewWaiting_ = false;
        KillTimer(window, kPreviewTimer);
        break;
    case kMusicEventMessage:
        // One graph event per message; after the graph is released the code
        // is -1, which nothing acts on.
        OnMusicEvent(GetMusicEvent());
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void CD3DScreensaver::Interrupt()
{
    if (saverMode_ != SaverMode::Fullscreen && saverMode_ != SaverMode::TestWindow) return;
    Shutdown();
}

void CD3DScreensaver::Shutdown()
{
    if (saverMode_ == SaverMode::Fullscreen) SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
    ReleaseDevices();
    CleanupScene();
    PostQuitMessage(0);
}
