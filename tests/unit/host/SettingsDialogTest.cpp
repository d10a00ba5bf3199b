// The settings dialog and the sound dialog made from the program's templates
// and driven by messages, with HKEY_CURRENT_USER pointed at a private key:
// what opening writes, what OK writes, that Cancel writes nothing, and the
// trackbar's mapping to the stored volume.
#include "host/MoireScreensaver.h"
#include "host/Registry.h"
#include "host/SettingsDialog.h"
#include "res/ResourceIds.h"
#include "tests/unit/host/DialogTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr DWORD kMissing = 0xFFFFFFFF;

using RegistryImage = std::map<std::wstring, std::vector<BYTE>>;

// Every value below a key, subkeys included, by "subkey\name".
void Collect(HKEY key, const std::wstring& prefix, RegistryImage* image)
{
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD nameLength = 255;
        BYTE data[256] = {};
        DWORD size = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> value(data, data + size);
        value.push_back(static_cast<BYTE>(type));
        (*image)[prefix + name] = value;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD nameLength = 255;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        (*image)[prefix + name + L"\\"] = {};
        Collect(sub, prefix + name + L"\\", image);
        RegCloseKey(sub);
    }
}

RegistryImage Settings()
{
    RegistryImage image;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        Collect(key, L"", &image);
        RegCloseKey(key);
    }
    return image;
}

DWORD StoredDword(const wchar_t* subkey, const wchar_t* name)
{
    std::wstring path = kSettingsKeyPath;
    if (subkey != nullptr) path += subkey;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return kMissing;
    }
    return value;
}

void StoreDword(const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, REG_DWORD, &value, sizeof(value));
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry_.Ready());
        // Two monitors with adapters and a third without one.
        for (int i = 0; i < 2; ++i) {
            FakeAdapter adapter;
            adapter.modes = {Mode(1024, 768)};
            adapter.monitor = reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x1000 + i));
            adapter.deviceId.Data1 = 0xA0 + i;
            fake_.adapters.push_back(adapter);
        }
        PrepareAdapters(saver_, fake_);
        saver_.monitorCount_ = 3;
    }

    PrivateRegistryRoot registry_{HKEY_CURRENT_USER, L"SettingsDialog"};
    FakeDirect3D fake_;
    CMoireScreensaver saver_;
};

TEST_F(SettingsDialogTest, OpeningWritesEveryScreenWithAnAdapterAndShowsThePosition)
{
    TestDialog dialog(IDD_SETTINGS, SettingsDialogProc);
    ASSERT_NE(dialog.Window(), nullptr);
    wchar_t caption[64] = {};
    GetWindowTextW(dialog.Window(), caption, 63);
    EXPECT_STREQ(caption, L"Corvalline");
    const std::vector<std::wstring> positions = {L"Stretch", L"Fit", L"Fill"};
    EXPECT_EQ(dialog.ComboEntries(IDC_PICTURE_POSITION), positions);
    EXPECT_EQ(dialog.ComboSelection(IDC_PICTURE_POSITION), GetPicturePositionSetting());

    const RegistryImage image = Settings();
    EXPECT_EQ(StoredDword(nullptr, L"AllScreensSame"), 0u);
    for (int screen = 0; screen < 2; ++screen) {
        const std::wstring key = L"Screen " + std::to_wstring(screen + 1) + L"\\";
        for (const wchar_t* name : {L"Leave Black", L"Disable Hardware", L"Width", L"Height", L"Format"}) {
            EXPECT_EQ(StoredDword(key.c_str(), name), 0u) << "screen " << screen + 1;
        }
        const auto id = image.find(key + L"Adapter ID");
        ASSERT_NE(id, image.end());
        ASSERT_EQ(id->second.size(), sizeof(GUID) + 1);
        EXPECT_EQ(std::memcmp(id->second.data(), &fake_.adapters[screen].deviceId, sizeof(GUID)), 0);
        EXPECT_EQ(id->second.back(), REG_BINARY);
    }
    EXPECT_EQ(image.count(L"Screen 3\\"), 0u) << "a monitor without an adapter gets no subkey";
    EXPECT_EQ(image.count(L"\"PicPos\""), 0u) << "opening writes no picture position";
}

TEST_F(SettingsDialogTest, OkWritesThePositionAndTheDisplayEdits)
{
    TestDialog dialog(IDD_SETTINGS, SettingsDialogProc);
    // What the display-settings dialog's OK leaves in the records.
    saver_.adapters_[1]->leaveBlack = 1;
    saver_.allScreensSame_ = 1;
    SendMessageW(dialog.Item(IDC_PICTURE_POSITION), CB_SETCURSEL, 0, 0);
    dialog.Click(IDOK);
    EXPECT_EQ(StoredDword(nullptr, L"\"PicPos\""), 0u);
    EXPECT_EQ(GetPicturePositionSetting(), 0);
    EXPECT_EQ(StoredDword(L"Screen 2", L"Leave Black"), 1u);
    EXPECT_EQ(StoredDword(L"Screen 1", L"Leave Black"), 0u);
    EXPECT_EQ(StoredDword(nullptr, L"AllScreensSame"), 1u);
}

