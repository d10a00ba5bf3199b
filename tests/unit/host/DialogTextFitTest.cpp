// Every label of the program's dialogs fits its control in the fonts this
// machine's Wine gives the shell dialog font: each text is measured in its
// control's own font the way the control draws it, wrapped at the control's
// width where the control has room for more than one line.
#include "res/ResourceIds.h"
#include "tests/unit/host/DialogTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Width and height of text in the control's font; wrapped at wrapWidth when
// it is above 0.
SIZE Measure(HWND control, const std::wstring& text, int wrapWidth, UINT flags)
{
    HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
    DrawTextW(dc, text.c_str(), -1, &rect, flags | DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int LineHeight(HWND control)
{
    return Measure(control, L"Xg", 0, 0).cy;
}

// Room for text inside a control, by its kind: a check box or radio button
// loses its mark and the gap after it, a push button and a group box their
// frames.
struct Room {
    int width;
    int height;
    bool wraps;
};

Room TextRoom(HWND control, const wchar_t* className)
{
    RECT client = {};
    GetClientRect(control, &client);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    Room room = {client.right, client.bottom, false};
    if (_wcsicmp(className, L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            room.width -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
            break;
        case BS_GROUPBOX:
            room.width -= 16;
            break;
        default:
            room.width -= 8;
            room.height -= 4;
            break;
        }
    } else {
        room.wraps = client.bottom >= 2 * LineHeight(control);
    }
    return room;
}

struct TextOfControl {
    int id;
    std::wstring text;
};

struct FitCase {
    const char* name;
    int templateId;
    // Texts the program puts into controls at run time, each measured in turn.
    std::vector<TextOfControl> runtimeTexts;
};

class DialogTextFit : public ::testing::TestWithParam<FitCase> {
protected:
    void SetUp() override { InitCommonControls(); }

    void ExpectFits(HWND control, const std::wstring& text)
    {
        wchar_t className[64] = {};
        GetClassNameW(control, className, 63);
        const Room room = TextRoom(control, className);
        const UINT flags = (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) != 0 &&
                                   _wcsicmp(className, L"Static") == 0
                               ? DT_NOPREFIX
                               : 0;
        const SIZE size = Measure(control, text, room.wraps ? room.width : 0, flags);
        EXPECT_LE(size.cx, room.width) << "control " << GetDlgCtrlID(control) << " too narrow for its text";
        EXPECT_LE(size.cy, room.height) << "control " << GetDlgCtrlID(control) << " too low for its text";
    }
};

BOOL CALLBACK CollectControl(HWND control, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(control);
    return TRUE;
}

TEST_P(DialogTextFit, EveryVisibleLabelFitsItsControl)
{
    const FitCase& c = GetParam();
    TestDialog dialog(c.templateId, PlainDialogProc);
    ASSERT_NE(dialog.Window(), nullptr);
    std::vector<HWND> controls;
    EnumChildWindows(dialog.Window(), CollectControl, reinterpret_cast<LPARAM>(&controls));
    int measured = 0;
    for (HWND control : controls) {
        if (GetParent(control) != dialog.Window()) continue;
        if ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) == 0) continue;
        wchar_t className[64] = {};
        GetClassNameW(control, className, 63);
        if (_wcsicmp(className, L"Static") != 0 && _wcsicmp(className, L"Button") != 0) continue;
        wchar_t text[512] = {};
        GetWindowTextW(control, text, 511);
        if (text[0] == L'\0') continue;
        SCOPED_TRACE(::testing::Message() << "text of control " << GetDlgCtrlID(control));
        ExpectFits(control, text);
        ++measured;
    }
    EXPECT_GT(measured, 3);
    for (const TextOfControl& runtime : c.runtimeTexts) {
        SCOPED_TRACE(::testing::Message() << "run-time text of control " << runtime.id);
        ExpectFits(dialog.Item(runtime.id), runtime.text);
    }
}

std::wstring StringText(UINT id)
{
    wchar_t text[512] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, 511);
    return text;
}

std::vector<TextOfControl> DisplayRuntimeTexts()
{
    std::vector<TextOfControl> texts;
    for (UINT id : {IDS_RENDERING_HARDWARE, IDS_RENDERING_SOFTWARE, IDS_RENDERING_NONE}) {
        texts.push_back({IDC_RENDERING, StringText(id)});
    }
    texts.push_back({IDC_ADAPTER_NAME, L"NVIDIA GeForce GTX 470"});
    return texts;
}

const FitCase kFitCases[] = {
    {"Settings", IDD_SETTINGS, {}},
    {"DisplayOneAdapter", IDD_DISPLAY_SINGLE, DisplayRuntimeTexts()},
    {"DisplayPerMonitor", IDD_DISPLAY_MULTIPLE, DisplayRuntimeTexts()},
    {"Sound", IDD_SOUND, {}},
};

INSTANTIATE_TEST_SUITE_P(Table, DialogTextFit, ::testing::ValuesIn(kFitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogTextFitList, ModeListFitsItsLongestEntry)
{
    InitCommonControls();
    for (int templateId : {IDD_DISPLAY_SINGLE, IDD_DISPLAY_MULTIPLE}) {
        TestDialog dialog(templateId, PlainDialogProc);
        HWND list = dialog.Item(IDC_MODE_LIST);
        ASSERT_NE(list, nullptr);
        RECT rect = {};
        GetClientRect(list, &rect);
        // The entry shares the closed list with the drop-down button.
        const int room = rect.right - GetSystemMetrics(SM_CXVSCROLL) - 6;
        for (const wchar_t* entry : {L"Automatic", L"16384 by 16384, 32 bit color"}) {
            EXPECT_LE(Measure(list, entry, 0, DT_NOPREFIX).cx, room) << "dialog " << templateId;
        }
    }
}

// Which face the shell dialog font becomes here: the layout above is
// measured in it, so a test log says which one that was.
TEST(DialogTextFitList, ShellDialogFontFace)
{
    TestDialog dialog(IDD_SETTINGS, PlainDialogProc);
    HDC dc = GetDC(dialog.Window());
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog.Window(), WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    ReleaseDC(dialog.Window(), dc);
    EXPECT_NE(face[0], L'\0');
    char narrow[LF_FACESIZE * 2] = {};
    WideCharToMultiByte(CP_UTF8, 0, face, -1, narrow, sizeof(narrow) - 1, nullptr, nullptr);
    RecordProperty("shell_dialog_face", narrow);
    std::printf("shell dialog font face: %s\n", narrow);
}

}  // namespace
