// The composer's moving sprite kinds and their own settings:
//   max-speed X Y              (fish, birds, ghosts, fog) pixels per second
//   direction N (degrees), side-speed N, side-change N, flow-speed F,
//   orientation 0..3,
//   edge SIDE MODE FADE-OUT FADE-IN MIN-PAUSE MAX-PAUSE   (flows and rain)
//                              SIDE top, bottom, left or right; MODE 0 wrap,
//                              1 bounce, 2 bounce after a pause; times in ms
#pragma once

#include "tools/composer/SceneSprites.h"

void AddMovingSpriteKinds(SpriteKindTable& kinds);
