// The composer's picture layers: a light statement makes the slide's layer
// of the named kind with its defaults, the statements after it change its
// settings, and composing stores what the layer uses (the lake's ripple
// map) in the resource manager's mask store.
#pragma once

#include <memory>
#include <string>

#include "engine/resources/DocResManager.h"
#include "engine/scene/Light2D.h"

struct LightDescription {
    std::unique_ptr<DS_2D_Light> light;  // null: the plain picture layer
    std::string rippleMap;               // du/dv DDS file, relative to the picture folder
};

// A new layer of the named kind with its defaults; null for a kind the
// composer does not know.
std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind);

// Applies the statement "keyword rest" to the layer: "ripple-map" or one of
// the kind's settings. False with a message for an unknown keyword, a
// setting the kind does not have, or a value that cannot be read.
bool ApplyLightStatement(LightDescription& light, const std::string& keyword, const std::string& rest,
                         std::string& error);

// Stores the lake's ripple map in the mask store under its ripple key.
// False with a message when the file cannot be read or is not a V8U8 DDS.
bool StoreLightResources(LightDescription& light, const std::string& pictureFolder, DS_DocResManager& manager,
                         std::string& error);
