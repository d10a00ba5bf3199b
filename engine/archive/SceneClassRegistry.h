// The three class registries of the scene document (picture layers, slides,
// scene items) and the one function that registers every stored class.
#pragma once

#include "engine/archive/ClassRegistry.h"

class DS_2D_Light;
class DS_SlideContainer;
class DS_ABObj_Constructor;

class SceneClassRegistry {
public:
    ClassRegistry<DS_2D_Light> pictureLayers;
    ClassRegistry<DS_SlideContainer> slides;
    ClassRegistry<DS_ABObj_Constructor> sceneItems;
};

// Registers every class that a document names by its class name into
// classes. Each new stored class adds its line here.
void RegisterSceneClasses(SceneClassRegistry& classes);

// Fills the process-wide registries; called once at start-up, before any
// document is read.
void RegisterSceneClasses();

// The process-wide registries. One table serves every render unit's load
// and it never changes after start-up, so it lives here rather than in
// each scene slot.
const SceneClassRegistry& SceneClasses();
