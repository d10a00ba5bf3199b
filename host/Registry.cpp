#include "host/Registry.h"

#include "host/AdapterRecord.h"

#include <d3d9.h>
#include <cstdio>

namespace {

constexpr DWORD kMaxModeSide = 16384;

// The process's picture position, read once: every slide of every unit uses
// the same value for the whole run.
struct PicturePosition {
    bool read = false;
    int value = 2;
};
PicturePosition g_picturePosition;

void ReadPicturePositionOnce()
{
    if (g_picturePosition.read) return;
    g_picturePosition.read = true;
    g_picturePosition.value = static_cast<int>(ReadSetting(kPicPosSetting));
}

}  // namespace

int GetPicturePositionSetting()
{
    ReadPicturePositionOnce();
    return g_picturePosition.value;
}

void SetPicturePositionSetting(int value)
{
    ReadPicturePositionOnce();
    const DWORD checked = ClampSetting(kPicPosSetting, static_cast<DWORD>(value));
    g_picturePosition.value = static_cast<int>(checked);
    WriteSetting(kPicPosSetting, checked);
}

HKEY OpenScreenKey(HKEY settingsKey, int monitorIndex)
{
    wchar_t name[32];
    swprintf(name, 32, L"Screen %d", monitorIndex + 1);
    HKEY key = nullptr;
    if (RegCreateKeyExW(settingsKey, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool IsPlausibleStoredMode(DWORD width, DWORD height, DWORD format)
{
    if (width == 0 || height == 0 || width > kMaxModeSide || height > kMaxModeSide) return false;
    switch (static_cast<D3DFORMAT>(format)) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A2R10G10B10:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        return true;
    default:
        return false;
    }
}

void WriteScreenModeSettings(const wchar_t* keyPath, int monitorIndex, const AdapterRecord& adapter)
{
    if (!IsPlausibleStoredMode(adapter.storedWidth, adapter.storedHeight, adapter.storedFormat)) return;
    HKEY settings = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &settings, nullptr) != ERROR_SUCCESS) {
        return;
    }
    HKEY screen = OpenScreenKey(settings, monitorIndex);
    if (screen != nullptr) {
        const struct {
            const wchar_t* name;
            DWORD value;
        } values[] = {{L"Width", adapter.storedWidth}, {L"Height", adapter.storedHeight},
                      {L"Format", adapter.storedFormat}};
        for (const auto& v : values) {
            RegSetValueExW(screen, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.value), sizeof(DWORD));
        }
        RegSetValueExW(screen, L"Adapter ID", 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(&adapter.identifier.DeviceIdentifier), sizeof(GUID));
        RegCloseKey(screen);
    }
    RegCloseKey(settings);
}
