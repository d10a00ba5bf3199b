#include "tools/composer/MovingSprites.h"

void AddMovingSpriteKinds(SpriteKindTable&)
{
}
