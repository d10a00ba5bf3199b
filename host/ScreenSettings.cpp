// Per-monitor settings: one "Screen %d" subkey per monitor that has an adapter.
#include "host/D3DScreensaver.h"
#include "host/Registry.h"

namespace {

// Reads a DWORD of exactly 4 bytes; anything else leaves *value unchanged.
void QueryDword(HKEY key, const wchar_t* name, DWORD* value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS &&
        size == sizeof(data)) {
        *value = data;
    }
}

void SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

DWORD AsFlag(DWORD value)
{
    return value > 1 ? 0 : value;
}

}  // namespace

void CD3DScreensaver::ReadScreenSettings(HKEY settingsKey)
{
    DWORD same = allScreensSame_;
    QueryDword(settingsKey, kAllScreensSameSetting.name, &same);
    allScreensSame_ = ClampSetting(kAllScreensSameSetting, same);

    for (int m = 0; m < monitorCount_; ++m) {
        const int a = monitors_[m].adapterIndex;
        if (a < 0 || a >= adapterCount_ || !adapters_[a]) continue;
        AdapterRecord& adapter = *adapters_[a];
        HKEY screen = OpenScreenKey(settingsKey, m);
        if (screen == nullptr) continue;

        GUID stored = {};
        DWORD size = sizeof(stored);
        GUID read = {};
        if (RegQueryValueExW(screen, L"Adapter ID", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) ==
                ERROR_SUCCESS &&
            size == sizeof(read)) {
            stored = read;
        }
        DWORD leaveBlack = adapter.leaveBlack;
        QueryDword(screen, L"Leave Black", &leaveBlack);
        adapter.leaveBlack = AsFlag(leaveBlack);

        const GUID zero = {};
        if (EqualGuid(stored, adapter.identifier.DeviceIdentifier) || EqualGuid(stored, zero)) {
            DWORD disable = adapter.disableHardware;
            DWORD width = adapter.storedWidth;
            DWORD height = adapter.storedHeight;
            DWORD format = adapter.storedFormat;
            QueryDword(screen, L"Disable Hardware", &disable);
            QueryDword(screen, L"Width", &width);
            QueryDword(screen, L"Height", &height);
            QueryDword(screen, L"Format", &format);
            adapter.disableHardware = AsFlag(disable);
            if (IsPlausibleStoredMode(width, height, format)) {
                adapter.storedWidth = width;
                adapter.storedHeight = height;
                adapter.storedFormat = format;
            } else {
                adapter.storedWidth = adapter.storedHeight = adapter.storedFormat = 0;
            }
        }
        RegCloseKey(screen);
    }
}

void CD3DScreensaver::WriteScreenSettings(HKEY settingsKey)
{
    SetDword(settingsKey, kAllScreensSameSetting.name, ClampSetting(kAllScreensSameSetting, allScreensSame_));
    for (int m = 0; m < monitorCount_; ++m) {
        const int a = monitors_[m].adapterIndex;
        if (a < 0 || a >= adapterCount_ || !adapters_[a]) continue;
        const AdapterRecord& adapter = *adapters_[a];
        HKEY screen = OpenScreenKey(settingsKey, m);
        if (screen == nullptr) continue;
        SetDword(screen, L"Leave Black", AsFlag(adapter.leaveBlack));
        SetDword(screen, L"Disable Hardware", AsFlag(adapter.disableHardware));
        const bool plausible = IsPlausibleStoredMode(adapter.storedWidth, adapter.storedHeight, adapter.storedFormat);
        SetDword(screen, L"Width", plausible ? adapter.storedWidth : 0);
        SetDword(screen, L"Height", plausible ? adapter.storedHeight : 0);
        SetDword(screen, L"Format", plausible ? adapter.storedFormat : 0);
        RegSetValueExW(screen, L"Adapter ID", 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(&adapter.identifier.DeviceIdentifier), sizeof(GUID));
        RegCloseKey(screen);
    }
}
