// The display-settings dialogs made from the program's templates around
// scripted adapters and driven by messages: texts chosen from the adapter's
// devices, the mode list, what each control stores in the adapter records,
// Cancel, tabs per monitor and a monitor without an adapter.
#include "host/D3DScreensaver.h"
#include "host/DisplaySettings.h"
#include "res/ResourceIds.h"
#include "tests/unit/host/DialogTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kModeControls[] = {IDC_MODE_GROUP, IDC_MODE_LABEL, IDC_MODE_LIST, IDC_MODE_NOTE};

std::wstring StringText(UINT id)
{
    wchar_t text[512] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, 511);
    return text;
}

FakeAdapter TwoModeAdapter(HMONITOR monitor)
{
    FakeAdapter adapter;
    adapter.modes = {Mode(1024, 768), Mode(800, 600, D3DFMT_R5G6B5)};
    adapter.monitor = monitor;
    return adapter;
}

class DisplaySettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { InitCommonControls(); }

    // One monitor per fake adapter, each adapter with the two modes.
    void Prepare(int adapters)
    {
        for (int i = 0; i < adapters; ++i) {
            fake_.adapters.push_back(TwoModeAdapter(reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x1000 + i))));
        }
        PrepareAdapters(saver_, fake_);
    }

    void SelectTab(const TestDialog& dialog, int tab)
    {
        HWND tabs = dialog.Item(IDC_MONITOR_TABS);
        TabCtrl_SetCurSel(tabs, tab);
        NMHDR header = {tabs, IDC_MONITOR_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(dialog.Window(), WM_NOTIFY, IDC_MONITOR_TABS, reinterpret_cast<LPARAM>(&header));
    }

    void ExpectModeControlsEnabled(const TestDialog& dialog, bool enabled)
    {
        for (int id : kModeControls) EXPECT_EQ(dialog.Enabled(id), enabled) << "control " << id;
    }

    CD3DScreensaver saver_;
    FakeDirect3D fake_;
};

// ---- Texts from the adapter's devices ----

struct DeviceCase {
    const char* name;
    bool hasHal, compatibleHal, disabled, hasSw, compatibleSw;
    UINT help;
    UINT rendering;
    bool hardwareChoice;  // check box 2005 enabled
};

class DeviceTexts : public DisplaySettingsDialogTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceTexts, HelpRenderingLineAndHardwareChoice)
{
    const DeviceCase& c = GetParam();
    Prepare(1);
    AdapterRecord& adapter = *saver_.adapters_[0];
    adapter.hasHal = c.hasHal;
    adapter.compatibleHal = c.compatibleHal;
    adapter.disableHardware = c.disabled ? 1 : 0;
    adapter.hasSw = c.hasSw;
    adapter.compatibleSw = c.compatibleSw;

    TestDialog dialog(IDD_DISPLAY_SINGLE, DisplaySettingsDialogProc);
    ASSERT_NE(dialog.Window(), nullptr);
    EXPECT_EQ(dialog.Text(IDC_ADAPTER_NAME), L"Test Adapter 1");
    EXPECT_EQ(dialog.Text(IDC_RENDERING), StringText(c.rendering));
    EXPECT_EQ(dialog.Enabled(IDC_DISABLE_HARDWARE), c.hardwareChoice);
    EXPECT_EQ(dialog.Checked(IDC_DISABLE_HARDWARE), c.hardwareChoice && c.disabled);

    const CaughtMessageBox box = CatchMessageBox([&] { dialog.Click(IDC_DISPLAY_HELP); });
    ASSERT_TRUE(box.shown);
    EXPECT_EQ(box.caption, L"Test Adapter 1");
    EXPECT_EQ(box.text, StringText(c.help));
}

