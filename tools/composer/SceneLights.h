// The composer's light effects: a light statement makes the slide's picture
// layer a light of that kind with its defaults, the statements after it
// change its settings, and composing stores copies of the library pictures
// its image links name, so that the document plays without
// "common_res.dll".
#pragma once

#include <memory>
#include <string>

#include "engine/scene/Light2D.h"
#include "tools/composer/SceneBrushes.h"

// A new picture layer of the named light kind with its defaults; null for a
// kind the composer does not know.
std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind);

// Applies the setting "keyword rest" to light. False with a message for a
// setting the kind does not have or a value that cannot be read.
bool ApplyLightStatement(DS_2D_Light& light, const std::string& keyword, const std::string& rest,
                         std::string& error);

// Stores the bytes of every library picture the light's image links name.
bool StoreLightResources(const DS_2D_Light& light, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error);
