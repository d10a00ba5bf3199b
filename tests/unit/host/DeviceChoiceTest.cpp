// Device choice against a scripted IDirect3D9: mode collection, default mode
// choice, lower-mode retries and the registry write after a retry.
#include "host/D3DScreensaver.h"
#include "host/MoireScreensaver.h"
#include "tests/unit/host/FakeDirect3D.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>

#include <string>
#include <utility>
#include <vector>

namespace {

// The settings key of these tests, named after the test process: the test
// runner starts many processes at once in one Wine prefix, and they share its
// registry.
std::wstring TestKey()
{
    return L"Software\\CorvallineTests\\DeviceChoice" + std::to_wstring(GetCurrentProcessId()) + L"\\";
}

void PrepareSaver(CD3DScreensaver& saver, FakeDirect3D& fake)
{
    saver.monitorCount_ = static_cast<int>(fake.adapters.size());
    for (size_t i = 0; i < fake.adapters.size(); ++i) saver.monitors_[i].monitor = fake.adapters[i].monitor;
    saver.SetDirect3D(&fake);
    ASSERT_EQ(saver.EnumerateDevices(), 0);
}

DWORD ReadTestDword(const wchar_t* name)
{
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof(value);
    std::wstring key = TestKey() + L"Screen 1";
    RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

struct FullscreenCase {
    const char* name;
    std::vector<D3DDISPLAYMODE> modes;
    bool hal;
    bool sw;
    D3DDISPLAYMODE stored;  // Width 0: none stored
    std::vector<std::pair<UINT, UINT>> failing;
    UINT expectWidth;
    UINT expectHeight;
    bool expectWritten;
};

class FullscreenChoice : public ::testing::TestWithParam<FullscreenCase> {};

TEST_P(FullscreenChoice, PicksModeAndRemembersRetries)
{
    const FullscreenCase& c = GetParam();
    RegDeleteTreeW(HKEY_CURRENT_USER, TestKey().c_str());
    FakeDirect3D fake;
    FakeAdapter adapter;
    adapter.modes = c.modes;
    adapter.hasHal = c.hal;
    adapter.hasSw = c.sw;
    fake.adapters.push_back(adapter);
    fake.failingSizes.insert(c.failing.begin(), c.failing.end());

    CD3DScreensaver saver;
    PrepareSaver(saver, fake);
    wcscpy(saver.settingsKeyPath_, TestKey().c_str());
    AdapterRecord& record = *saver.adapters_[0];
    record.storedWidth = c.stored.Width;
    record.storedHeight = c.stored.Height;
    record.storedFormat = c.stored.Format;

    RenderUnit unit;
    unit.adapterIndex = 0;
    const int hr = saver.CreateFullscreenDevice(unit);
    if (c.expectWidth == 0) {
        EXPECT_LT(hr, 0);
    } else {
        ASSERT_EQ(hr, 0);
        EXPECT_EQ(unit.presentParams.BackBufferWidth, c.expectWidth);
        EXPECT_EQ(unit.presentParams.BackBufferHeight, c.expectHeight);
        EXPECT_FALSE(unit.presentParams.Windowed);
        EXPECT_EQ(unit.presentParams.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(unit.presentParams.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));
    }
    if (c.expectWritten) {
        EXPECT_EQ(ReadTestDword(L"Width"), c.expectWidth);
        EXPECT_EQ(ReadTestDword(L"Height"), c.expectHeight);
        EXPECT_EQ(ReadTestDword(L"Format"), static_cast<DWORD>(D3DFMT_X8R8G8B8));
        GUID stored = {};
        DWORD size = sizeof(stored);
        std::wstring key = TestKey() + L"Screen 1";
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Adapter ID", RRF_RT_REG_BINARY, nullptr, &stored,
                               &size),
                  ERROR_SUCCESS);
        EXPECT_TRUE(EqualGuid(stored, adapter.deviceId));
    } else {
        EXPECT_EQ(ReadTestDword(L"Width"), 0xFFFFFFFFu) << "nothing is written without a retry";
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, TestKey().c_str());
}

const std::vector<D3DDISPLAYMODE> kThreeModes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
const D3DDISPLAYMODE kNone = {0, 0, 0, D3DFMT_UNKNOWN};

