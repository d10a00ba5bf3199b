// The user's settings under HKEY_CURRENT_USER: the table of DWORD settings
// and the reading and writing every part of the program shares (the host's
// dialog and screens, the sound subsystem's volume). Every value read is
// checked against its range; a value out of range keeps the default and is
// never written back.
#pragma once

#include <windows.h>

// The settings key below HKEY_CURRENT_USER.
constexpr wchar_t kSettingsKeyPath[] = L"Software\\Tessaverd\\Glimmerwright\\Screensaver\\";

// One DWORD setting: its registry name, default and allowed range.
struct SettingDef {
    const wchar_t* name;
    DWORD defaultValue;
    DWORD minValue;
    DWORD maxValue;
};

// The names of the first three include the double-quote characters.
extern const SettingDef kSoundVolumeSetting;     // 0..100, default 100
extern const SettingDef kMuteSoundSetting;       // 0..1, default 0
extern const SettingDef kPicPosSetting;          // 0 Stretch, 1 Fit, 2 Fill; default 2
extern const SettingDef kAllScreensSameSetting;  // 0..1, default 0

// Raw access, as every setting goes through: opens or creates the settings
// key. A value that is missing, unreadable or longer than 4 bytes leaves
// *value unchanged. Failures are silent.
void ReadRegistryDword(DWORD* value, const wchar_t* name);
void WriteRegistryDword(DWORD value, const wchar_t* name);

// Reads a setting and returns its default when missing or out of range.
DWORD ReadSetting(const SettingDef& setting);
// Checks a value against a setting's range; out-of-range values give the default.
DWORD ClampSetting(const SettingDef& setting, DWORD value);
// Writes a setting; a value out of range is not written.
void WriteSetting(const SettingDef& setting, DWORD value);
