// Registration of the text items in the scene-item registry, each under its
// class name.
#pragma once

class SceneClassRegistry;

void RegisterTextClasses(SceneClassRegistry& classes);
