// The composer's particle systems: "particles KIND" adds a painted brush
// (DS_Bling, DS_CustomAirBrush, DS_TwinklingStars) or a lightning bolt
// (DS_LightningGN) to the slide's drawn items with the kind's defaults, the
// statements after it set it, and
// composing stores copies of its pictures and its effect in the resource
// manager, so that the document plays without the files. The
// frame-sequence animations take the same statement; their settings are in
// AnimationParticles.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/particles/TexParticleGenerator.h"

class DS_DocResManager;
struct BrushFolders;

struct ParticlesDescription {
    // A painted brush (DS_AirBrush), falling stars or a firework
    // (tools/composer/ShowParticles.h), a lightning bolt, a plant, rays or
    // smoke (tools/composer/PlantParticles.h) or a frame-sequence animation
    // (tools/composer/AnimationParticles.h).
    std::unique_ptr<DS_TexParticleGenerator> brush;
    std::vector<std::string> images;  // picture folder, one a picture of the generator
    std::string effect;               // effect folder; empty for none
    // The custom brush's sequence (picture folder) and the seconds a frame.
    std::vector<std::string> frameFiles;
    float frameSeconds = 0.0f;
};

// A new brush or item of the named kind with its defaults; null for a
// kind the composer does not know.
std::unique_ptr<DS_TexParticleGenerator> MakeParticles(const std::string& kind);

// Applies "keyword rest" to the brush:
//   image FILE                 appends a picture (picture 0 first)
//   effect FILE                its compiled effect
//   color BBGGRR, glow-color BBGGRR (hex), transparency N (of the colour),
//   blend N, size N
//   point X Y                  a painted point, in picture pixels
//   grid LEFT TOP RIGHT BOTTOM COLUMNS ROWS   COLUMNS x ROWS points spread
//                              evenly over the box, edges included
//   speed N                    (glints, stars)
//   grow N, shrink N           (glints) hundredths of a second
//   rotation N, min-size N     (glints)
//   frame-speed N, frames SECONDS FILE...   (custom brush)
//   the lightning's own statements (see LightningParticles.h)
// and the shows' own settings (ShowParticles.h).
// Points are appended as stored points (no processes), as a document holds
// them. False with a message for an unknown keyword, a setting the kind does
// not have, or a value that cannot be read.
bool ApplyParticlesStatement(ParticlesDescription& particles, const std::string& keyword, const std::string& rest,
                             std::string& error);

// Stores the pictures, the sequence and the effect under the brush's links.
// False with a message when a file cannot be read.
bool StoreParticlesResources(ParticlesDescription& particles, const BrushFolders& folders, DS_DocResManager& manager,
                             std::string& error);
