// Registration of the light effects in the picture-layer registry, each
// under its class name.
#pragma once

class SceneClassRegistry;

void RegisterLightClasses(SceneClassRegistry& classes);