const FullscreenCase kFullscreenCases[] = {
    {"HalTakesDesktopSize", kThreeModes, true, false, kNone, {}, 1024, 768, false},
    {"HalRetriesLowerAndWrites", kThreeModes, true, false, kNone, {{1024, 768}}, 800, 600, true},
    {"HalRetriesTwice", kThreeModes, true, false, kNone, {{1024, 768}, {800, 600}}, 640, 480, true},
    {"AllFailGivesError", kThreeModes, true, false, kNone, {{1024, 768}, {800, 600}, {640, 480}}, 0, 0, false},
    {"StoredModeUsed", kThreeModes, true, false, Mode(800, 600), {}, 800, 600, false},
    {"MissingStoredModeIgnored", kThreeModes, true, false, Mode(1280, 1024), {}, 1024, 768, false},
    {"SoftwareTakesLowestHeightNot400", {Mode(720, 400), Mode(640, 480), Mode(800, 600)}, false, true, kNone, {},
     640, 480, false},
    {"NoDesktopSizeTakesLargest", {Mode(640, 480), Mode(1280, 1024), Mode(800, 600)}, true, false, kNone, {}, 1280,
     1024, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, FullscreenChoice, ::testing::ValuesIn(kFullscreenCases),
                         [](const ::testing::TestParamInfo<FullscreenCase>& info) { return info.param.name; });

TEST(DeviceEnumeration, CollectsSortsAndFiltersModes)
{
    FakeDirect3D fake;
    FakeAdapter adapter;
    adapter.modes = {Mode(1024, 768), Mode(320, 240), Mode(640, 480), Mode(1024, 768), Mode(800, 600),
                     Mode(640, 350), Mode(800, 600)};
    fake.adapters.push_back(adapter);
    CD3DScreensaver saver;
    PrepareSaver(saver, fake);
    const AdapterRecord& record = *saver.adapters_[0];
    ASSERT_EQ(record.deviceTypeCount, 1u);
    const DeviceTypeRecord& hal = record.deviceTypes[0];
    ASSERT_EQ(hal.modeCount, 3u);
    EXPECT_EQ(hal.modes[0].width, 640u);
    EXPECT_EQ(hal.modes[1].width, 800u);
    EXPECT_EQ(hal.modes[2].width, 1024u);
    EXPECT_EQ(hal.modes[0].behaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE));
    EXPECT_TRUE(record.compatibleHal);
    EXPECT_FALSE(record.compatibleSw);
    EXPECT_EQ(saver.monitors_[0].adapterIndex, 0);
    EXPECT_EQ(record.monitorIndex, 0);
}

TEST(DeviceEnumeration, KeepsAtMostOneHundredModes)
{
    FakeDirect3D fake;
    FakeAdapter adapter;
    for (UINT i = 0; i < 150; ++i) adapter.modes.push_back(Mode(640 + i, 480));
    fake.adapters.push_back(adapter);
    CD3DScreensaver saver;
    PrepareSaver(saver, fake);
    EXPECT_EQ(saver.adapters_[0]->deviceTypes[0].modeCount, 100u);
}

TEST(DeviceEnumeration, DepthFormatPrefersD16ThenD24X8)
{
    for (const auto& [offered, expected] : std::vector<std::pair<std::set<D3DFORMAT>, D3DFORMAT>>{
             {{D3DFMT_D16, D3DFMT_D24X8}, D3DFMT_D16},
             {{D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D32}, D3DFMT_D24X8},
             {{D3DFMT_D24S8, D3DFMT_D32}, D3DFMT_D24S8},
             {{D3DFMT_D32}, D3DFMT_D32}}) {
        FakeDirect3D fake;
        FakeAdapter adapter;
        adapter.modes = {Mode(1024, 768)};
        adapter.depthFormats = offered;
        fake.adapters.push_back(adapter);
        CD3DScreensaver saver;
        saver.useDepthBuffer_ = true;
        PrepareSaver(saver, fake);
        ASSERT_EQ(saver.adapters_[0]->deviceTypes[0].modeCount, 1u);
        EXPECT_EQ(saver.adapters_[0]->deviceTypes[0].modes[0].depthStencilFormat, expected);
    }
}

TEST(DeviceEnumeration, NoDepthFormatMakesAdapterIncompatible)
{
    FakeDirect3D fake;
    FakeAdapter adapter;
    adapter.modes = {Mode(1024, 768)};
    adapter.depthFormats = {D3DFMT_D15S1};
    fake.adapters.push_back(adapter);
    CD3DScreensaver saver;
    saver.useDepthBuffer_ = true;
    PrepareSaver(saver, fake);
    EXPECT_FALSE(saver.adapters_[0]->compatibleHal);
    EXPECT_EQ(saver.adapters_[0]->deviceTypeCount, 0u);
}

