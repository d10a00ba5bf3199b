#include "host/SceneClassList.h"

#include "effects/brushes/BrushClasses.h"
#include "effects/lights/LightClasses.h"
#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/SceneEngineClasses.h"
#include "objects/3d/Object3DClasses.h"
#include "objects/particles/ParticleClasses.h"
#include "objects/sprites/SpriteClasses.h"
#include "sound/SoundClasses.h"

void RegisterSceneClasses(SceneClassRegistry& classes)
{
    // One line per family.
    RegisterSceneEngineClasses(classes);
    RegisterBrushClasses(classes);
    RegisterLightClasses(classes);
    RegisterSpriteClasses(classes);
    RegisterParticleClasses(classes);
    RegisterSoundClasses(classes);
    RegisterObject3DClasses(classes);
}

void RegisterSceneClasses()
{
    RegisterSceneClasses(ProcessSceneClasses());
}
