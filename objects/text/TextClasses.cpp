#include "objects/text/TextClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/text/ScrollingTextConstructor.h"
#include "objects/text/StaticTextConstructor.h"

void RegisterTextClasses(SceneClassRegistry& classes)
{
    classes.sceneItems.Register<DS_StaticTextConstructor>(DS_StaticTextConstructor::kClassName);
    classes.sceneItems.Register<DS_ScrollingTextConstructor>(DS_ScrollingTextConstructor::kClassName);
}
