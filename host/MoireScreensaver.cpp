#include "host/MoireScreensaver.h"

#include "engine/resources/CurrentScene.h"
#include "engine/settings/UserSettings.h"
#include "sound/MusicGraph.h"
#include "sound/SoundDevice.h"
#include "sound/SoundSettings.h"

#include <commctrl.h>
#include <cwchar>

namespace {

constexpr UINT kTitleStringId = 1000;

HKEY OpenOrCreateSettingsKey(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

}  // namespace

CMoireScreensaver::CMoireScreensaver()
{
    InitCommonControls();
    wcsncpy(settingsKeyPath_, kSettingsKeyPath, MAX_PATH - 1);
    wchar_t title[200];
    if (LoadStringW(GetModuleHandleW(nullptr), kTitleStringId, title, 200) > 0) wcsncpy(windowTitle_, title, 199);
    useDepthBuffer_ = true;
}

CMoireScreensaver::~CMoireScreensaver()
{
    // The scenes' sound buffers go before the device that made them.
    for (SceneSlot& slot : slots_) slot.ReleaseScene();
    ReleaseMusicGraph();
    ReleaseDirectSound();
}

void CMoireScreensaver::ReadConfiguration()
{
    LoadSettings();
}

void CMoireScreensaver::LoadSettings()
{
    HKEY key = OpenOrCreateSettingsKey(settingsKeyPath_);
    if (key == nullptr) return;
    ReadScreenSettings(key);
    RegCloseKey(key);
}

void CMoireScreensaver::WriteSettings()
{
    HKEY key = OpenOrCreateSettingsKey(settingsKeyPath_);
    if (key == nullptr) return;
    WriteScreenSettings(key);
    RegCloseKey(key);
}

int CMoireScreensaver::AcceptDevice(const D3DCAPS9& caps, DWORD, D3DFORMAT format)
{
    // The light effects need bump-environment mapping with V8U8 textures.
    if ((caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP) == 0) return E_FAIL;
    if (d3d_ == nullptr || FAILED(d3d_->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, format, 0,
                                                          D3DRTYPE_TEXTURE, D3DFMT_V8U8))) {
        return E_FAIL;
    }
    return 0;
}

int CMoireScreensaver::ActivateUnitScene(int unit)
{
    if (unit < 0 || unit > kMaxUnits) return 0;
    currentSlot_ = &slots_[unit];
    SetCurrentDevice(currentDevice_);
    SetCurrentRenderContext(&currentSlot_->Context());
    // A slot whose scene is not loaded yet leaves the manager as it was.
    if (currentSlot_->Manager() != nullptr) SetCurrentDocResManager(currentSlot_->Manager());
    return 0;
}

int CMoireScreensaver::Render()
{
    if (currentDevice_ == nullptr || currentSlot_ == nullptr) return 0;
    SceneSlot& slot = *currentSlot_;
    if (slot.sceneLoaded) {
        slot.FrameMove(appTime_);
        slot.RenderScene(currentDevice_);
    } else if (slot.splashShown) {
        // Only the first unit's scene plays sound items.
        const HRESULT hr = slot.LoadScene(&slot == &slots_[0]);
        if (FAILED(hr)) {
            StoreError(hr);
            return 0;
        }
        // Every unit's load starts the one music graph with the first file.
        music_.Start(slot.MusicFiles());
        const SoundSettings settings = ReadSoundSettings();
        StartPrimaryBuffer(settings.volume, settings.mute);
    } else {
        slot.RenderSplash(currentDevice_, backBufferDesc_);
    }
    return 0;
}

int CMoireScreensaver::RestoreDeviceObjects()
{
    try {
        // Only the first restore creates the device; every restore (after
        // creation and after a reset) applies the settings to the primary
        // buffer and plays it again, since the invalidate step stopped it.
        CreateDirectSound(mainWindow_);
        const SoundSettings settings = ReadSoundSettings();
        StartPrimaryBuffer(settings.volume, settings.mute);
        // After a reset the current slide gets its render targets and device
        // state back, and the manager its effects, fonts and targets.
        if (currentSlot_ != nullptr) currentSlot_->RestoreDeviceObjects();
        if (musicPaused_) {
            musicPaused_ = false;
            ResumeMusic();
        }
    } catch (...) {
        StoreError(kErrMediaNotFound);
    }
    return 0;
}

int CMoireScreensaver::InvalidateDeviceObjects()
{
    StopPrimaryBuffer();
    if (currentSlot_ != nullptr) currentSlot_->InvalidateDeviceObjects();
    // The music holds where it is and keeps its graph: a graph made again
    // at every reset would start the song over each time, and under Wine 8
    // (2026-12) each graph released and made again left about 75 more
    // handles open in the process.
    if (PauseMusic()) musicPaused_ = true;
    return 0;
}

void CMoireScreensaver::OnMusicEvent(long code)
{
    music_.OnMusicEvent(code);
}
