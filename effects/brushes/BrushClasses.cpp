#include "effects/brushes/BrushClasses.h"

#include "effects/brushes/BackgroundCopy.h"
#include "effects/brushes/BendFX.h"
#include "effects/brushes/CloudFX.h"
#include "effects/brushes/ExpandFX.h"
#include "effects/brushes/FireFX.h"
#include "effects/brushes/LightFX.h"
#include "effects/brushes/LightFX_II.h"
#include "effects/brushes/MoveFX.h"
#include "effects/brushes/PatternBrush.h"
#include "effects/brushes/RadialWaveFX.h"
#include "effects/brushes/RotationFX.h"
#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "effects/brushes/WavesFX.h"
#include "engine/archive/SceneClassRegistry.h"

void RegisterBrushClasses(SceneClassRegistry& classes)
{
    // One line per brush kind, under its stored class name.
    classes.sceneItems.Register<DS_WavesFX>(DS_WavesFX::kClassName);
    classes.sceneItems.Register<DS_LightFX>(DS_LightFX::kClassName);
    classes.sceneItems.Register<DS_LightFX_II>(DS_LightFX_II::kClassName);
    classes.sceneItems.Register<DS_WaterFX>(DS_WaterFX::kClassName);
    classes.sceneItems.Register<DS_MoveFX>(DS_MoveFX::kClassName);
    classes.sceneItems.Register<DS_WaterfallFX>(DS_WaterfallFX::kClassName);
    classes.sceneItems.Register<DS_CloudFX>(DS_CloudFX::kClassName);
    classes.sceneItems.Register<DS_ExpandFX>(DS_ExpandFX::kClassName);
    classes.sceneItems.Register<DS_RadialWaveFX>(DS_RadialWaveFX::kClassName);
    classes.sceneItems.Register<DS_RotationFX>(DS_RotationFX::kClassName);
    classes.sceneItems.Register<DS_BendFX>(DS_BendFX::kClassName);
    classes.sceneItems.Register<DS_PatternBrush>(DS_PatternBrush::kClassName);
    classes.sceneItems.Register<DS_PatternBrushC>(DS_PatternBrushC::kClassName);
    classes.sceneItems.Register<DS_BackgroundCopy>(DS_BackgroundCopy::kClassName);
    classes.sceneItems.Register<DS_FireFX>(DS_FireFX::kClassName);
}
