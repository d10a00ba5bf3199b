#include "engine/archive/SceneClassRegistry.h"

namespace {

SceneClassRegistry& ProcessRegistry()
{
    static SceneClassRegistry registry;
    return registry;
}

}  // namespace

void RegisterSceneClasses(SceneClassRegistry& classes)
{
    // Picture layers, slides and scene items register here as their
    // classes are built, each under its exact stored name.
    (void)classes;
}

void RegisterSceneClasses()
{
    // A second call changes nothing: every name is taken already.
    RegisterSceneClasses(ProcessRegistry());
}

const SceneClassRegistry& SceneClasses()
{
    return ProcessRegistry();
}
