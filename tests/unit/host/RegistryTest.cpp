// Range checks of the stored settings: a value out of range is read as its
// default and is never written back, neither by the setting writers nor by
// the per-screen writer. The settings functions use the fixed settings path
// below HKEY_CURRENT_USER, so each test points HKEY_CURRENT_USER at a private
// key of its own and deletes that key afterwards. The key is named after the
// test process: the test runner starts many processes at once in one Wine
// prefix, and they share its registry.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/D3DScreensaver.h"
#include "host/Registry.h"
#include "tests/unit/host/FakeDirect3D.h"

namespace {

constexpr DWORD kMissing = 0xFFFFFFFF;  // ReadStored's answer for a missing value
constexpr DWORD kFormatX8R8G8B8 = D3DFMT_X8R8G8B8;

class PrivateCurrentUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, testRoot_.c_str());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, testRoot_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &root_, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, root_), ERROR_SUCCESS);
        overridden_ = true;
    }

    void TearDown() override
    {
        if (overridden_) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (root_ != nullptr) RegCloseKey(root_);
        RegDeleteTreeW(HKEY_CURRENT_USER, testRoot_.c_str());
    }

    // The settings key or one of its subkeys, below the private root.
    std::wstring Path(const wchar_t* subkey = nullptr) const
    {
        std::wstring path = kSettingsKeyPath;
        if (subkey != nullptr) path += subkey;
        return path;
    }

    // Stores a value the way the user or another program would.
    void Store(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetKeyValueW(root_, path.c_str(), name, type, data, size), ERROR_SUCCESS);
    }
    void StoreDword(const std::wstring& path, const wchar_t* name, DWORD value)
    {
        Store(path, name, REG_DWORD, &value, sizeof(value));
    }

    DWORD ReadStored(const std::wstring& path, const wchar_t* name) const
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(root_, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
            return kMissing;
        }
        return value;
    }

    const std::wstring testRoot_ = L"Software\\CorvallineTests\\Registry" + std::to_wstring(GetCurrentProcessId());
    HKEY root_ = nullptr;
    bool overridden_ = false;
};

// ---- Values directly under the settings key ----

enum class Stored { kMissing, kDword, kQword };

struct ReadCase {
    const char* name;
    const SettingDef* setting;
    Stored stored;
    DWORD value;  // the DWORD stored, or the low half of the QWORD
    DWORD expected;
};

class ReadSettingRange : public PrivateCurrentUser, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadSettingRange, OutOfRangeGivesDefaultAndStaysAsStored)
{
    const ReadCase& c = GetParam();
    if (c.stored == Stored::kDword) {
        StoreDword(Path(), c.setting->name, c.value);
    } else if (c.stored == Stored::kQword) {
        const uint64_t wide = c.value;
        Store(Path(), c.setting->name, REG_QWORD, &wide, sizeof(wide));
    }
    EXPECT_EQ(ReadSetting(*c.setting), c.expected);
    if (c.stored == Stored::kDword) {
        EXPECT_EQ(ReadStored(Path(), c.setting->name), c.value) << "reading rewrote the stored value";
    } else if (c.stored == Stored::kMissing) {
        EXPECT_EQ(ReadStored(Path(), c.setting->name), kMissing) << "reading wrote the default back";
    }
}

