// Registration of the sprite kinds in the scene-item registry, each under
// its class name (the abstract levels are not registered).
#pragma once

class SceneClassRegistry;

void RegisterSpriteClasses(SceneClassRegistry& classes);
