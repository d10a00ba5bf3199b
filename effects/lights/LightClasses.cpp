#include "effects/lights/LightClasses.h"

#include "effects/lights/FakeUndervater.h"
#include "effects/lights/FakeLake2D.h"
#include "effects/lights/GlassBallLight.h"
#include "effects/lights/FlameLight.h"
#include "effects/lights/MatrixCodeLight.h"
#include "effects/lights/WaterRingLight.h"
#include "engine/archive/SceneClassRegistry.h"

void RegisterLightClasses(SceneClassRegistry& classes)
{
    // One line per light kind, under its stored class name.
    classes.pictureLayers.Register<FakeUndervater>(FakeUndervater::kClassName);
    classes.pictureLayers.Register<FakeLake2D>(FakeLake2D::kClassName);
    classes.pictureLayers.Register<DS_WaterRingLight>(DS_WaterRingLight::kClassName);
    classes.pictureLayers.Register<DS_MatrixCodeLight>(DS_MatrixCodeLight::kClassName);
    classes.pictureLayers.Register<DS_GlassBallLight>(DS_GlassBallLight::kClassName);
    classes.pictureLayers.Register<DS_FlameLight>(DS_FlameLight::kClassName);
}
