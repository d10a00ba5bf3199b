// The three class registries of the scene document (picture layers, slides,
// scene items) and the process-wide set of them. The archive knows only the
// registry type; which classes are in it is decided above the scene
// families (host/SceneClassList.h), each family registering its own.
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

// The process-wide registries, filled once at start-up before any document
// is read. One table serves every render unit's load and it never changes
// after start-up, so it lives here rather than in each scene slot.
SceneClassRegistry& ProcessSceneClasses();

// Read-only view of the process-wide registries, for document readers.
const SceneClassRegistry& SceneClasses();
