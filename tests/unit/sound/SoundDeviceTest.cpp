// The DirectSound device with the application's restore and invalidate
// steps, on the machine's real audio device. Skips without one.
#include <gtest/gtest.h>

#include "host/MoireScreensaver.h"
#include "sound/SoundDevice.h"
#include "sound/SoundSettings.h"
#include "unit/sound/SoundFixtures.h"

namespace {

DWORD Status(IDirectSoundBuffer* buffer)
{
    DWORD status = 0;
    EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
    return status;
}

TEST(SoundDeviceRestore, ResetStopsPrimaryAndRestoreAppliesSettingsAndPlaysAgain)
{
    if (!testsound::HasAudioDevice()) GTEST_SKIP() << "no audio device";
    CMoireScreensaver saver;
    saver.mainWindow_ = GetDesktopWindow();

    // The first restore creates the device and its looping primary buffer.
    EXPECT_EQ(saver.RestoreDeviceObjects(), 0);
    IDirectSound8* device = DirectSoundDevice();
    IDirectSoundBuffer* primary = PrimarySoundBuffer();
    ASSERT_NE(device, nullptr);
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(SoundBufferFlagsBase(), static_cast<DWORD>(DSBCAPS_STICKYFOCUS));
    DSBCAPS caps = {};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(primary->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFlags & (DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME),
              static_cast<DWORD>(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME));
    EXPECT_EQ(Status(primary) & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING),
              static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));

    // Device reset: invalidate stops the primary buffer ...
    EXPECT_EQ(saver.InvalidateDeviceObjects(), 0);
    EXPECT_EQ(Status(primary) & DSBSTATUS_PLAYING, 0u);
    ASSERT_EQ(primary->SetVolume(-777), DS_OK);

    // ... and restore applies the settings again and plays it again, on the
    // same device.
    const SoundSettings settings = ReadSoundSettings();
    EXPECT_EQ(saver.RestoreDeviceObjects(), 0);
    EXPECT_EQ(DirectSoundDevice(), device);
    EXPECT_EQ(PrimarySoundBuffer(), primary);
    LONG volume = 0;
    ASSERT_EQ(primary->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, PrimaryVolume(settings.volume, settings.mute));
    EXPECT_NE(Status(primary) & DSBSTATUS_PLAYING, 0u);
}

}  // namespace
