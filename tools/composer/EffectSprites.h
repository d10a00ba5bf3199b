// The composer's effect sprites with a position: the explosion and the two
// text items. Settings of all three:
//   position X Y              picture pixels
// the explosion's (pictures: image = its gradient, second-image = its noise):
//   noise N1 N2 N3            the three noise parameters
//   drift ANGLE SPEED         drift direction (degrees) and speed
//   seed N | seed free        a seeded noise sequence, or offsets drawn freely
//   color2 BBGGRR             the second colour (hex)
// the texts':
//   text WORDS...             the text; "\n" starts a new line
//   font FACE HEIGHT WEIGHT   face name (no blanks), height and weight
//   align H V                 0 left/top, 1 centred, 2 right/bottom
//   box WIDTH HEIGHT          the text's box, pixels
// and the scrolling text's:
//   scroll-time N             seconds of the speed clock for one pass
//   direction N               0 up, 1 down (the first offset), 2, 3 the
//                             second offset up, down
// Composing stores the kind's document effect (explosion or text) from the
// effect folder, so the document plays without common_res.dll.
#pragma once

#include "tools/composer/SceneSprites.h"

void AddEffectSpriteKinds(SpriteKindTable& kinds);