const DeviceCase kDeviceCases[] = {
    // hardware present, not disabled
    {"HalCompatible", true, true, false, false, false, 2200, 2210, true},
    {"HalNotCompatibleNoSw", true, false, false, false, false, 2203, 2212, false},
    {"HalNotCompatibleSwNotCompatible", true, false, false, true, false, 2202, 2212, false},
    {"HalNotCompatibleSwCompatible", true, false, false, true, true, 2201, 2211, false},
    // hardware present, disabled
    {"DisabledNoSw", true, true, true, false, false, 2209, 2212, true},
    {"DisabledSwNotCompatible", true, true, true, true, false, 2208, 2212, true},
    {"DisabledSwCompatible", true, true, true, true, true, 2207, 2211, true},
    // no hardware
    {"NoHalNoSw", false, false, false, false, false, 2206, 2212, false},
    {"NoHalSwNotCompatible", false, false, false, true, false, 2205, 2212, false},
    {"NoHalSwCompatible", false, false, false, true, true, 2204, 2211, false},
};

INSTANTIATE_TEST_SUITE_P(Table, DeviceTexts, ::testing::ValuesIn(kDeviceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DisplaySettingsTexts, MonitorWithoutAdapterHasNoRendererTexts)
{
    EXPECT_EQ(HelpTextId(nullptr), static_cast<UINT>(IDS_HELP_NO_HAL_NO_SW));
    EXPECT_EQ(RenderingTextId(nullptr), static_cast<UINT>(IDS_RENDERING_NONE));
}

TEST(DisplaySettingsTexts, ModeEntryBitsPerFormat)
{
    const wchar_t* pattern = L"%d by %d, %d bit color";
    EXPECT_EQ(FormatModeEntry(pattern, 1024, 768, D3DFMT_X8R8G8B8), L"1024 by 768, 32 bit color");
    EXPECT_EQ(FormatModeEntry(pattern, 1024, 768, D3DFMT_A8R8G8B8), L"1024 by 768, 32 bit color");
    EXPECT_EQ(FormatModeEntry(pattern, 640, 480, D3DFMT_R8G8B8), L"640 by 480, 32 bit color");
    EXPECT_EQ(FormatModeEntry(pattern, 800, 600, D3DFMT_R5G6B5), L"800 by 600, 16 bit color");
    EXPECT_EQ(FormatModeEntry(pattern, 800, 600, D3DFMT_A2R10G10B10), L"800 by 600, 16 bit color");
}

// ---- The mode list ----

struct ListCase {
    const char* name;
    DWORD width, height, format;  // stored mode
    int selected;
};

class ModeList : public DisplaySettingsDialogTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ModeList, ShowsAutomaticAndModesWithStoredOneSelected)
{
    const ListCase& c = GetParam();
    Prepare(1);
    AdapterRecord& adapter = *saver_.adapters_[0];
    adapter.storedWidth = c.width;
    adapter.storedHeight = c.height;
    adapter.storedFormat = c.format;
    TestDialog dialog(IDD_DISPLAY_SINGLE, DisplaySettingsDialogProc);
    const std::vector<std::wstring> expected = {L"Automatic", L"800 by 600, 16 bit color", L"1024 by 768, 32 bit color"};
    EXPECT_EQ(dialog.ComboEntries(IDC_MODE_LIST), expected);
    EXPECT_EQ(dialog.ComboSelection(IDC_MODE_LIST), c.selected);
    ExpectModeControlsEnabled(dialog, true);
}

