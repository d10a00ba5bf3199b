// The display-settings dialog (templates 200 and 201). It edits the adapter
// records in place; the settings dialog's OK writes them, and this dialog's
// Cancel restores the copies taken when it opened.
#include "host/DisplaySettings.h"

#include "host/D3DScreensaver.h"
#include "res/ResourceIds.h"

#include <commctrl.h>

#include <cwchar>
#include <vector>

namespace {

// Item data of the "Automatic" entry of the mode list.
constexpr LPARAM kAutomaticEntry = -1;

constexpr int kModeControls[] = {IDC_MODE_GROUP, IDC_MODE_LABEL, IDC_MODE_LIST, IDC_MODE_NOTE};

std::wstring ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return std::wstring();
    const int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    return std::wstring(text.data());
}

std::wstring LoadText(HINSTANCE instance, UINT id)
{
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource's own text,
    // which is not NUL-terminated.
    const int length = LoadStringW(instance, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

void EnableControl(HWND dialog, int id, bool enable)
{
    HWND control = GetDlgItem(dialog, id);
    if (control != nullptr) EnableWindow(control, enable ? TRUE : FALSE);
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// The mode controls follow "Display nothing": greyed while it is checked,
// and always for a monitor without an adapter.
void EnableModeControls(HWND dialog, bool hasAdapter)
{
    const bool enable = hasAdapter && !IsChecked(dialog, IDC_LEAVE_BLACK);
    for (int id : kModeControls) EnableControl(dialog, id, enable);
}

}  // namespace

INT_PTR CALLBACK DisplaySettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    CD3DScreensaver* saver = TheScreensaver();
    return saver != nullptr ? saver->DisplaySettingsDialog(dialog, message, wparam, lparam) : FALSE;
}

bool CanRunSaver(const AdapterRecord& adapter)
{
    return (adapter.compatibleHal && adapter.disableHardware == 0) || adapter.compatibleSw;
}

UINT RenderingTextId(const AdapterRecord* adapter)
{
    if (adapter == nullptr) return IDS_RENDERING_NONE;
    if (adapter->hasHal && adapter->disableHardware == 0 && adapter->compatibleHal) return IDS_RENDERING_HARDWARE;
    if (adapter->compatibleSw) return IDS_RENDERING_SOFTWARE;
    return IDS_RENDERING_NONE;
}

UINT HelpTextId(const AdapterRecord* adapter)
{
    if (adapter == nullptr) return IDS_HELP_NO_HAL_NO_SW;
    const AdapterRecord& a = *adapter;
    // Which software line applies: none at all, one without a usable mode, or
    // a usable one.
    const int sw = !a.hasSw ? 0 : (!a.compatibleSw ? 1 : 2);
    if (a.hasHal && a.disableHardware == 0) {
        if (a.compatibleHal) return IDS_HELP_HAL;
        const UINT ids[] = {IDS_HELP_HAL_NO_SW, IDS_HELP_HAL_NO_COMPATIBLE_SW, IDS_HELP_HAL_USES_SW};
        return ids[sw];
    }
    if (a.hasHal) {
        const UINT ids[] = {IDS_HELP_DISABLED_NO_SW, IDS_HELP_DISABLED_NO_COMPATIBLE_SW, IDS_HELP_DISABLED_USES_SW};
        return ids[sw];
    }
    const UINT ids[] = {IDS_HELP_NO_HAL_NO_SW, IDS_HELP_NO_HAL_NO_COMPATIBLE_SW, IDS_HELP_NO_HAL_USES_SW};
    return ids[sw];
}

std::wstring FormatModeEntry(const wchar_t* pattern, UINT width, UINT height, D3DFORMAT format)
{
    const bool bits32 = format == D3DFMT_R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
    wchar_t text[128] = {};
    swprintf(text, 128, pattern, static_cast<int>(width), static_cast<int>(height), bits32 ? 32 : 16);
    return text;
}

int CD3DScreensaver::DisplaySettingsDialogId() const
{
    return adapterCount_ < 2 ? IDD_DISPLAY_SINGLE : IDD_DISPLAY_MULTIPLE;
}

void CD3DScreensaver::ShowDisplaySettings(HWND owner)
{
    HINSTANCE instance = instance_ != nullptr ? instance_ : GetModuleHandleW(nullptr);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(DisplaySettingsDialogId()), owner, DisplaySettingsDialogProc, 0);
}

