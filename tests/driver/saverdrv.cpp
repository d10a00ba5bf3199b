// Windows-side helper of the end-to-end tests. Runs in the same Wine prefix
// and display as the screensaver and answers one command per run:
//
//   saverdrv windows CLASS            one line per top-level or child window of
//                                      that class: hwnd pid style exstyle
//                                      left top right bottom clientW clientH
//                                      parent owner topmost title
//   saverdrv post HWND MSG WPARAM LPARAM   PostMessageW (numbers in decimal or 0x hex)
//   saverdrv cursor                   prints the cursor position "x y"
//   saverdrv host W H                 makes a visible top-level window with a
//                                      W x H client, prints its handle, and runs
//                                      until that window is closed
//   saverdrv children HWND            child windows of HWND, as for "windows"
//   saverdrv errorbox TEXT            the saver's 300 x 150 error box with TEXT,
//                                      painted the way the saver paints it: one
//                                      line per row inside the frame, '#' where a
//                                      pixel is not the window colour, '.' elsewhere
//   saverdrv controls HWND            one line per direct child of a dialog, fields
//                                      separated by tabs: hwnd id class enabled
//                                      visible checked selection left top right
//                                      bottom text, then a combo box's entries;
//                                      selection is a combo box's or tab control's
//                                      selection, a trackbar's position, else -1
//   saverdrv click HWND ID            posts BM_CLICK to a dialog's button: the
//                                      button checks itself and notifies the
//                                      dialog as a user's click does
//   saverdrv select HWND ID INDEX     selects a combo box entry and posts the
//                                      CBN_SELCHANGE a user's choice sends
//   saverdrv trackbar HWND ID POS     moves a trackbar
//   saverdrv move HWND X Y            moves a top-level window to (X, Y)
//   saverdrv record FILE ...          stands in for a program started by another:
//                                      writes its own command line to FILE (UTF-8)
//
// Exit code 0 on success, 2 on bad arguments.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

struct Search {
    const wchar_t* className;
    HWND parent;
};

unsigned long ParseNumber(const char* text)
{
    return std::strtoul(text, nullptr, 0);
}

void PrintWindow(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT rc = {};
    GetWindowRect(window, &rc);
    RECT client = {};
    GetClientRect(window, &client);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 255);
    char utf8[768] = {};
    WideCharToMultiByte(CP_UTF8, 0, title, -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    const HWND parent = GetAncestor(window, GA_PARENT);
    const HWND owner = GetWindow(window, GW_OWNER);
    std::printf("%lu %lu 0x%08lx 0x%08lx %ld %ld %ld %ld %ld %ld %lu %lu %d %s\n",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)), static_cast<unsigned long>(pid),
                static_cast<unsigned long>(style), static_cast<unsigned long>(exStyle), rc.left, rc.top, rc.right,
                rc.bottom, client.right - client.left, client.bottom - client.top,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)),
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(owner)),
                (exStyle & WS_EX_TOPMOST) != 0 ? 1 : 0, utf8);
}

