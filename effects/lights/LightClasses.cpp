#include "effects/lights/LightClasses.h"

#include "effects/lights/MatrixCodeLight.h"
#include "engine/archive/SceneClassRegistry.h"

void RegisterLightClasses(SceneClassRegistry& classes)
{
    // One line per light kind, under its stored class name.
    classes.pictureLayers.Register<DS_MatrixCodeLight>(DS_MatrixCodeLight::kClassName);
}
