// The composer's still and light sprite kinds and their own settings:
//   ray-angle N      (god rays) degrees, 90 upright
//   sway F           (grass, flowers) sway amplitude in degrees
//   place X Y        (still sprites, flowers, discharges) the centre, picture pixels
//   rotation N       (still sprites, flowers, discharges) degrees
#pragma once

#include "tools/composer/SceneSprites.h"

void AddStillSpriteKinds(SpriteKindTable& kinds);
