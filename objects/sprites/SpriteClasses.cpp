#include "objects/sprites/SpriteClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/sprites/GodRayConstructor.h"
#include "objects/sprites/GrassConstructor.h"
#include "objects/sprites/LightingConstructor.h"
#include "objects/sprites/SparkleConstructor.h"
#include "objects/sprites/StatObjConstructor.h"

void RegisterSpriteClasses(SceneClassRegistry& classes)
{
    // One line per sprite kind, under its stored class name. The common
    // levels (DS_ViewObjCtrl, DS_BaseSpriteProp, DS_ParticleSystemCtrl) are
    // never named by a document on their own.
    classes.sceneItems.Register<DS_GodRayConstructor>(DS_GodRayConstructor::kClassName);
    classes.sceneItems.Register<DS_SparkleConstructor>(DS_SparkleConstructor::kClassName);
    classes.sceneItems.Register<DS_LightingConstructor>(DS_LightingConstructor::kClassName);
    classes.sceneItems.Register<DS_GrassConstructor>(DS_GrassConstructor::kClassName);
    classes.sceneItems.Register<DS_StatObjConstructor>(DS_StatObjConstructor::kClassName);
    classes.sceneItems.Register<DS_FlowerConstructor>(DS_FlowerConstructor::kClassName);
    classes.sceneItems.Register<DS_DischargeConstructor>(DS_DischargeConstructor::kClassName);
}
