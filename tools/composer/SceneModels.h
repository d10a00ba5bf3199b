// The composer's 3D objects: a model statement adds a butterfly, a wall
// clock or an array of tumbling 3D copies (leaves) to the slide's drawn
// items; the lines after it change its settings. Composing stores copies of
// the library meshes and pictures the item names and of its own files, so
// the document plays without them and without "common_res.dll".
//
// Settings, true when applied; false with a message otherwise:
//   butterfly and clock: area LEFT TOP RIGHT BOTTOM and speed N (as the
//     sprite statement has them), count N (0 to 1000), size N
//   butterfly: wing-picture FILE (picture folder), wing-scale F
//   clock: centre X Y (picture pixels)
//   array: count N (0 to 1000), mesh FILE (a .x file), texture FILE (picture
//     folder), leaf-size N, speed N, swing N, side-change N, spin N,
//     direction DEGREES
#pragma once

#include <memory>
#include <string>

#include "engine/scene/ABObj.h"
#include "tools/composer/SceneBrushes.h"

struct ModelDescription {
    std::unique_ptr<DS_ABObj_Constructor> item;
    std::string kind;
    std::string wingPicture;  // butterfly; empty: none
    std::string mesh;         // array
    std::string texture;      // array
};

// A new model statement's item (butterfly, clock or array); false with a
// message for an unknown kind.
bool MakeModel(const std::string& kind, ModelDescription& model, std::string& error);
bool ApplyModelStatement(ModelDescription& model, const std::string& keyword, const std::string& rest,
                         std::string& error);
// Stores the files and library resources the item uses. False with a
// message when one cannot be read.
bool StoreModelResources(ModelDescription& model, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error);
