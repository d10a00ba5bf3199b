#include "engine/settings/UserSettings.h"

const SettingDef kSoundVolumeSetting = {L"\"SoundVolume\"", 100, 0, 100};
const SettingDef kMuteSoundSetting = {L"\"MuteSound\"", 0, 0, 1};
const SettingDef kPicPosSetting = {L"\"PicPos\"", 2, 0, 2};
const SettingDef kAllScreensSameSetting = {L"AllScreensSame", 0, 0, 1};

namespace {

HKEY OpenSettingsKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

}  // namespace

void ReadRegistryDword(DWORD* value, const wchar_t* name)
{
    HKEY key = OpenSettingsKey();
    if (key == nullptr) return;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS &&
        size == sizeof(data)) {
        *value = data;
    }
    RegCloseKey(key);
}

void WriteRegistryDword(DWORD value, const wchar_t* name)
{
    HKEY key = OpenSettingsKey();
    if (key == nullptr) return;
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

DWORD ClampSetting(const SettingDef& setting, DWORD value)
{
    return (value < setting.minValue || value > setting.maxValue) ? setting.defaultValue : value;
}

DWORD ReadSetting(const SettingDef& setting)
{
    DWORD value = setting.defaultValue;
    ReadRegistryDword(&value, setting.name);
    return ClampSetting(setting, value);
}

void WriteSetting(const SettingDef& setting, DWORD value)
{
    if (value < setting.minValue || value > setting.maxValue) return;
    WriteRegistryDword(value, setting.name);
}
