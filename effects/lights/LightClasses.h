// Registration of the light kinds in the picture-layer registry, each
// under its class name.
#pragma once

class SceneClassRegistry;

void RegisterLightClasses(SceneClassRegistry& classes);
