// The composer's frame-sequence animations: "particles DS_StaticAnimation",
// "particles DS_BrownAnimation" and "particles DS_PathAnimtion" make the item
// with its defaults, the statements after it set it, and composing stores
// its picture sequence and (for the static animation) the library's effect
// 116, so that the document plays without the files and without
// "common_res.dll".
#pragma once

#include <memory>
#include <string>

#include "objects/particles/TexParticleGenerator.h"

class DS_DocResManager;
struct BrushFolders;
struct ParticlesDescription;

// A new animation of the named kind with its defaults; null for any other
// kind.
std::unique_ptr<DS_TexParticleGenerator> MakeAnimationParticles(const std::string& kind);
// True for the items MakeAnimationParticles makes.
bool IsAnimationParticles(const DS_TexParticleGenerator& item);

// Applies "keyword rest" to the animation:
//   frames SECONDS FILE...     the picture sequence (picture folder), each
//                              frame shown SECONDS
//   color BBGGRR (hex), transparency N
//   rect LEFT TOP RIGHT BOTTOM the quad (static) or the wander area
//                              (Brownian), picture pixels
//   quad X1 Y1 X2 Y2 X3 Y3 X4 Y4   the quad's corners in stored order
//                              (static): corner 1 shows the picture's top
//                              left, 2 its bottom left, 3 its top right
//   play-speed N, direction N  (static)
//   count N, scale N, wander-speed N, wander-period N, steering N  (Brownian)
//   point X Y                  appends a path point (path)
//   speed N, scale N, orientation N, flip-u N, flip-v N  (path)
// False with a message for an unknown keyword, a setting the kind does not
// have, or a value that cannot be read.
bool ApplyAnimationStatement(ParticlesDescription& particles, const std::string& keyword, const std::string& rest,
                             std::string& error);

// Stores the sequence under the animation's first image link and the static
// animation's library effect under its effect link. False with a message
// when a file cannot be read or the animation has no sequence.
bool StoreAnimationResources(ParticlesDescription& particles, const BrushFolders& folders, DS_DocResManager& manager,
                             std::string& error);
