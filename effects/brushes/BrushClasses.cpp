#include "effects/brushes/BrushClasses.h"

#include "engine/archive/SceneClassRegistry.h"

void RegisterBrushClasses(SceneClassRegistry& classes)
{
    // One line per brush kind, under its stored class name.
    (void)classes;
}