TEST(DeviceEnumeration, ApplicationRefusesDevicesWithoutBumpMapping)
{
    FakeDirect3D fake;
    FakeAdapter adapter;
    adapter.modes = {Mode(1024, 768)};
    adapter.bumpEnvMap = false;
    fake.adapters.push_back(adapter);
    CMoireScreensaver saver;
    PrepareSaver(saver, fake);
    EXPECT_TRUE(saver.adapters_[0]->hasHal);
    EXPECT_FALSE(saver.adapters_[0]->compatibleHal);
    int windowed = -1;
    EXPECT_FALSE(saver.FindWindowedAdapter(&windowed));
}

TEST(DeviceChoice, WindowedDeviceUsesCopySwapAndDesktopFormat)
{
    FakeDirect3D fake;
    FakeAdapter adapter;
    adapter.modes = kThreeModes;
    fake.adapters.push_back(adapter);
    CD3DScreensaver saver;
    PrepareSaver(saver, fake);
    int adapterIndex = -1;
    ASSERT_TRUE(saver.FindWindowedAdapter(&adapterIndex));
    EXPECT_EQ(adapterIndex, 0);
    RenderUnit unit;
    unit.adapterIndex = adapterIndex;
    ASSERT_EQ(saver.CreateWindowedDevice(unit), 0);
    EXPECT_TRUE(unit.presentParams.Windowed);
    EXPECT_EQ(unit.presentParams.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(unit.presentParams.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(unit.presentParams.BackBufferWidth, 0u);
}

TEST(DeviceChoice, HardwareDisabledWithoutSoftwareHasNoDevice)
{
    FakeDirect3D fake;
    FakeAdapter adapter;
    adapter.modes = kThreeModes;
    fake.adapters.push_back(adapter);
    CD3DScreensaver saver;
    PrepareSaver(saver, fake);
    saver.adapters_[0]->disableHardware = 1;
    RenderUnit unit;
    unit.adapterIndex = 0;
    EXPECT_EQ(saver.CreateFullscreenDevice(unit), kErrNoHardwareDevice);
}

struct LowerModeCase {
    const char* name;
    std::vector<ModeRecord> modes;
    unsigned current;
    bool found;
    unsigned next;
};

ModeRecord M(UINT w, UINT h, D3DFORMAT f)
{
    ModeRecord m;
    m.width = w;
    m.height = h;
    m.format = f;
    return m;
}

class LowerMode : public ::testing::TestWithParam<LowerModeCase> {};

TEST_P(LowerMode, StepsDown)
{
    const LowerModeCase& c = GetParam();
    DeviceTypeRecord record;
    record.modeCount = static_cast<unsigned>(c.modes.size());
    for (size_t i = 0; i < c.modes.size(); ++i) record.modes[i] = c.modes[i];
    record.chosenMode = c.current;
    EXPECT_EQ(CD3DScreensaver::FindNextLowerMode(record), c.found);
    EXPECT_EQ(record.chosenMode, c.next);
}

const LowerModeCase kLowerModeCases[] = {
    {"SameSizeSixteenBitFirst",
     {M(800, 600, D3DFMT_R5G6B5), M(1024, 768, D3DFMT_R5G6B5), M(1024, 768, D3DFMT_X8R8G8B8)}, 2, true, 1},
    {"LargestSmallerArea", {M(640, 480, D3DFMT_X8R8G8B8), M(800, 600, D3DFMT_X8R8G8B8), M(1024, 768, D3DFMT_X8R8G8B8)},
     2, true, 1},
    {"LargerAreaReplacesThirtyTwoBit",
     {M(640, 480, D3DFMT_X8R8G8B8), M(800, 600, D3DFMT_R5G6B5), M(1024, 768, D3DFMT_R5G6B5)}, 2, true, 1},
    {"ThirtyTwoBitReplacesSixteen",
     {M(800, 600, D3DFMT_R5G6B5), M(640, 480, D3DFMT_X8R8G8B8), M(1024, 768, D3DFMT_R5G6B5)}, 2, true, 1},
    {"NothingSmaller", {M(640, 480, D3DFMT_X8R8G8B8), M(800, 600, D3DFMT_X8R8G8B8)}, 0, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, LowerMode, ::testing::ValuesIn(kLowerModeCases),
                         [](const ::testing::TestParamInfo<LowerModeCase>& info) { return info.param.name; });

}  // namespace
