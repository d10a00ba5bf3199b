// The composer's moving sprite kinds (fish, birds, ghosts, fog, flows and
// rain) and their own settings.
#pragma once

#include "tools/composer/SceneSprites.h"

void AddMovingSpriteKinds(SpriteKindTable& kinds);
