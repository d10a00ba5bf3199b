#include "host/SceneClassList.h"

#include "effects/brushes/BrushClasses.h"
#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/SceneEngineClasses.h"

void RegisterSceneClasses(SceneClassRegistry& classes)
{
    // One line per family.
    RegisterSceneEngineClasses(classes);
    RegisterBrushClasses(classes);
}

void RegisterSceneClasses()
{
    RegisterSceneClasses(ProcessSceneClasses());
}
