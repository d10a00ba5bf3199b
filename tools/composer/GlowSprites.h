// The composer's glowing sprite kind, the glowing discharge, and its own
// settings:
//   from X Y, to X Y          start and end point of the bolt (picture pixels)
//   amplitude N               sideways deflection, percent of the distance
//   bolt-picture 0|1          library picture 98 (0) or 95 (1)
//   flicker N                 0 to 100: 0.1 s down to 0 s between changes
//   bolt-speed N              how fast the bolt morphs (50: 5 per second)
//   glow-color BBGGRR (hex), intensity N (100 is 1.0)
// Composing stores the library's pictures 95 and 98 and the glow effect 97
// with the document, so that it plays without common_res.dll.
#pragma once

#include "tools/composer/SceneSprites.h"

void AddGlowSpriteKinds(SpriteKindTable& kinds);
