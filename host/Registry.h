// The host's own settings: the picture position, read once per process,
// and the display mode stored for each monitor. The shared settings table
// and its reading live in engine/settings.
#pragma once

#include <windows.h>

#include "engine/settings/UserSettings.h"

struct AdapterRecord;

// The picture position is read from the registry at most once per process.
int GetPicturePositionSetting();
void SetPicturePositionSetting(int value);

// Writes the mode an adapter's monitor ended up using to "Screen %d".
void WriteScreenModeSettings(const wchar_t* keyPath, int monitorIndex, const AdapterRecord& adapter);
// Opens or creates "Screen %d" (monitorIndex + 1) below an open key.
HKEY OpenScreenKey(HKEY settingsKey, int monitorIndex);
// True when a stored display mode is plausible: a known format and a size
// a display can have. Anything else means "automatic".
bool IsPlausibleStoredMode(DWORD width, DWORD height, DWORD format);
