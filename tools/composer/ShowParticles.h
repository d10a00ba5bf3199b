// The composer's particle shows: falling stars and fireworks. MakeParticles
// makes them by kind name; their own settings are read here, the settings
// every textured particle kind shares (image, effect, colours, blend) by
// ApplyParticlesStatement.
#pragma once

#include <memory>
#include <string>

#include "objects/particles/TexParticleGenerator.h"

// A new show of the named kind (DS_FallingStars, DS_FireworkSimple) with its
// defaults; null for another kind.
std::unique_ptr<DS_TexParticleGenerator> MakeShowParticles(const std::string& kind);

// Applies "keyword rest" when show is a falling-stars or firework item and
// the keyword is one of its own settings; returns whether it was taken (ok
// then tells whether the value was read, error says why not):
//   speed N                          simulation speed (50 = real time)
//   size N                           star or spark side in pixels
//   glow N                           glow side 1 + N / 25 of the sprite
//   trails LIFE RATE SIZE SPEED      trails on, with their stored values
//   stars: rect LEFT TOP RIGHT BOTTOM, fall-speed N, rate N (50 = one star a
//          second), direction DEGREES, show N, fade-in N, fade-out N
//          (hundredths of a second)
//   fireworks: origin X Y, burst N (sparks a burst or per half second),
//          burst-speed N (4 units per second each)
bool ApplyShowParticlesStatement(DS_TexParticleGenerator& show, const std::string& keyword, const std::string& rest,
                                 bool& ok, std::string& error);
