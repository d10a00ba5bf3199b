// The composer's statements for a lightning bolt ("particles DS_LightningGN"):
//   line X1 Y1 X2 Y2        start and end point, picture pixels
//   core-width N, glow-width N   ribbon widths per unit of node width
//   subdivisions N, displacement N, seed N, random N (0: every bolt from
//   the seed), branch-length N, branch-angle N, taper N, flicker N
//   branches N1 N2 N3       branches off the bolt, off those, off those
// The pictures, effect, colours and blend mode are the shared particle
// statements (SceneParticles.h).
#pragma once

#include <string>

#include "objects/particles/LightningGN.h"

// Applies "keyword rest" when it is one of the statements above (handled
// true); false with a message when its values cannot be read. Other
// keywords leave handled false and return true.
bool ApplyLightningStatement(DS_LightningGN& bolt, const std::string& keyword, const std::string& rest,
                             bool& handled, std::string& error);
