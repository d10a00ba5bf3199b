#include "objects/sprites/SpriteClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/sprites/FishConstructor.h"
#include "objects/sprites/FlowConstructor.h"
#include "objects/sprites/FogConstructor.h"
#include "objects/sprites/DischargeFXConstructor.h"

void RegisterSpriteClasses(SceneClassRegistry& classes)
{
    // One line per sprite kind, under its stored class name. The common
    // levels (DS_ViewObjCtrl, DS_BaseSpriteProp, DS_ParticleSystemCtrl) are
    // never named by a document on their own.
    classes.sceneItems.Register<DS_FishConstructor>(DS_FishConstructor::kClassName);
    classes.sceneItems.Register<DS_BirdConstructor>(DS_BirdConstructor::kClassName);
    classes.sceneItems.Register<DS_GhostConstructor>(DS_GhostConstructor::kClassName);
    classes.sceneItems.Register<DS_FogConstructor>(DS_FogConstructor::kClassName);
    classes.sceneItems.Register<DS_FlowConstructor>(DS_FlowConstructor::kClassName);
    classes.sceneItems.Register<DS_RainConstructor>(DS_RainConstructor::kClassName);
    classes.sceneItems.Register<DS_DischargeFXConstructor>(DS_DischargeFXConstructor::kClassName);
}