int CD3DScreensaver::SelectedMonitor(HWND dialog) const
{
    HWND tabs = GetDlgItem(dialog, IDC_MONITOR_TABS);
    if (tabs == nullptr) return 0;
    const int selected = TabCtrl_GetCurSel(tabs);
    return selected < 0 ? 0 : selected;
}

AdapterRecord* CD3DScreensaver::MonitorAdapter(int monitor) const
{
    if (monitor < 0 || monitor >= monitorCount_) return nullptr;
    const int a = monitors_[monitor].adapterIndex;
    if (a < 0 || a >= adapterCount_) return nullptr;
    return adapters_[a].get();
}

INT_PTR CD3DScreensaver::DisplaySettingsDialog(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND tabs = GetDlgItem(dialog, IDC_MONITOR_TABS);
        if (tabs != nullptr) {
            const std::wstring pattern = ControlText(dialog, IDC_MONITOR_TEMPLATE);
            for (int m = 0; m < monitorCount_; ++m) {
                wchar_t label[64] = {};
                swprintf(label, 64, pattern.c_str(), m + 1);
                TCITEMW item = {};
                item.mask = TCIF_TEXT;
                item.pszText = label;
                TabCtrl_InsertItem(tabs, m, &item);
            }
        }
        for (int a = 0; a < kMaxAdapters; ++a) {
            savedAdapters_[a].reset();
            if (a < adapterCount_ && adapters_[a]) savedAdapters_[a] = std::make_unique<AdapterRecord>(*adapters_[a]);
        }
        savedAllScreensSame_ = allScreensSame_;
        UpdateDisplaySettingsControls(dialog);
        CheckDlgButton(dialog, IDC_ALL_SCREENS_SAME, allScreensSame_ != 0 ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header == nullptr || header->idFrom != IDC_MONITOR_TABS || header->code != TCN_SELCHANGE) return FALSE;
        UpdateDisplaySettingsControls(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        break;
    default:
        return FALSE;
    }

    const int monitor = SelectedMonitor(dialog);
    AdapterRecord* adapter = MonitorAdapter(monitor);
    switch (LOWORD(wparam)) {
    case IDOK:
        for (auto& saved : savedAdapters_) saved.reset();
        EndDialog(dialog, IDOK);
        break;
    case IDCANCEL:
        for (int a = 0; a < kMaxAdapters; ++a) {
            if (savedAdapters_[a] && a < adapterCount_ && adapters_[a]) *adapters_[a] = *savedAdapters_[a];
            savedAdapters_[a].reset();
        }
        allScreensSame_ = savedAllScreensSame_;
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_DISPLAY_HELP:
        if (HIWORD(wparam) == BN_CLICKED) {
            HINSTANCE instance = instance_ != nullptr ? instance_ : GetModuleHandleW(nullptr);
            const std::wstring text = LoadText(instance, HelpTextId(adapter));
            MessageBoxW(dialog, text.c_str(), monitors_[monitor].adapterDescription, MB_ICONINFORMATION);
        }
        break;
    case IDC_DISABLE_HARDWARE:
        if (adapter != nullptr && HIWORD(wparam) == BN_CLICKED) {
            adapter->disableHardware = IsChecked(dialog, IDC_DISABLE_HARDWARE) ? 1 : 0;
            UpdateDisplaySettingsControls(dialog);
        }
        break;
    case IDC_SHOW_SAVER:
    case IDC_LEAVE_BLACK:
        if (adapter != nullptr && HIWORD(wparam) == BN_CLICKED) {
            adapter->leaveBlack = IsChecked(dialog, IDC_LEAVE_BLACK) ? 1 : 0;
            EnableModeControls(dialog, true);
        }
        break;
    case IDC_MODE_LIST:
        if (adapter != nullptr && HIWORD(wparam) == CBN_SELCHANGE) {
            HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
            const LRESULT entry = SendMessageW(list, CB_GETCURSEL, 0, 0);
            const LRESULT data = entry == CB_ERR ? kAutomaticEntry : SendMessageW(list, CB_GETITEMDATA, entry, 0);
            // Anything but a mode index of the first device type, CB_ERR
            // included, means "Automatic".
            const bool isMode = adapter->deviceTypeCount > 0 && data >= 0 &&
                                data < static_cast<LRESULT>(adapter->deviceTypes[0].modeCount);
            if (isMode) {
                const ModeRecord& mode = adapter->deviceTypes[0].modes[data];
                adapter->storedWidth = mode.width;
                adapter->storedHeight = mode.height;
                adapter->storedFormat = static_cast<DWORD>(mode.format);
            } else {
                adapter->storedWidth = adapter->storedHeight = adapter->storedFormat = 0;
            }
        }
        break;
    case IDC_ALL_SCREENS_SAME:
        if (HIWORD(wparam) == BN_CLICKED) allScreensSame_ = IsChecked(dialog, IDC_ALL_SCREENS_SAME) ? 1 : 0;
        break;
    default:
        break;
    }
    return TRUE;
}

