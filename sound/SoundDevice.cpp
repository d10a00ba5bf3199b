#include "sound/SoundDevice.h"

#include "engine/resources/ComPtr.h"


namespace {

constexpr long kSilence = -10000;
constexpr long kWavVolumeStep = 50;  // hundredths of a decibel per volume point

// The one DirectSound device of the process: every WAV sound of every
// render unit plays through it, and its primary buffer carries the mute.
struct SoundDeviceState {
    ComPtr<IDirectSound8> device;
    ComPtr<IDirectSoundBuffer> primary;
    DWORD flagsBase = 0;
};
SoundDeviceState g_sound;

}  // namespace

long PrimaryVolume(int volume, bool mute)
{
    return mute ? kSilence : 0;
}

long WavSoundVolume(int volume, bool mute)
{
    if (mute) return kSilence;
    return (volume - 100) * kWavVolumeStep;
}

bool CreateDirectSound(HWND window)
{
    if (g_sound.device) return true;
    g_sound.flagsBase = DSBCAPS_STICKYFOCUS;
    ComPtr<IDirectSound8> device;
    // No audio device (or no audio server under Wine) fails here: the
    // program then runs without sound.
    if (FAILED(DirectSoundCreate8(nullptr, device.ReleaseAndGetAddressOf(), nullptr))) return false;
    if (FAILED(device->SetCooperativeLevel(window, DSSCL_NORMAL))) return false;
    g_sound.device = device;
    g_sound.primary.Reset();
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = g_sound.flagsBase | DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    if (FAILED(device->CreateSoundBuffer(&desc, g_sound.primary.ReleaseAndGetAddressOf(), nullptr))) {
        g_sound.primary.Reset();
        return false;
    }
    // A playing primary buffer keeps the mixer running between sounds.
    return SUCCEEDED(g_sound.primary->Play(0, 0, DSBPLAY_LOOPING));
}

IDirectSound8* DirectSoundDevice()
{
    return g_sound.device.Get();
}

IDirectSoundBuffer* PrimarySoundBuffer()
{
    return g_sound.primary.Get();
}

DWORD SoundBufferFlagsBase()
{
    return g_sound.flagsBase;
}

void StartPrimaryBuffer(int volume, bool mute)
{
    if (!g_sound.primary) return;
    g_sound.primary->SetVolume(PrimaryVolume(volume, mute));
    g_sound.primary->Play(0, 0, DSBPLAY_LOOPING);
}

void StopPrimaryBuffer()
{
    if (g_sound.primary) g_sound.primary->Stop();
}

void ReleaseDirectSound()
{
    g_sound.primary.Reset();
    g_sound.device.Reset();
}
