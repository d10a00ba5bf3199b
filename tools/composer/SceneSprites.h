// The composer's sprite systems: a sprite statement adds a sprite item of
// the named kind, with its defaults, to the slide's drawn items; the lines
// after it change its settings, the common ones of every sprite item (area,
// speed, count, size, colour, pictures and the rest) and the kind's own;
// composing stores copies of its pictures so that the document plays
// without the files.
//
// Each kind's file adds its kinds to the kind table through one function
// of its own (see SpriteKinds in SceneSprites.cpp: one line per file).
//
// The setting functions share one convention: true when the key is theirs
// and its values were applied; false with error empty when the key is not
// theirs; false with error set when the key is theirs but its values do
// not fit.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "objects/sprites/ParticleSystemCtrl.h"
#include "tools/composer/SceneBrushes.h"

struct SpriteDescription {
    std::unique_ptr<DS_ParticleSystemCtrl> sprite;
    std::string kind;
    // The sprite picture (picture folder), one file a frame, and the seconds
    // each frame is shown (0: a still picture or a sheet).
    std::vector<std::string> pictures;
    float frameSeconds = 0.0f;
    std::string secondPicture;  // picture folder; empty: none
};

using SpriteSetting = std::function<bool(DS_ParticleSystemCtrl& sprite, const std::string& key,
                                         const std::vector<std::string>& args, std::string& error)>;
using SpriteResources = std::function<bool(SpriteDescription& sprite, const BrushFolders& folders,
                                           DS_DocResManager& manager, std::string& error)>;

// How the composer makes one sprite kind and what it adds to the common
// settings: its own fields (may be empty) and resources to store besides
// the pictures (may be empty).
struct SpriteKind {
    std::function<std::unique_ptr<DS_ParticleSystemCtrl>()> make;
    SpriteSetting settings;
    SpriteResources resources;
};

class SpriteKindTable {
public:
    void Add(const std::string& name, SpriteKind kind) { kinds_[name] = std::move(kind); }
    // Null for a name no kind file added.
    const SpriteKind* Find(const std::string& name) const;

private:
    std::map<std::string, SpriteKind> kinds_;
};

// The kinds every kind file added, built on first use.
const SpriteKindTable& SpriteKinds();

// area LEFT TOP RIGHT BOTTOM (fractions of the picture, 0 to 1, left below
// right and top below bottom) and speed N (50 is the normal pace).
bool ApplyViewSetting(DS_ViewObjCtrl& item, const std::string& key, const std::vector<std::string>& args,
                      std::string& error);

// The settings of the sprite level: count N, size N, transparency N (0 to
// 100), blend 0|1, color BBGGRR (hex), pulse F, alpha MIN MAX, scale MIN MAX,
// frames COUNT RATE (a sheet's frame count and frames per second),
// sheet 0|1, mirror-h 0|1, mirror-v 0|1, static 0|1, animation-speed N
// (100 is the normal pace).
bool ApplySpriteSetting(DS_BaseSpriteProp& item, const std::string& key, const std::vector<std::string>& args,
                        std::string& error);

// A new sprite statement's item; false with a message for an unknown kind.
bool MakeSprite(const std::string& kind, SpriteDescription& sprite, std::string& error);

// One line after a sprite statement: image FILE | image SECONDS FILE... (a
// frame sequence), second-image FILE (the slide's own "picture" keeps its
// meaning), the view and sprite settings, then
// the kind's own. False with a message for an unknown key or a value that
// does not fit.
bool ApplySpriteStatement(SpriteDescription& sprite, const std::string& keyword, const std::string& rest,
                          std::string& error);

// Stores the pictures under the item's image links and what the kind adds.
// False with a message when a file cannot be read.
bool StoreSpriteResources(SpriteDescription& sprite, const BrushFolders& folders, DS_DocResManager& manager,
                          std::string& error);

// Helpers for the kinds' settings: exactly args.size() == count numbers.
bool ReadFloatArgs(const std::vector<std::string>& args, size_t count, std::vector<float>& values);
bool ReadWholeArgs(const std::vector<std::string>& args, size_t count, long long low, long long high,
                   std::vector<long long>& values);
