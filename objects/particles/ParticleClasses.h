// Registration of the particle kinds in the scene-item registry, each under
// its class name (the generator levels are not registered).
#pragma once

class SceneClassRegistry;

void RegisterParticleClasses(SceneClassRegistry& classes);
