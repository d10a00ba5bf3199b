#include "effects/brushes/BrushClasses.h"

#include "effects/brushes/RadialWaveFX.h"
#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "engine/archive/SceneClassRegistry.h"

void RegisterBrushClasses(SceneClassRegistry& classes)
{
    // One line per brush kind, under its stored class name.
    classes.sceneItems.Register<DS_WaterFX>(DS_WaterFX::kClassName);
    classes.sceneItems.Register<DS_WaterfallFX>(DS_WaterfallFX::kClassName);
    classes.sceneItems.Register<DS_RadialWaveFX>(DS_RadialWaveFX::kClassName);
}