const ListCase kListCases[] = {
    {"NoneStoredIsAutomatic", 0, 0, 0, 0},
    {"StoredModeSelected", 1024, 768, D3DFMT_X8R8G8B8, 2},
    {"SixteenBitModeSelected", 800, 600, D3DFMT_R5G6B5, 1},
    {"OtherFormatIsAutomatic", 800, 600, D3DFMT_X8R8G8B8, 0},
    {"MissingModeIsAutomatic", 1280, 1024, D3DFMT_X8R8G8B8, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, ModeList, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplaySettingsDialogTest, ChoosingAnEntryStoresItsModeAndAutomaticStoresZeros)
{
    Prepare(1);
    const AdapterRecord& adapter = *saver_.adapters_[0];
    TestDialog dialog(IDD_DISPLAY_SINGLE, DisplaySettingsDialogProc);
    dialog.Select(IDC_MODE_LIST, 2);
    EXPECT_EQ(adapter.storedWidth, 1024u);
    EXPECT_EQ(adapter.storedHeight, 768u);
    EXPECT_EQ(adapter.storedFormat, static_cast<DWORD>(D3DFMT_X8R8G8B8));
    dialog.Select(IDC_MODE_LIST, 0);
    EXPECT_EQ(adapter.storedWidth, 0u);
    EXPECT_EQ(adapter.storedHeight, 0u);
    EXPECT_EQ(adapter.storedFormat, 0u);

    // Item data that names no mode, CB_ERR among them, and no selection at
    // all count as "Automatic".
    dialog.Select(IDC_MODE_LIST, 1);
    ASSERT_EQ(adapter.storedWidth, 800u);
    SendMessageW(dialog.Item(IDC_MODE_LIST), CB_SETITEMDATA, 1, static_cast<LPARAM>(CB_ERR));
    dialog.Select(IDC_MODE_LIST, 1);
    EXPECT_EQ(adapter.storedWidth, 0u);
    dialog.Select(IDC_MODE_LIST, 2);
    SendMessageW(dialog.Item(IDC_MODE_LIST), CB_SETITEMDATA, 2, 7);
    dialog.Select(IDC_MODE_LIST, 2);
    EXPECT_EQ(adapter.storedWidth, 0u);
    dialog.Select(IDC_MODE_LIST, -1);  // no entry selected
    EXPECT_EQ(adapter.storedFormat, 0u);
}

// ---- Hardware, monitor usage and Cancel ----

TEST_F(DisplaySettingsDialogTest, DisableHardwareStoresAndRefreshesTheRenderingLine)
{
    Prepare(1);
    AdapterRecord& adapter = *saver_.adapters_[0];
    adapter.hasSw = adapter.compatibleSw = true;
    TestDialog dialog(IDD_DISPLAY_SINGLE, DisplaySettingsDialogProc);
    EXPECT_EQ(dialog.Text(IDC_RENDERING), StringText(IDS_RENDERING_HARDWARE));
    dialog.Click(IDC_DISABLE_HARDWARE);
    EXPECT_EQ(adapter.disableHardware, 1u);
    EXPECT_EQ(dialog.Text(IDC_RENDERING), StringText(IDS_RENDERING_SOFTWARE));
    EXPECT_TRUE(dialog.Checked(IDC_DISABLE_HARDWARE));
}

TEST_F(DisplaySettingsDialogTest, DisplayNothingGreysTheModeControlsAndCancelRestoresEverything)
{
    Prepare(2);
    ASSERT_EQ(saver_.DisplaySettingsDialogId(), IDD_DISPLAY_MULTIPLE);
    saver_.allScreensSame_ = 1;
    saver_.adapters_[1]->storedWidth = 800;
    saver_.adapters_[1]->storedHeight = 600;
    saver_.adapters_[1]->storedFormat = D3DFMT_R5G6B5;
    const AdapterRecord before0 = *saver_.adapters_[0];
    const AdapterRecord before1 = *saver_.adapters_[1];

    TestDialog dialog(IDD_DISPLAY_MULTIPLE, DisplaySettingsDialogProc);
    EXPECT_TRUE(dialog.Checked(IDC_ALL_SCREENS_SAME));
    EXPECT_TRUE(dialog.Checked(IDC_SHOW_SAVER));
    ExpectModeControlsEnabled(dialog, true);

    dialog.Click(IDC_LEAVE_BLACK);
    EXPECT_EQ(saver_.adapters_[0]->leaveBlack, 1u);
    EXPECT_FALSE(dialog.Checked(IDC_SHOW_SAVER));
    ExpectModeControlsEnabled(dialog, false);
    dialog.Click(IDC_SHOW_SAVER);
    EXPECT_EQ(saver_.adapters_[0]->leaveBlack, 0u);
    ExpectModeControlsEnabled(dialog, true);
    dialog.Click(IDC_LEAVE_BLACK);

    SelectTab(dialog, 1);
    dialog.Click(IDC_DISABLE_HARDWARE);
    dialog.Select(IDC_MODE_LIST, 0);
    dialog.Click(IDC_ALL_SCREENS_SAME);
    EXPECT_EQ(saver_.allScreensSame_, 0u);
    EXPECT_EQ(saver_.adapters_[1]->disableHardware, 1u);
    EXPECT_EQ(saver_.adapters_[1]->storedWidth, 0u);

    SendMessageW(dialog.Window(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(saver_.allScreensSame_, 1u);
    for (const auto& pair : {std::make_pair(&before0, saver_.adapters_[0].get()),
                             std::make_pair(&before1, saver_.adapters_[1].get())}) {
        EXPECT_EQ(pair.second->leaveBlack, pair.first->leaveBlack);
        EXPECT_EQ(pair.second->disableHardware, pair.first->disableHardware);
        EXPECT_EQ(pair.second->storedWidth, pair.first->storedWidth);
        EXPECT_EQ(pair.second->storedHeight, pair.first->storedHeight);
        EXPECT_EQ(pair.second->storedFormat, pair.first->storedFormat);
    }
}

TEST_F(DisplaySettingsDialogTest, OkKeepsTheEdits)
{
    Prepare(2);
    TestDialog dialog(IDD_DISPLAY_MULTIPLE, DisplaySettingsDialogProc);
    SelectTab(dialog, 1);
    dialog.Click(IDC_LEAVE_BLACK);
    dialog.Click(IDC_ALL_SCREENS_SAME);
    SendMessageW(dialog.Window(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver_.adapters_[0]->leaveBlack, 0u);
    EXPECT_EQ(saver_.adapters_[1]->leaveBlack, 1u);
    EXPECT_EQ(saver_.allScreensSame_, 1u);
}

TEST_F(DisplaySettingsDialogTest, AMonitorThatCannotRunTheSaverShowsNothingThere)
{
    Prepare(2);
    AdapterRecord& second = *saver_.adapters_[1];
    second.compatibleHal = false;
    TestDialog dialog(IDD_DISPLAY_MULTIPLE, DisplaySettingsDialogProc);
    SelectTab(dialog, 1);
    EXPECT_TRUE(dialog.Checked(IDC_LEAVE_BLACK));
    for (int id : {IDC_MONITOR_USAGE, IDC_SHOW_SAVER, IDC_LEAVE_BLACK, IDC_DISABLE_HARDWARE}) {
        EXPECT_FALSE(dialog.Enabled(id)) << "control " << id;
    }
    ExpectModeControlsEnabled(dialog, false);
    EXPECT_EQ(second.leaveBlack, 0u) << "showing the monitor as blank stores nothing";
}

// ---- Tabs per monitor ----

TEST_F(DisplaySettingsDialogTest, OneTabPerMonitorEachShowingItsAdapter)
{
    Prepare(2);
    saver_.adapters_[1]->storedWidth = 1024;
    saver_.adapters_[1]->storedHeight = 768;
    saver_.adapters_[1]->storedFormat = D3DFMT_X8R8G8B8;
    TestDialog dialog(IDD_DISPLAY_MULTIPLE, DisplaySettingsDialogProc);
    HWND tabs = dialog.Item(IDC_MONITOR_TABS);
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 2);
    for (int i = 0; i < 2; ++i) {
        wchar_t label[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = label;
        item.cchTextMax = 63;
        TabCtrl_GetItem(tabs, i, &item);
        EXPECT_EQ(std::wstring(label), L"Monitor " + std::to_wstring(i + 1));
    }
    EXPECT_EQ(dialog.Text(IDC_ADAPTER_NAME), L"Test Adapter 1");
    EXPECT_EQ(dialog.ComboSelection(IDC_MODE_LIST), 0);

    SelectTab(dialog, 1);
    EXPECT_EQ(dialog.Text(IDC_ADAPTER_NAME), L"Test Adapter 2");
    EXPECT_EQ(dialog.ComboSelection(IDC_MODE_LIST), 2);
    dialog.Select(IDC_MODE_LIST, 1);
    EXPECT_EQ(saver_.adapters_[1]->storedWidth, 800u);
    EXPECT_EQ(saver_.adapters_[0]->storedWidth, 0u);
}

TEST_F(DisplaySettingsDialogTest, MonitorWithoutAdapterShowsNoModesAndIgnoresEveryControl)
{
    Prepare(2);
    // A third monitor that no adapter serves.
    saver_.monitorCount_ = 3;
    wcscpy(saver_.monitors_[2].adapterDescription, L"Unattached");
    const AdapterRecord before0 = *saver_.adapters_[0];
    const AdapterRecord before1 = *saver_.adapters_[1];

    TestDialog dialog(IDD_DISPLAY_MULTIPLE, DisplaySettingsDialogProc);
    ASSERT_EQ(TabCtrl_GetItemCount(dialog.Item(IDC_MONITOR_TABS)), 3);
    SelectTab(dialog, 2);
    EXPECT_EQ(dialog.Text(IDC_ADAPTER_NAME), L"Unattached");
    EXPECT_EQ(dialog.Text(IDC_RENDERING), StringText(IDS_RENDERING_NONE));
    EXPECT_TRUE(dialog.ComboEntries(IDC_MODE_LIST).empty());
    for (int id : {IDC_MONITOR_USAGE, IDC_SHOW_SAVER, IDC_LEAVE_BLACK, IDC_DISABLE_HARDWARE}) {
        EXPECT_FALSE(dialog.Enabled(id)) << "control " << id;
    }
    ExpectModeControlsEnabled(dialog, false);

    // Every control's message reaches the dialog as if the user could use it.
    for (int id : {IDC_DISABLE_HARDWARE, IDC_SHOW_SAVER, IDC_LEAVE_BLACK}) {
        SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDC_MODE_LIST, CBN_SELCHANGE), 0);
    const CaughtMessageBox box = CatchMessageBox([&] { dialog.Click(IDC_DISPLAY_HELP); });
    EXPECT_EQ(box.caption, L"Unattached");
    EXPECT_EQ(box.text, StringText(IDS_HELP_NO_HAL_NO_SW));
    for (const auto& pair : {std::make_pair(&before0, saver_.adapters_[0].get()),
                             std::make_pair(&before1, saver_.adapters_[1].get())}) {
        EXPECT_EQ(pair.second->leaveBlack, pair.first->leaveBlack);
        EXPECT_EQ(pair.second->disableHardware, pair.first->disableHardware);
        EXPECT_EQ(pair.second->storedWidth, pair.first->storedWidth);
    }
}

TEST_F(DisplaySettingsDialogTest, SingleAdapterDialogWorksOnTheFirstMonitor)
{
    Prepare(1);
    ASSERT_EQ(saver_.DisplaySettingsDialogId(), IDD_DISPLAY_SINGLE);
    TestDialog dialog(IDD_DISPLAY_SINGLE, DisplaySettingsDialogProc);
    for (int id : {IDC_MONITOR_TABS, IDC_MONITOR_USAGE, IDC_SHOW_SAVER, IDC_LEAVE_BLACK, IDC_ALL_SCREENS_SAME}) {
        EXPECT_EQ(dialog.Item(id), nullptr) << "control " << id;
    }
    dialog.Select(IDC_MODE_LIST, 1);
    EXPECT_EQ(saver_.adapters_[0]->storedWidth, 800u);
}

TEST_F(DisplaySettingsDialogTest, SingleDialogWithoutAnyAdapterShowsNothingUsable)
{
    saver_.monitorCount_ = 1;
    wcscpy(saver_.monitors_[0].adapterDescription, L"Lonely");
    TestDialog dialog(IDD_DISPLAY_SINGLE, DisplaySettingsDialogProc);
    ASSERT_NE(dialog.Window(), nullptr);
    EXPECT_EQ(dialog.Text(IDC_RENDERING), StringText(IDS_RENDERING_NONE));
    EXPECT_TRUE(dialog.ComboEntries(IDC_MODE_LIST).empty());
    EXPECT_FALSE(dialog.Enabled(IDC_DISABLE_HARDWARE));
    ExpectModeControlsEnabled(dialog, false);
    dialog.Select(IDC_MODE_LIST, 0);
    SendMessageW(dialog.Window(), WM_COMMAND, IDCANCEL, 0);
}

}  // namespace
