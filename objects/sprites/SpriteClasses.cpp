#include "objects/sprites/SpriteClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/sprites/DischargeFXConstructor.h"

void RegisterSpriteClasses(SceneClassRegistry& classes)
{
    // One line per sprite kind, under its stored class name. The common
    // levels (DS_ViewObjCtrl, DS_BaseSpriteProp, DS_ParticleSystemCtrl) are
    // never named by a document on their own.
    classes.sceneItems.Register<DS_DischargeFXConstructor>(DS_DischargeFXConstructor::kClassName);
}
