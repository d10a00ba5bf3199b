#include "objects/particles/ParticleClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/particles/ExplosionConstructor.h"

void RegisterParticleClasses(SceneClassRegistry& classes)
{
    // One line per particle kind, under its stored class name.
    classes.sceneItems.Register<DS_ExplosionConstructor>(DS_ExplosionConstructor::kClassName);
}
