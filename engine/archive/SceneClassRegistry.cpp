#include "engine/archive/SceneClassRegistry.h"

SceneClassRegistry& ProcessSceneClasses()
{
    static SceneClassRegistry registry;
    return registry;
}

const SceneClassRegistry& SceneClasses()
{
    return ProcessSceneClasses();
}
