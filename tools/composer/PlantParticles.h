// The composer's plants, radial rays and smoke: "particles DS_Plant",
// "particles DS_RadialRays" and "particles DS_Smoke" with the statements
// below; their pictures and effect are stored like the painted brushes'.
#pragma once

#include <memory>
#include <string>

#include "objects/particles/TexParticleGenerator.h"

struct ParticlesDescription;

// A new item of the named kind with its defaults; null for another kind.
std::unique_ptr<DS_TexParticleGenerator> MakePlantParticles(const std::string& kind);
bool IsPlantParticles(const DS_TexParticleGenerator& item);

// Applies "keyword rest" to a plant, rays or smoke item:
//   image FILE, effect FILE, color BBGGRR (hex), transparency N, blend N
//   quad X0 Y0 X1 Y1 X2 Y2 X3 Y3   (plant) the corners in stored order, z 0
//   time-speed N, frequency N, w-magnitude N, b-magnitude N   (plant)
//   origin X Y                    (rays, smoke) in picture pixels
//   length N, width N, count N, texture-index N, random N, seed N, spread N,
//   rotation N, rotation-mode N, fade-floor N, amplitude N   (rays)
//   acceleration N, life N, rate N, size N, direction N, speed N   (smoke)
// False with a message for an unknown keyword, a setting the kind does not
// have, or a value that cannot be read.
bool ApplyPlantStatement(ParticlesDescription& particles, const std::string& keyword, const std::string& rest,
                         std::string& error);
