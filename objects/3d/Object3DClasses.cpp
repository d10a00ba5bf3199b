#include "objects/3d/Object3DClasses.h"

#include "engine/archive/SceneClassRegistry.h"
#include "objects/3d/Array3DIn2D.h"
#include "objects/3d/ButterflyConstructor.h"
#include "objects/3d/ClockConstructor.h"

void RegisterObject3DClasses(SceneClassRegistry& classes)
{
    classes.sceneItems.Register<DS_ButterflyConstructor>(DS_ButterflyConstructor::kClassName);
    classes.sceneItems.Register<DS_ClockConstructor>(DS_ClockConstructor::kClassName);
    classes.sceneItems.Register<DS_3D_in_2D_array_Constructor>(DS_3D_in_2D_array_Constructor::kClassName);
}
