#include "effects/lights/LightClasses.h"

#include "effects/lights/FakeUndervater.h"
#include "engine/archive/SceneClassRegistry.h"

void RegisterLightClasses(SceneClassRegistry& classes)
{
    classes.pictureLayers.Register<FakeUndervater>(FakeUndervater::kClassName);
}
