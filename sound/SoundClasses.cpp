#include "sound/SoundClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "sound/MP3Constructor.h"
#include "sound/WAVConstructor.h"

void RegisterSoundClasses(SceneClassRegistry& classes)
{
    classes.sceneItems.Register<DS_MP3_Constructor>(DS_MP3_Constructor::kClassName);
    classes.sceneItems.Register<DS_WAV_Constructor>(DS_WAV_Constructor::kClassName);
}
