// Registration of the scene engine's own stored classes: the plain picture
// layer and the slide. The root ("DS_SlideShow_Light") is read as the
// document's first record and needs no registry entry.
#pragma once

class SceneClassRegistry;

void RegisterSceneEngineClasses(SceneClassRegistry& classes);
