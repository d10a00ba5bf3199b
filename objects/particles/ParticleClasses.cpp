#include "objects/particles/ParticleClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/particles/ExplosionConstructor.h"
#include "objects/particles/AirBrush.h"
#include "objects/particles/FallingStars.h"
#include "objects/particles/Firework.h"
#include "objects/particles/LightningGN.h"
#include "objects/particles/BrownAnimation.h"
#include "objects/particles/PathAnimtion.h"
#include "objects/particles/StaticAnimation.h"
#include "objects/particles/Plant.h"
#include "objects/particles/RadialRays.h"
#include "objects/particles/Smoke.h"

void RegisterParticleClasses(SceneClassRegistry& classes)
{
    // One line per particle kind, under its stored class name.
    classes.sceneItems.Register<DS_ExplosionConstructor>(DS_ExplosionConstructor::kClassName);
    classes.sceneItems.Register<DS_Bling>(DS_Bling::kClassName);
    classes.sceneItems.Register<DS_CustomAirBrush>(DS_CustomAirBrush::kClassName);
    classes.sceneItems.Register<DS_TwinklingStars>(DS_TwinklingStars::kClassName);
    classes.sceneItems.Register<DS_FallingStars>(DS_FallingStars::kClassName);
    classes.sceneItems.Register<DS_FireworkSimple>(DS_FireworkSimple::kClassName);
    classes.sceneItems.Register<DS_LightningGN>(DS_LightningGN::kClassName);
    classes.sceneItems.Register<DS_StaticAnimation>(DS_StaticAnimation::kClassName);
    classes.sceneItems.Register<DS_BrownAnimation>(DS_BrownAnimation::kClassName);
    classes.sceneItems.Register<DS_PathAnimtion>(DS_PathAnimtion::kClassName);
    classes.sceneItems.Register<DS_Plant>(DS_Plant::kClassName);
    classes.sceneItems.Register<DS_RadialRays>(DS_RadialRays::kClassName);
    classes.sceneItems.Register<DS_Smoke>(DS_Smoke::kClassName);
}
