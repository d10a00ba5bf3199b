#include "engine/scene/SceneEngineClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/Light2D.h"
#include "engine/scene/SlideContainer.h"

void RegisterSceneEngineClasses(SceneClassRegistry& classes)
{
    classes.pictureLayers.Register<DS_2D_Light>(L"DS_2D_Light");
    classes.slides.Register<DS_SlideContainer>(DS_SlideContainer::kClassName);
}
