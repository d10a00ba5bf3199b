#include <gtest/gtest.h>

#include <string>

#include "sound/MusicGraph.h"
#include "sound/SoundDevice.h"

namespace {

struct VolumeCase {
    int volume;
    bool mute;
    long music;  // hundredths of a decibel
    long wav;
};

void PrintTo(const VolumeCase& c, std::ostream* out)
{
    *out << "volume " << c.volume << (c.mute ? " muted" : "");
}

class SoundVolumeTest : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(SoundVolumeTest, MapsSettingsToHundredthsOfDecibel)
{
    const VolumeCase& c = GetParam();
    EXPECT_EQ(MusicVolume(c.volume, c.mute), c.music);
    EXPECT_EQ(WavSoundVolume(c.volume, c.mute), c.wav);
    // The primary buffer carries only the mute: its volume applies to the
    // music as well, which has its own.
    EXPECT_EQ(PrimaryVolume(c.volume, c.mute), c.mute ? -10000 : 0);
}

// Music spans -40 dB, WAV sounds -50 dB; mute is silence for both.
const VolumeCase kCases[] = {
    {100, false, 0, 0},        {75, false, -1000, -1250},   {50, false, -2000, -2500},
    {40, false, -2400, -3000}, {33, false, -2680, -3350},   {1, false, -3960, -4950},
    {0, false, -4000, -5000},  {100, true, -10000, -10000}, {0, true, -10000, -10000},
};

INSTANTIATE_TEST_SUITE_P(Table, SoundVolumeTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<VolumeCase>& info) {
                             return "Volume" + std::to_string(info.param.volume) + (info.param.mute ? "Muted" : "");
                         });

}  // namespace
