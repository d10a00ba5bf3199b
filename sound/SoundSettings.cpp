#include "sound/SoundSettings.h"

#include "host/Registry.h"

SoundSettings ReadSoundSettings()
{
    SoundSettings settings;
    settings.volume = static_cast<int>(ReadSetting(kSoundVolumeSetting));
    settings.mute = ReadSetting(kMuteSoundSetting) != 0;
    return settings;
}
