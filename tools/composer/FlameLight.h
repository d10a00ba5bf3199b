// The composer's flame light: its flags, band offset, distortion and fire
// settings, and the pictures and effects it uses stored with the document
// so that it plays without "common_res.dll".
#pragma once

#include <string>

#include "effects/lights/FlameLight.h"
#include "tools/composer/SceneBrushes.h"

// fire 0|1, distortion N, flame-offset N, distortion-speed N, strength N,
// bump-scale N, fire-colors FIRST SECOND (BBGGRR hex), density N,
// brightness N or fire-speed N. False with a message for another keyword
// or a value that does not fit.
bool ApplyFlameStatement(DS_FlameLight& light, const std::string& keyword, const std::string& rest,
                         std::string& error);

// Stores the fire's pattern and noise pictures, the distortion map and the
// fire and distortion effects under their links.
bool StoreFlameResources(const DS_FlameLight& light, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error);
