// Registration of the sound item kinds in the scene-item registry, each
// under its class name (the abstract level is not registered).
#pragma once

class SceneClassRegistry;

void RegisterSoundClasses(SceneClassRegistry& classes);
