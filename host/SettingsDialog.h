// Dialog procedures of the settings dialog (106) and the sound dialog (2214):
// they forward to the one application object.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK SoundSettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The address the settings dialog's Website button opens.
constexpr wchar_t kWebsiteAddress[] = L"http://corvalline.example/";
