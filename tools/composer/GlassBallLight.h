// The composer's glass-ball light: its settings by keyword, and the library
// pictures it names (overlays, stand, background picture) stored with the
// document so that it plays without "common_res.dll".
#pragma once

#include <string>

#include "effects/lights/GlassBallLight.h"
#include "tools/composer/SceneBrushes.h"

// position X Y, size N, lens N, overlay1 0|1, overlay2 0|1, stand 0|1,
// picture-background 0|1, mode N, speed N, top-color BBGGRR,
// bottom-color BBGGRR, overlay1-image N, overlay2-image N, stand-image N,
// background-image N (N a picture number of the library). False with a
// message for another keyword or a value that does not fit.
bool ApplyGlassBallStatement(DS_GlassBallLight& light, const std::string& keyword, const std::string& rest,
                             std::string& error);

// Stores the library pictures of the four image links.
bool StoreGlassBallResources(const DS_GlassBallLight& light, const BrushFolders& folders, DS_DocResManager& manager,
                             std::string& error);
