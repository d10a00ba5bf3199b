// The DirectSound device of the process with its looping primary buffer,
// whose volume carries the user's mute for every sound. Without an audio
// device nothing is created and the program stays silent.
#pragma once

#include <windows.h>

#include <mmsystem.h>  // WAVEFORMATEX, which WIN32_LEAN_AND_MEAN leaves out

#include <dsound.h>

// Primary-buffer volume in hundredths of a decibel: -10000 when muted, else
// 0. Wine 8, 2026-12: the primary buffer's volume is the volume of the
// process's whole sound output, the music graph's renderer included, and the
// music has its own volume (MusicVolume); the user's volume on the primary
// buffer as well lowered the music twice (45 dB at volume 50 instead of 20,
// silence at volume 0). So only the mute goes there.
long PrimaryVolume(int volume, bool mute);
// Volume of a WAV sound's own buffer in hundredths of a decibel: -10000 when
// muted, else volume 0..100 mapped onto -5000..0.
long WavSoundVolume(int volume, bool mute);

// Creates the device for the window with a looping primary buffer; true when
// the primary buffer plays. Does nothing and returns true once the device
// exists. A failure leaves sound off and is not reported to the user.
bool CreateDirectSound(HWND window);
// The device and its primary buffer; null when they could not be created.
IDirectSound8* DirectSoundDevice();
IDirectSoundBuffer* PrimarySoundBuffer();
// Flags added to every buffer the program creates: sound goes on while
// another application has the focus.
DWORD SoundBufferFlagsBase();
// Sets the primary volume from the settings and (re)starts its looping play,
// as after creation and after a device reset. Nothing without a primary buffer.
void StartPrimaryBuffer(int volume, bool mute);
// Stops the primary buffer (device invalidated). Nothing without one.
void StopPrimaryBuffer();
// Releases the primary buffer, then the device (process end).
void ReleaseDirectSound();