const ReadCase kReadCases[] = {
    {"VolumeMissingIsFull", &kSoundVolumeSetting, Stored::kMissing, 0, 100},
    {"VolumeKept", &kSoundVolumeSetting, Stored::kDword, 37, 37},
    {"VolumeZeroKept", &kSoundVolumeSetting, Stored::kDword, 0, 0},
    {"VolumeHundredKept", &kSoundVolumeSetting, Stored::kDword, 100, 100},
    {"VolumeAboveHundred", &kSoundVolumeSetting, Stored::kDword, 101, 100},
    {"VolumeFiveHundred", &kSoundVolumeSetting, Stored::kDword, 500, 100},
    {"VolumeLongerThanFourBytes", &kSoundVolumeSetting, Stored::kQword, 40, 100},
    {"MuteKept", &kMuteSoundSetting, Stored::kDword, 1, 1},
    {"MuteTwo", &kMuteSoundSetting, Stored::kDword, 2, 0},
    {"PicPosMissingIsFill", &kPicPosSetting, Stored::kMissing, 0, 2},
    {"PicPosStretchKept", &kPicPosSetting, Stored::kDword, 0, 0},
    {"PicPosFitKept", &kPicPosSetting, Stored::kDword, 1, 1},
    {"PicPosThree", &kPicPosSetting, Stored::kDword, 3, 2},
    {"PicPosSeven", &kPicPosSetting, Stored::kDword, 7, 2},
    {"PicPosMinusOne", &kPicPosSetting, Stored::kDword, 0xFFFFFFFF, 2},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReadSettingRange, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

struct WriteCase {
    const char* name;
    const SettingDef* setting;
    DWORD value;
    bool written;
};

class WriteSettingRange : public PrivateCurrentUser, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteSettingRange, OnlyValuesInRangeAreWritten)
{
    const WriteCase& c = GetParam();
    // A value in range stored before: an out-of-range write leaves it as it was.
    const DWORD before = c.setting->minValue;
    StoreDword(Path(), c.setting->name, before);
    WriteSetting(*c.setting, c.value);
    EXPECT_EQ(ReadStored(Path(), c.setting->name), c.written ? c.value : before);
}

