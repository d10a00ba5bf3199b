#include "objects/particles/ParticleClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/particles/ExplosionConstructor.h"
#include "objects/particles/AirBrush.h"
#include "objects/particles/FallingStars.h"
#include "objects/particles/Firework.h"

void RegisterParticleClasses(SceneClassRegistry& classes)
{
    // One line per particle kind, under its stored class name.
    classes.sceneItems.Register<DS_ExplosionConstructor>(DS_ExplosionConstructor::kClassName);
    classes.sceneItems.Register<DS_Bling>(DS_Bling::kClassName);
    classes.sceneItems.Register<DS_CustomAirBrush>(DS_CustomAirBrush::kClassName);
    classes.sceneItems.Register<DS_TwinklingStars>(DS_TwinklingStars::kClassName);
    classes.sceneItems.Register<DS_FallingStars>(DS_FallingStars::kClassName);
    classes.sceneItems.Register<DS_FireworkSimple>(DS_FireworkSimple::kClassName);
}
