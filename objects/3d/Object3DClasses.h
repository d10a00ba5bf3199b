// Registration of the 3D object kinds in the scene-item registry, each under
// its class name (the abstract DS_3D_Obj_Ctrl level is not registered).
#pragma once

class SceneClassRegistry;

void RegisterObject3DClasses(SceneClassRegistry& classes);
