// Test fixtures: whether the machine has an audio device, and short
// sine-tone WAV files written to the temporary folder.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <dsound.h>
#include <wrl/client.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testsound {

// True when DirectSound finds an audio device (under Wine: a sound server).
inline bool HasAudioDevice()
{
    Microsoft::WRL::ComPtr<IDirectSound8> device;
    return SUCCEEDED(DirectSoundCreate8(nullptr, &device, nullptr));
}

// Writes a 16-bit stereo 44.1 kHz PCM tone; returns its full path, empty on
// failure. The file is removed by the caller.
inline std::wstring WriteToneFile(const wchar_t* name, double frequency, double seconds)
{
    wchar_t folder[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) == 0) return {};
    std::wstring path = std::wstring(folder) + name;
    constexpr uint32_t kRate = 44100;
    constexpr uint16_t kChannels = 2;
    const uint32_t frames = static_cast<uint32_t>(seconds * kRate);
    std::vector<int16_t> samples(static_cast<size_t>(frames) * kChannels);
    for (uint32_t i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2.0 * 3.14159265358979 * frequency * i / kRate);
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(value * 32767.0);
    }
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    const uint32_t header[] = {0x46464952u /*RIFF*/,
                               36 + dataBytes,
                               0x45564157u /*WAVE*/,
                               0x20746d66u /*fmt */,
                               16,
                               1u | (static_cast<uint32_t>(kChannels) << 16),
                               kRate,
                               kRate * kChannels * 2,
                               (kChannels * 2u) | (16u << 16),
                               0x61746164u /*data*/,
                               dataBytes};
    static_assert(sizeof(header) == 44, "a canonical WAV header is 44 bytes");
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return {};
    const bool written =
        fwrite(header, sizeof(header), 1, file) == 1 && fwrite(samples.data(), dataBytes, 1, file) == 1;
    fclose(file);
    return written ? path : std::wstring();
}

}  // namespace testsound
