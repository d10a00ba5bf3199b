// The composer's underwater light: the settings of its wobble brush, and the
// wobble's compiled effect stored with the document so that it plays
// without "common_res.dll".
#pragma once

#include <string>

#include "effects/lights/FakeUndervater.h"
#include "tools/composer/SceneBrushes.h"

// amplitude N, wavelength N or speed N of the wobble. False with a message
// for another keyword or a value that is not a whole number.
bool ApplyUnderwaterStatement(FakeUndervater& light, const std::string& keyword, const std::string& rest,
                              std::string& error);

// Stores the bytes of the wobble's effect (NNN_name.fxo of the effect
// folder, NNN its resource number) under its link.
bool StoreUnderwaterResources(const FakeUndervater& light, const BrushFolders& folders, DS_DocResManager& manager,
                              std::string& error);