void CD3DScreensaver::UpdateDisplaySettingsControls(HWND dialog)
{
    const int monitor = SelectedMonitor(dialog);
    const AdapterRecord* adapter = MonitorAdapter(monitor);
    HINSTANCE instance = instance_ != nullptr ? instance_ : GetModuleHandleW(nullptr);

    SetDlgItemTextW(dialog, IDC_ADAPTER_NAME, monitor < monitorCount_ ? monitors_[monitor].adapterDescription : L"");
    SetDlgItemTextW(dialog, IDC_RENDERING, LoadText(instance, RenderingTextId(adapter)).c_str());

    const bool hardwareChoice = adapter != nullptr && adapter->compatibleHal;
    EnableControl(dialog, IDC_DISABLE_HARDWARE, hardwareChoice);
    CheckDlgButton(dialog, IDC_DISABLE_HARDWARE,
                   hardwareChoice && adapter->disableHardware != 0 ? BST_CHECKED : BST_UNCHECKED);

    const bool canRun = adapter != nullptr && CanRunSaver(*adapter);
    for (int id : {IDC_MONITOR_USAGE, IDC_SHOW_SAVER, IDC_LEAVE_BLACK}) EnableControl(dialog, id, canRun);
    const bool leaveBlack = !canRun || adapter->leaveBlack != 0;
    CheckDlgButton(dialog, IDC_SHOW_SAVER, leaveBlack ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dialog, IDC_LEAVE_BLACK, leaveBlack ? BST_CHECKED : BST_UNCHECKED);
    EnableModeControls(dialog, adapter != nullptr);

    HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
    if (list == nullptr) return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    if (adapter == nullptr) return;
    const std::wstring automatic = ControlText(dialog, IDC_AUTOMATIC_TEMPLATE);
    const LRESULT first = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(automatic.c_str()));
    SendMessageW(list, CB_SETITEMDATA, first, kAutomaticEntry);
    LRESULT selected = first;
    if (adapter->deviceTypeCount > 0) {
        const std::wstring pattern = ControlText(dialog, IDC_MODE_TEMPLATE);
        const DeviceTypeRecord& type = adapter->deviceTypes[0];
        for (unsigned i = 0; i < type.modeCount && i < static_cast<unsigned>(kMaxModesPerDeviceType); ++i) {
            const ModeRecord& mode = type.modes[i];
            const std::wstring text = FormatModeEntry(pattern.c_str(), mode.width, mode.height, mode.format);
            const LRESULT entry = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            if (entry < 0) continue;
            SendMessageW(list, CB_SETITEMDATA, entry, static_cast<LPARAM>(i));
            if (mode.width == adapter->storedWidth && mode.height == adapter->storedHeight &&
                static_cast<DWORD>(mode.format) == adapter->storedFormat) {
                selected = entry;
            }
        }
    }
    SendMessageW(list, CB_SETCURSEL, selected, 0);
}
