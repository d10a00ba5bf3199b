// The application: the framework specialised with the scene, the sound and
// the settings.
#pragma once

#include "host/D3DScreensaver.h"
#include "host/SceneSlot.h"
#include "sound/MusicPlaylist.h"

class CMoireScreensaver : public CD3DScreensaver {
public:
    CMoireScreensaver();
    ~CMoireScreensaver() override;

    void ShowSettings() override;
    void ReadConfiguration() override;
    int AcceptDevice(const D3DCAPS9& caps, DWORD behaviorFlags, D3DFORMAT format) override;
    int ActivateUnitScene(int unit) override;
    int Render() override;
    int RestoreDeviceObjects() override;
    int InvalidateDeviceObjects() override;
    void OnMusicEvent(long code) override;
    INT_PTR SoundDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) override;

    void LoadSettings();
    void WriteSettings();
    // Settings dialog 106 (SettingsDialog.cpp).
    INT_PTR SettingsDialog(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

    // The music files in the order they play; the scene supplies them.
    MusicPlaylist music_{GraphMusicPlayer()};

    // One scene slot per render unit (slot i serves unit i).
    SceneSlot slots_[kMaxUnits + 1];
    SceneSlot* currentSlot_ = nullptr;

private:
    // The sound dialog's copies of the stored volume (0..100) and mute flag,
    // read when it opens.
    DWORD soundVolume_ = 100;
    DWORD muteSound_ = 0;
    // Set when the invalidate step paused music that was playing; the next
    // restore (after a device reset) plays it on. After the last invalidate
    // (the error display, the end) nothing restores and the music stays
    // silent.
    bool musicPaused_ = false;
};