TEST_F(SettingsDialogTest, OkWithoutASelectionKeepsTheStoredPosition)
{
    StoreDword(L"\"PicPos\"", 1);
    TestDialog dialog(IDD_SETTINGS, SettingsDialogProc);
    SendMessageW(dialog.Item(IDC_PICTURE_POSITION), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    dialog.Click(IDOK);
    EXPECT_EQ(StoredDword(nullptr, L"\"PicPos\""), 1u) << "CB_ERR is never stored";
}

TEST_F(SettingsDialogTest, CancelWritesNothingAndUndoesDisplayEdits)
{
    TestDialog dialog(IDD_SETTINGS, SettingsDialogProc);
    const RegistryImage opened = Settings();
    saver_.adapters_[0]->leaveBlack = 1;
    saver_.adapters_[0]->storedWidth = 1024;
    saver_.allScreensSame_ = 1;
    SendMessageW(dialog.Item(IDC_PICTURE_POSITION), CB_SETCURSEL, 1, 0);
    dialog.Click(IDCANCEL);
    EXPECT_EQ(Settings(), opened);
    EXPECT_EQ(saver_.adapters_[0]->leaveBlack, 0u) << "the records are read back from the registry";
    EXPECT_EQ(saver_.adapters_[0]->storedWidth, 0u);
    EXPECT_EQ(saver_.allScreensSame_, 0u);
}

// ---- Sound dialog ----

struct SoundCase {
    const char* name;
    DWORD storedVolume;  // kMissing: none stored
    DWORD storedMute;
    int shownPosition;
    bool shownMute;
    int newPosition;  // -1: the trackbar is left alone
    int clickMute;    // 1: Mute is clicked
    int button;
    DWORD expectVolume;  // kMissing: not written
    DWORD expectMute;
};

class SoundDialog : public SettingsDialogTest, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundDialog, ShowsTheStoredValuesAndOkStoresThem)
{
    const SoundCase& c = GetParam();
    if (c.storedVolume != kMissing) StoreDword(L"\"SoundVolume\"", c.storedVolume);
    if (c.storedMute != kMissing) StoreDword(L"\"MuteSound\"", c.storedMute);
    TestDialog dialog(IDD_SOUND, SoundSettingsDialogProc);
    ASSERT_NE(dialog.Window(), nullptr);
    HWND volume = dialog.Item(IDC_VOLUME);
    EXPECT_EQ(SendMessageW(volume, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageW(volume, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageW(volume, TBM_GETNUMTICS, 0, 0), 11) << "a tick every 10";
    EXPECT_EQ(SendMessageW(volume, TBM_GETPOS, 0, 0), c.shownPosition);
    EXPECT_EQ(dialog.Checked(IDC_MUTE), c.shownMute);

    if (c.newPosition >= 0) SendMessageW(volume, TBM_SETPOS, TRUE, c.newPosition);
    if (c.clickMute) dialog.Click(IDC_MUTE);
    dialog.Click(c.button);
    EXPECT_EQ(StoredDword(nullptr, L"\"SoundVolume\""), c.expectVolume == kMissing ? c.storedVolume : c.expectVolume);
    EXPECT_EQ(StoredDword(nullptr, L"\"MuteSound\""), c.expectMute == kMissing ? c.storedMute : c.expectMute);
}

const SoundCase kSoundCases[] = {
    {"FreshIsFullVolumeAtTheTop", kMissing, kMissing, 0, false, -1, 0, IDOK, 100, 0},
    {"PositionSixtyMutedStoresForty", kMissing, kMissing, 0, false, 60, 1, IDOK, 40, 1},
    {"BottomStoresZero", 70, 0, 30, false, 100, 0, IDOK, 0, 0},
    {"StoredValuesShown", 40, 1, 60, true, -1, 1, IDOK, 40, 0},
    {"OutOfRangeShownAsDefault", 500, 3, 0, false, -1, 0, IDOK, 100, 0},
    {"CancelWritesNothing", 40, 1, 60, true, 0, 1, IDCANCEL, kMissing, kMissing},
    {"CancelOnFreshWritesNothing", kMissing, kMissing, 0, false, 50, 1, IDCANCEL, kMissing, kMissing},
};

INSTANTIATE_TEST_SUITE_P(Table, SoundDialog, ::testing::ValuesIn(kSoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
