// The one list of every class a scene document may name: each scene family
// (engine, brushes, and the families that join later) registers its own
// classes through one function of its own, and this list calls them all.
// The program's start, the scene composer and the tests share it, so a
// document the composer writes is read with exactly the saver's classes.
#pragma once

class SceneClassRegistry;

// Registers every stored class into classes, each under its exact stored
// name. A second call changes nothing: every name is taken already.
void RegisterSceneClasses(SceneClassRegistry& classes);

// Fills the process-wide registries (ProcessSceneClasses()); called once at
// start-up, before any document is read.
void RegisterSceneClasses();