// EnumChildWindows already walks every descendant, so only top-level
// windows start a walk of their own.
BOOL CALLBACK VisitChild(HWND window, LPARAM param)
{
    const Search* search = reinterpret_cast<const Search*>(param);
    wchar_t name[256] = {};
    GetClassNameW(window, name, 255);
    if (search->className == nullptr || std::wcscmp(name, search->className) == 0) PrintWindow(window);
    return TRUE;
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM param)
{
    VisitChild(window, param);
    EnumChildWindows(window, VisitChild, param);
    return TRUE;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int RunHost(int width, int height)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"SaverDriverHost";
    RegisterClassW(&wc);
    RECT rc = {0, 0, width, height};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
    AdjustWindowRect(&rc, style, FALSE);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Preview host", style, 700, 400, rc.right - rc.left,
                                  rc.bottom - rc.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (window == nullptr) return 1;
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The same painting as the saver's error box, into a bitmap: the window
// colour framed in black, the text word-wrapped, centred both ways, in the
// device context's default font.
int PrintErrorBox(const wchar_t* text)
{
    constexpr int kWidth = 300;
    constexpr int kHeight = 150;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    if (dc == nullptr || bitmap == nullptr) return 1;
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    const RECT box = {0, 0, kWidth, kHeight};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT textRect = box;
    DrawTextW(dc, text, -1, &textRect, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    const LONG textHeight = textRect.bottom - textRect.top;
    textRect = box;
    textRect.top = (box.top + box.bottom - textHeight) / 2;
    DrawTextW(dc, text, -1, &textRect, DT_WORDBREAK | DT_CENTER);
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    for (int y = 1; y < kHeight - 1; ++y) {
        for (int x = 1; x < kWidth - 1; ++x) std::putchar(GetPixel(dc, x, y) == background ? '.' : '#');
        std::putchar('\n');
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return 0;
}

std::string Utf8(const wchar_t* text)
{
    char utf8[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    return utf8;
}

// The text of an entry of a combo box in another process (Wine copies the
// text across for CB_GETLBTEXT).
std::string ComboEntry(HWND combo, int index)
{
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length < 0 || length > 1000) return std::string();
    wchar_t text[1024] = {};
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

BOOL CALLBACK PrintControl(HWND control, LPARAM param)
{
    if (GetParent(control) != reinterpret_cast<HWND>(param)) return TRUE;
    wchar_t name[256] = {};
    GetClassNameW(control, name, 255);
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1023);
    RECT rc = {};
    GetWindowRect(control, &rc);
    long selection = -1;
    const bool combo = _wcsicmp(name, L"ComboBox") == 0;
    if (combo) {
        selection = static_cast<long>(SendMessageW(control, CB_GETCURSEL, 0, 0));
    } else if (_wcsicmp(name, L"SysTabControl32") == 0) {
        selection = static_cast<long>(SendMessageW(control, TCM_GETCURSEL, 0, 0));
    } else if (_wcsicmp(name, L"msctls_trackbar32") == 0) {
        selection = static_cast<long>(SendMessageW(control, TBM_GETPOS, 0, 0));
    }
    const bool button = _wcsicmp(name, L"Button") == 0;
    const long checked = button ? static_cast<long>(SendMessageW(control, BM_GETCHECK, 0, 0)) : 0;
    std::printf("%lu\t%d\t%s\t%d\t%d\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%s",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(control)), GetDlgCtrlID(control),
                Utf8(name).c_str(), IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0, checked,
                selection, rc.left, rc.top, rc.right, rc.bottom, Utf8(text).c_str());
    if (combo) {
        const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) std::printf("\t%s", ComboEntry(control, static_cast<int>(i)).c_str());
    }
    std::printf("\n");
    return TRUE;
}

int RecordCommandLine(const char* path)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    std::fputs(Utf8(GetCommandLineW()).c_str(), file);
    std::fclose(file);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    const char* command = argv[1];
    if (std::strcmp(command, "windows") == 0 && argc >= 3) {
        wchar_t name[256] = {};
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, name, 255);
        Search search = {name, nullptr};
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
        return 0;
    }
    if (std::strcmp(command, "children") == 0 && argc >= 3) {
        HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        Search search = {nullptr, parent};
        EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&search));
        return 0;
    }
    if (std::strcmp(command, "post") == 0 && argc >= 6) {
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        const BOOL ok = PostMessageW(window, static_cast<UINT>(ParseNumber(argv[3])),
                                     static_cast<WPARAM>(ParseNumber(argv[4])),
                                     static_cast<LPARAM>(ParseNumber(argv[5])));
        return ok ? 0 : 1;
    }
    if (std::strcmp(command, "cursor") == 0) {
        POINT pt = {};
        GetCursorPos(&pt);
        std::printf("%ld %ld\n", pt.x, pt.y);
        return 0;
    }
    if (std::strcmp(command, "host") == 0 && argc >= 4) {
        return RunHost(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (std::strcmp(command, "controls") == 0 && argc >= 3) {
        HWND dialog = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        EnumChildWindows(dialog, PrintControl, reinterpret_cast<LPARAM>(dialog));
        return 0;
    }
    if (std::strcmp(command, "click") == 0 && argc >= 4) {
        HWND dialog = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        HWND button = GetDlgItem(dialog, static_cast<int>(ParseNumber(argv[3])));
        return button != nullptr && PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (std::strcmp(command, "select") == 0 && argc >= 5) {
        HWND dialog = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        const int id = static_cast<int>(ParseNumber(argv[3]));
        HWND combo = GetDlgItem(dialog, id);
        if (combo == nullptr) return 1;
        if (SendMessageW(combo, CB_SETCURSEL, ParseNumber(argv[4]), 0) == CB_ERR) return 1;
        return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo)) ? 0
                                                                                                                 : 1;
    }
    if (std::strcmp(command, "trackbar") == 0 && argc >= 5) {
        HWND dialog = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        HWND trackbar = GetDlgItem(dialog, static_cast<int>(ParseNumber(argv[3])));
        if (trackbar == nullptr) return 1;
        SendMessageW(trackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(ParseNumber(argv[4])));
        return 0;
    }
    if (std::strcmp(command, "move") == 0 && argc >= 5) {
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(argv[2])));
        return SetWindowPos(window, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (std::strcmp(command, "record") == 0 && argc >= 3) {
        return RecordCommandLine(argv[2]);
    }
    if (std::strcmp(command, "errorbox") == 0 && argc >= 3) {
        wchar_t text[512] = {};
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, text, 511);
        return PrintErrorBox(text);
    }
    return 2;
}
