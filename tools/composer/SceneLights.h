// The composer's light effects: a light statement makes the slide's picture
// layer a light of that kind with its defaults, the statements after it
// change its settings, and composing stores copies of what the light uses
// (the library pictures its image links name, the lake's ripple map), so
// that the document plays without the files and without "common_res.dll".
#pragma once

#include <memory>
#include <string>

#include "engine/scene/Light2D.h"
#include "tools/composer/SceneBrushes.h"

struct LightDescription {
    std::unique_ptr<DS_2D_Light> light;
    std::string rippleMap;  // the lake's du/dv map (V8U8 DDS), relative to the picture folder
};

// A new picture layer of the named light kind with its defaults; null for a
// kind the composer does not know.
std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind);

// Applies the setting "keyword rest" to the light. False with a message for
// a setting the kind does not have or a value that cannot be read.
bool ApplyLightStatement(LightDescription& light, const std::string& keyword, const std::string& rest,
                         std::string& error);

// Stores the bytes of every library picture the light's image links name,
// and the lake's ripple map in the mask store under its ripple key. False
// with a message when a file cannot be read (or the ripple map is not a
// V8U8 DDS).
bool StoreLightResources(LightDescription& light, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error);
