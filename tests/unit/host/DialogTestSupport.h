// Helpers of the dialog tests: a private registry root that stands in for a
// predefined key, dialogs made modeless from the program's own templates,
// and a catcher for the message boxes a dialog opens.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/D3DScreensaver.h"
#include "tests/unit/host/FakeDirect3D.h"

// Points a predefined key (HKEY_CURRENT_USER, HKEY_CLASSES_ROOT) at a fresh
// key of this test process for the object's lifetime. The key is named after
// the process: the test runner starts many processes at once in one Wine
// prefix, and they share its registry.
class PrivateRegistryRoot {
public:
    PrivateRegistryRoot(HKEY predefined, const wchar_t* name)
        : predefined_(predefined),
          path_(std::wstring(L"Software\\CorvallineTests\\") + name + std::to_wstring(GetCurrentProcessId()))
    {
        // The root is made under the real HKEY_CURRENT_USER before any
        // override, and deleted there afterwards.
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &root_, nullptr) == ERROR_SUCCESS) {
            overridden_ = RegOverridePredefKey(predefined_, root_) == ERROR_SUCCESS;
        }
    }
    ~PrivateRegistryRoot()
    {
        if (overridden_) RegOverridePredefKey(predefined_, nullptr);
        if (root_ != nullptr) RegCloseKey(root_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    PrivateRegistryRoot(const PrivateRegistryRoot&) = delete;
    PrivateRegistryRoot& operator=(const PrivateRegistryRoot&) = delete;

    bool Ready() const { return overridden_; }
    HKEY Root() const { return root_; }

private:
    HKEY predefined_;
    std::wstring path_;
    HKEY root_ = nullptr;
    bool overridden_ = false;
};

// Links monitor i to adapter i of the fake and enumerates its devices.
inline void PrepareAdapters(CD3DScreensaver& saver, FakeDirect3D& fake)
{
    saver.monitorCount_ = static_cast<int>(fake.adapters.size());
    for (size_t i = 0; i < fake.adapters.size(); ++i) {
        saver.monitors_[i].monitor = fake.adapters[i].monitor;
        swprintf(saver.monitors_[i].adapterDescription, 128, L"Test Adapter %d", static_cast<int>(i + 1));
    }
    saver.SetDirect3D(&fake);
    saver.EnumerateDevices();
}

// A dialog of the test program's resources (the program's templates), made
// modeless so that a test can drive it with messages; destroyed with the object.
class TestDialog {
public:
    TestDialog(int templateId, DLGPROC procedure)
        : window_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr, procedure, 0))
    {
    }
    ~TestDialog()
    {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    std::wstring Text(int id) const
    {
        wchar_t text[1024] = {};
        GetDlgItemTextW(window_, id, text, 1023);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    // A button click as the user makes it: the button checks itself and
    // notifies the dialog.
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // A combo box choice as the user makes it: the selection, then CBN_SELCHANGE.
    void Select(int id, int entry) const
    {
        SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(id)));
    }
    std::vector<std::wstring> ComboEntries(int id) const
    {
        std::vector<std::wstring> entries;
        const LRESULT count = SendMessageW(Item(id), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    int ComboSelection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }

private:
    HWND window_;
};

// Runs action and closes every message box it opens on this thread,
// recording the caption and text of the first one. The box is closed from a
// thread timer, which the box's own modal loop dispatches.
struct CaughtMessageBox {
    bool shown = false;
    std::wstring caption;
    std::wstring text;
};

namespace dialog_test_detail {

inline CaughtMessageBox*& CurrentCatch()
{
    static CaughtMessageBox* current = nullptr;
    return current;
}

inline BOOL CALLBACK CloseBox(HWND window, LPARAM)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 63);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) == nullptr) {
        return TRUE;
    }
    CaughtMessageBox* caught = CurrentCatch();
    if (caught != nullptr && !caught->shown) {
        caught->shown = true;
        wchar_t text[1024] = {};
        GetWindowTextW(window, text, 1023);
        caught->caption = text;
        // The message text is the box's static control.
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t childClass[64] = {};
            GetClassNameW(child, childClass, 63);
            text[0] = L'\0';
            GetWindowTextW(child, text, 1023);
            if (_wcsicmp(childClass, L"Static") == 0 && text[0] != L'\0') caught->text = text;
        }
    }
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

inline void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
}

}  // namespace dialog_test_detail

template <typename Action>
CaughtMessageBox CatchMessageBox(Action action)
{
    CaughtMessageBox caught;
    dialog_test_detail::CurrentCatch() = &caught;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, dialog_test_detail::CloseBoxes);
    action();
    KillTimer(nullptr, timer);
    dialog_test_detail::CurrentCatch() = nullptr;
    return caught;
}
