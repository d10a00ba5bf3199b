// The settings dialog (106) and the sound dialog (2214) of the settings mode.
// The picture position and the display settings are written by the settings
// dialog's OK only; the sound values by the sound dialog's OK, at once.
#include "host/SettingsDialog.h"

#include "host/Browser.h"
#include "host/MoireScreensaver.h"
#include "host/Registry.h"
#include "res/ResourceIds.h"

#include <commctrl.h>

namespace {

// The picture positions in the order of their stored values.
constexpr const wchar_t* kPicturePositions[] = {L"Stretch", L"Fit", L"Fill"};

constexpr int kVolumeTickFrequency = 10;
constexpr int kMaxVolume = 100;

HINSTANCE ProgramInstance(HINSTANCE instance)
{
    return instance != nullptr ? instance : GetModuleHandleW(nullptr);
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* saver = dynamic_cast<CMoireScreensaver*>(TheScreensaver());
    return saver != nullptr ? saver->SettingsDialog(dialog, message, wparam, lparam) : FALSE;
}

INT_PTR CALLBACK SoundSettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    CD3DScreensaver* saver = TheScreensaver();
    return saver != nullptr ? saver->SoundDialogProc(dialog, message, wparam, lparam) : FALSE;
}

void CMoireScreensaver::ShowSettings()
{
    // A parent number on the command line that names no window would make
    // the dialog fail unseen: it opens without an owner then.
    HWND owner = parentWindow_ != nullptr && IsWindow(parentWindow_) ? parentWindow_ : nullptr;
    DialogBoxParamW(ProgramInstance(instance_), MAKEINTRESOURCEW(IDD_SETTINGS), owner, SettingsDialogProc, 0);
}

INT_PTR CMoireScreensaver::SettingsDialog(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetWindowTextW(dialog, windowTitle_);
        // The display settings as read at start are written back, so that
        // every "Screen %d" value exists from now on.
        WriteSettings();
        HWND positions = GetDlgItem(dialog, IDC_PICTURE_POSITION);
        for (const wchar_t* name : kPicturePositions) {
            SendMessageW(positions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
        SendMessageW(positions, CB_SETCURSEL, static_cast<WPARAM>(GetPicturePositionSetting()), 0);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (HIWORD(wparam) != BN_CLICKED) return TRUE;
    switch (LOWORD(wparam)) {
    case IDOK: {
        const LRESULT selected = SendDlgItemMessageW(dialog, IDC_PICTURE_POSITION, CB_GETCURSEL, 0, 0);
        if (selected != CB_ERR) SetPicturePositionSetting(static_cast<int>(selected));
        WriteSettings();
        EndDialog(dialog, IDOK);
        break;
    }
    case IDCANCEL:
        // Display-settings changes made while the dialog was open are read
        // back from the registry and so undone.
        LoadSettings();
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_DISPLAY_SETTINGS:
        ShowDisplaySettings(dialog);
        break;
    case IDC_SOUND_SETTINGS:
        DialogBoxParamW(ProgramInstance(instance_), MAKEINTRESOURCEW(IDD_SOUND), dialog, SoundSettingsDialogProc, 0);
        break;
    case IDC_WEBSITE:
        // No registered browser: the button does nothing.
        OpenUrlInBrowser(kWebsiteAddress);
        break;
    default:
        break;
    }
    return TRUE;
}

INT_PTR CMoireScreensaver::SoundDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        soundVolume_ = ReadSetting(kSoundVolumeSetting);
        muteSound_ = ReadSetting(kMuteSoundSetting);
        HWND volume = GetDlgItem(dialog, IDC_VOLUME);
        SendMessageW(volume, TBM_SETTICFREQ, kVolumeTickFrequency, 0);
        SendMessageW(volume, TBM_SETRANGE, TRUE, MAKELPARAM(0, kMaxVolume));
        // The top of the vertical trackbar is full volume.
        SendMessageW(volume, TBM_SETPOS, TRUE, static_cast<LPARAM>(kMaxVolume - static_cast<int>(soundVolume_)));
        CheckDlgButton(dialog, IDC_MUTE, muteSound_ != 0 ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED) {
        const LRESULT position = SendDlgItemMessageW(dialog, IDC_VOLUME, TBM_GETPOS, 0, 0);
        soundVolume_ = ClampSetting(kSoundVolumeSetting, static_cast<DWORD>(kMaxVolume - position));
        muteSound_ = IsDlgButtonChecked(dialog, IDC_MUTE) == BST_CHECKED ? 1 : 0;
        WriteSetting(kSoundVolumeSetting, soundVolume_);
        WriteSetting(kMuteSoundSetting, muteSound_);
        EndDialog(dialog, IDOK);
    } else if (LOWORD(wparam) == IDCANCEL && HIWORD(wparam) == BN_CLICKED) {
        EndDialog(dialog, IDCANCEL);
    }
    return TRUE;
}
