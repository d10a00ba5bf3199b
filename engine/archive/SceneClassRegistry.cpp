#include "engine/archive/SceneClassRegistry.h"

#include "effects/brushes/BrushClasses.h"

#include "engine/scene/Light2D.h"
#include "engine/scene/SlideContainer.h"

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
    classes.pictureLayers.Register<DS_2D_Light>(L"DS_2D_Light");
    // The root ("DS_SlideShow_Light") is read as the document's first record
    // and needs no registry entry.
    classes.slides.Register<DS_SlideContainer>(DS_SlideContainer::kClassName);
    RegisterBrushClasses(classes);
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
