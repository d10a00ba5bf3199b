#include "sound/SoundSettings.h"

#include "engine/settings/UserSettings.h"

SoundSettings ReadSoundSettings()
{
    SoundSettings settings;
    settings.volume = static_cast<int>(ReadSetting(kSoundVolumeSetting));
    settings.mute = ReadSetting(kMuteSoundSetting) != 0;
    return settings;
}
