// The composer's image-filter brushes: a brush statement makes the brush
// item with its kind's defaults, the statements after it change a few of
// its settings, and composing stores copies of what the brush uses (its
// mask picture, its compiled effect, the library pictures its image links
// name) in the resource manager, so that the document plays without the
// files and without "common_res.dll".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "effects/brushes/FXConstructor.h"

struct BrushDescription {
    std::unique_ptr<DS_FX_Constructor> brush;
    std::string mask;    // PNG file, relative to the picture folder
    std::string effect;  // compiled effect, relative to the effect folder
    // The pattern brush's pictures (picture folder), one a frame, and the
    // seconds each frame is shown (0: a still picture).
    std::vector<std::string> patternFiles;
    float frameSeconds = 0.0f;
};

// Where the composer finds the files that brushes use.
struct BrushFolders {
    std::string pictures;  // masks
    std::string effects;   // compiled effects (*.fxo)
    std::string library;   // the pictures of common_res.dll and its common_res.rc
};

// A new brush of the named kind with its defaults; null for a kind the
// composer does not know.
std::unique_ptr<DS_FX_Constructor> MakeBrush(const std::string& kind);

// Applies the statement "keyword rest" to brush: "mask", "effect" or one of
// the kind's settings. False with a message for an unknown keyword, a
// setting the kind does not have, or a value that cannot be read.
bool ApplyBrushStatement(BrushDescription& brush, const std::string& keyword, const std::string& rest,
                         std::string& error);

// Stores the brush's mask under its mask key, its effect's bytes under its
// effect link (a kind without a default link gets one naming the effect
// file) and the bytes of every library picture its image links name. False
// with a message when a file cannot be read, or the brush has no mask or no
// effect.
bool StoreBrushResources(BrushDescription& brush, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error);

// The file of resource number in the library's resource script (lines
// `NUMBER DDS "FILE"`); empty when the script or the number is missing.
std::string LibraryPictureFile(const std::string& folder, int64_t number);

// Stores the bytes of a picture of "common_res.dll" that link names, as the
// library's own resource (module and number), so that the document and the
// library give the same key. Links to anything else store nothing. False
// with a message when the library folder has no such picture.
bool StoreLibraryPicture(const FileLinkValue& link, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error);

// Puts the bytes of a linked file (an effect, a mesh, a sound) into the
// manager's byte cache under link; the link's own Write then saves them with
// the document.
void CacheLinkedBytes(DS_DocResManager& manager, const FileLinkValue& link, const ResourceBlob& blob);

// Stores the bytes of the compiled effect that link names (NNN_name.fxo of
// the effect folder, NNN its resource number) under link, as the library's
// own resource. False with a message when the effect folder has no such
// effect.
bool StoreLibraryEffect(const FileLinkValue& link, const BrushFolders& folders, DS_DocResManager& manager,
                        std::string& error);