const WriteCase kWriteCases[] = {
    {"VolumeInRange", &kSoundVolumeSetting, 64, true},
    {"VolumeHundred", &kSoundVolumeSetting, 100, true},
    {"VolumeAboveHundred", &kSoundVolumeSetting, 101, false},
    {"MuteOne", &kMuteSoundSetting, 1, true},
    {"MuteTwo", &kMuteSoundSetting, 2, false},
    {"PicPosFill", &kPicPosSetting, 2, true},
    {"PicPosThree", &kPicPosSetting, 3, false},
    {"PicPosMinusOne", &kPicPosSetting, 0xFFFFFFFF, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, WriteSettingRange, ::testing::ValuesIn(kWriteCases),
                         [](const ::testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

// ---- Per-screen values ----

struct ScreenValues {
    DWORD width, height, format, leaveBlack, disableHardware;
};

struct ScreenCase {
    const char* name;
    ScreenValues stored;
    ScreenValues expected;  // in the adapter record and as written back
};

// One adapter on one monitor, its record as a new one, and the settings key.
class ScreenSettingsTest : public PrivateCurrentUser {
protected:
    void PrepareSaver()
    {
        FakeAdapter adapter;
        adapter.modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
        fake_.adapters.push_back(adapter);
        saver_.monitorCount_ = 1;
        saver_.monitors_[0].monitor = adapter.monitor;
        saver_.SetDirect3D(&fake_);
        ASSERT_EQ(saver_.EnumerateDevices(), 0);
        ASSERT_NE(saver_.adapters_[0], nullptr);
    }

    HKEY OpenSettings()
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(root_, Path().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }

    void ExpectWritten(const ScreenValues& v)
    {
        const std::wstring screen = Path(L"Screen 1");
        EXPECT_EQ(ReadStored(screen, L"Width"), v.width);
        EXPECT_EQ(ReadStored(screen, L"Height"), v.height);
        EXPECT_EQ(ReadStored(screen, L"Format"), v.format);
        EXPECT_EQ(ReadStored(screen, L"Leave Black"), v.leaveBlack);
        EXPECT_EQ(ReadStored(screen, L"Disable Hardware"), v.disableHardware);
    }

    FakeDirect3D fake_;
    CD3DScreensaver saver_;
};

class ScreenSettingsRange : public ScreenSettingsTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(ScreenSettingsRange, ImplausibleValuesReadAsAutomaticAndAreNotWrittenBack)
{
    const ScreenCase& c = GetParam();
    PrepareSaver();
    const std::wstring screen = Path(L"Screen 1");
    StoreDword(screen, L"Width", c.stored.width);
    StoreDword(screen, L"Height", c.stored.height);
    StoreDword(screen, L"Format", c.stored.format);
    StoreDword(screen, L"Leave Black", c.stored.leaveBlack);
    StoreDword(screen, L"Disable Hardware", c.stored.disableHardware);

    HKEY settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    saver_.ReadScreenSettings(settings);
    const AdapterRecord& record = *saver_.adapters_[0];
    EXPECT_EQ(record.storedWidth, c.expected.width);
    EXPECT_EQ(record.storedHeight, c.expected.height);
    EXPECT_EQ(record.storedFormat, c.expected.format);
    EXPECT_EQ(record.leaveBlack, c.expected.leaveBlack);
    EXPECT_EQ(record.disableHardware, c.expected.disableHardware);

    saver_.WriteScreenSettings(settings);
    RegCloseKey(settings);
    ExpectWritten(c.expected);
}

constexpr ScreenValues kAutomatic = {0, 0, 0, 0, 0};

const ScreenCase kScreenCases[] = {
    {"GoodModeKept", {800, 600, kFormatX8R8G8B8, 1, 1}, {800, 600, kFormatX8R8G8B8, 1, 1}},
    {"SixteenBitModeKept", {640, 480, D3DFMT_R5G6B5, 0, 0}, {640, 480, D3DFMT_R5G6B5, 0, 0}},
    {"WidthZero", {0, 600, kFormatX8R8G8B8, 0, 0}, kAutomatic},
    {"HeightZero", {800, 0, kFormatX8R8G8B8, 0, 0}, kAutomatic},
    {"WidthBeyondAnyDisplay", {100000, 600, kFormatX8R8G8B8, 0, 0}, kAutomatic},
    {"GarbageFormat", {800, 600, 12345, 0, 0}, kAutomatic},
    {"DepthFormatIsNoDisplayFormat", {800, 600, D3DFMT_D16, 0, 0}, kAutomatic},
    {"FormatZero", {800, 600, 0, 0, 0}, kAutomatic},
    {"FlagsAboveOne", {800, 600, kFormatX8R8G8B8, 5, 2}, {800, 600, kFormatX8R8G8B8, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ScreenSettingsRange, ::testing::ValuesIn(kScreenCases),
                         [](const ::testing::TestParamInfo<ScreenCase>& info) { return info.param.name; });

// The writers check what they write themselves: a record changed in memory
// (by a dialog, or by a fault) with values out of range writes automatic
// and flags off, never the values.
TEST_F(ScreenSettingsTest, WritersCheckRecordValues)
{
    PrepareSaver();
    AdapterRecord& record = *saver_.adapters_[0];
    record.storedWidth = 1024;
    record.storedHeight = 768;
    record.storedFormat = 12345;
    record.leaveBlack = 3;
    record.disableHardware = 0xFFFFFFFF;
    saver_.allScreensSame_ = 9;

    HKEY settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    saver_.WriteScreenSettings(settings);
    RegCloseKey(settings);
    EXPECT_EQ(ReadStored(Path(), kAllScreensSameSetting.name), 0u);
    ExpectWritten(kAutomatic);

    // The mode writer used after a lower-mode retry skips an implausible mode.
    WriteScreenModeSettings(kSettingsKeyPath, 1, record);
    EXPECT_EQ(ReadStored(Path(L"Screen 2"), L"Width"), kMissing);
}

TEST_F(ScreenSettingsTest, AllScreensSameOutOfRangeReadsAsOff)
{
    for (const DWORD stored : {DWORD{2}, DWORD{0xFFFFFFFF}}) {
        StoreDword(Path(), kAllScreensSameSetting.name, stored);
        HKEY settings = OpenSettings();
        ASSERT_NE(settings, nullptr);
        saver_.allScreensSame_ = 1;
        saver_.ReadScreenSettings(settings);
        RegCloseKey(settings);
        EXPECT_EQ(saver_.allScreensSame_, 0u) << stored;
        EXPECT_EQ(ReadStored(Path(), kAllScreensSameSetting.name), stored) << "reading rewrote the stored value";
    }
}

}  // namespace
