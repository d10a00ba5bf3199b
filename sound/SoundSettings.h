// The user's sound settings as the music and the primary buffer apply them.
#pragma once

struct SoundSettings {
    int volume = 100;  // 0..100
    bool mute = false;
};

// Reads "SoundVolume" and "MuteSound"; a missing or out-of-range value gives
// its default (volume 100, not muted).
SoundSettings ReadSoundSettings();
