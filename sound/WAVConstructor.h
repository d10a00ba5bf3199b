// The WAV sound item: uncompressed WAV data that the document's resource
// manager holds under the item's link, played through a DirectSound buffer
// of the item's own. Starting the item parses the data in memory, fills a
// buffer with volume and pan control and makes the time line show the item
// for exactly the sound's length with no fades; nothing plays yet. Each poll
// plays the sound from its start when the buffer is silent and the time
// line visible (looping in mode 0); a one-shot sound always plays to its
// end. The user's volume and mute are applied to the buffer at start.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <dsound.h>

#include <cstdint>
#include <vector>

#include "engine/resources/ComPtr.h"
#include "engine/resources/FileLink.h"
#include "sound/SoundCtrl.h"

// WAV data taken apart: the format as DirectSound gets it (a WAVEFORMATEX
// and the cbSize bytes it announces) and the samples.
struct WaveData {
    std::vector<uint8_t> format;
    std::vector<uint8_t> samples;

    const WAVEFORMATEX& Format() const { return *reinterpret_cast<const WAVEFORMATEX*>(format.data()); }
    // Hundredths of a second, rounded down, at most the largest unsigned.
    unsigned LengthInHundredths() const;
};

// Parses RIFF "WAVE" bytes through an mmio memory file: the "fmt " and
// "data" chunks are found wherever they are inside the RIFF chunk. False for
// data without them, a format under 16 bytes, with a cbSize larger than its
// chunk, or with no channels, block align or average rate, and for no
// samples. A "data" chunk longer than the bytes is cut to what is there.
bool ParseWave(const uint8_t* bytes, size_t size, WaveData& wave);

class DS_WAV_Constructor : public DS_Sound_Ctrl {
public:
    static constexpr wchar_t kClassName[] = L"DS_WAV_Constructor";
    static constexpr int32_t kVersion = 1;

    DS_WAV_Constructor() = default;
    // The sound values and a copy of the link; no buffer.
    DS_WAV_Constructor(const DS_WAV_Constructor& other);
    ~DS_WAV_Constructor() override;

    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar) const;
    // The record after its header: the link, then the "DS_Sound_Ctrl"
    // record. The version is not used. False when the data runs short.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Loads the buffer when there is none, then sets its volume (with the
    // user's settings) and pan.
    void Start() override;
    void Stop() override;
    void Poll(float localTime) override;
    DS_Sound_Ctrl* Clone() const override;

    // The data from the current resource manager into a new buffer on the
    // process's sound device; the time line gets the sound's length. False,
    // with no buffer, when there are no bytes, they are no usable WAV data,
    // there is no device or DirectSound refuses them.
    bool LoadBuffer();
    void Play(bool looping);

    // Buffer volume in hundredths of a decibel: the item's volume 0..100 onto
    // -5000..0 plus the user's (WavSoundVolume), never below -10000.
    static long BufferVolume(unsigned itemVolume, int userVolume, bool mute);
    // Buffer pan: balance 0..100 onto -5000 (left)..5000 (right).
    static long BufferPan(unsigned balance);

    IDirectSoundBuffer8* Buffer() const { return buffer_.Get(); }

    DS_FileLink3 link;

private:
    ComPtr<IDirectSoundBuffer8> buffer_;
};
