#include "tools/composer/EffectSprites.h"

#include <cstdint>

#include "engine/resources/DocResManager.h"
#include "objects/particles/ExplosionConstructor.h"
#include "objects/text/ScrollingTextConstructor.h"
#include "objects/text/StaticTextConstructor.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/SceneBrushes.h"

namespace {

// The build's document effects in the effect folder.
constexpr const char* kExplosionEffect = "document/explosion.fxo";
constexpr const char* kTextEffect = "document/text.fxo";

bool PositionSetting(DS_StatBaseFXCtrl& item, const std::string& key, const std::vector<std::string>& args,
                     std::string& error)
{
    if (key != "position") return false;
    std::vector<float> values;
    if (!ReadFloatArgs(args, 2, values)) return RefuseSetting(error, "position wants X Y (pixels)");
    item.position.SetValue(D3DXVECTOR3(values[0], values[1], 0.0f));
    return true;
}

bool ExplosionSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                      std::string& error)
{
    error.clear();
    auto& explosion = static_cast<DS_ExplosionConstructor&>(sprite);
    if (PositionSetting(explosion, key, args, error) || !error.empty()) return error.empty();
    std::vector<long long> values;
    if (key == "noise") {
        if (!ReadWholeArgs(args, 3, 0, UINT32_MAX, values)) return RefuseSetting(error, "noise wants N1 N2 N3");
        explosion.noise1.SetValue(static_cast<unsigned>(values[0]));
        explosion.noise2.SetValue(static_cast<unsigned>(values[1]));
        explosion.noise3.SetValue(static_cast<unsigned>(values[2]));
        return true;
    }
    if (key == "drift") {
        if (!ReadWholeArgs(args, 2, 0, UINT32_MAX, values)) return RefuseSetting(error, "drift wants ANGLE SPEED");
        explosion.driftDirection.SetValue(static_cast<unsigned>(values[0]));
        explosion.driftSpeed.SetValue(static_cast<unsigned>(values[1]));
        return true;
    }
    if (key == "seed") {
        if (args.size() == 1 && args[0] == "free") {
            explosion.random.SetValue(1);
            return true;
        }
        if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values)) return RefuseSetting(error, "seed wants N or free");
        explosion.seed.SetValue(static_cast<unsigned>(values[0]));
        explosion.random.SetValue(0);
        return true;
    }
    if (key == "color2") {
        unsigned long color = 0;
        if (args.size() != 1 || !ReadColor(args[0], color)) return RefuseSetting(error, "color2 wants BBGGRR in hex");
        explosion.secondColor.SetValue(color);
        return true;
    }
    return false;
}

// The words joined by single blanks; "\n" makes a line break, and a "\n"
// standing alone as a word takes no blanks around it.
ds_string TextOf(const std::vector<std::string>& args)
{
    std::string text;
    bool lineStart = true;
    for (const std::string& word : args) {
        if (word == "\\n") {
            text += '\n';
            lineStart = true;
            continue;
        }
        if (!lineStart) text += ' ';
        lineStart = false;
        for (size_t i = 0; i < word.size(); ++i) {
            const bool lineBreak = word[i] == '\\' && i + 1 < word.size() && word[i + 1] == 'n';
            text += lineBreak ? '\n' : word[i];
            if (lineBreak) ++i;
        }
    }
    return Widen(text);
}

bool TextSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                 std::string& error)
{
    error.clear();
    auto& item = static_cast<DS_StaticTextConstructor&>(sprite);
    if (PositionSetting(item, key, args, error) || !error.empty()) return error.empty();
    std::vector<long long> values;
    if (key == "text") {
        item.text.SetValue(TextOf(args));
        return true;
    }
    if (key == "font") {
        if (args.size() != 3 || !ReadWholeArgs({args[1], args[2]}, 2, 1, 4096, values)) {
            return RefuseSetting(error, "font wants FACE HEIGHT WEIGHT");
        }
        item.font.faceName = Widen(args[0]);
        item.font.height = static_cast<int32_t>(values[0]);
        item.font.weight = static_cast<int32_t>(values[1]);
        return true;
    }
    if (key == "align") {
        if (!ReadWholeArgs(args, 2, 0, 2, values)) return RefuseSetting(error, "align wants H V (0 to 2)");
        item.horizontalAlignment.SetValue(static_cast<int>(values[0]));
        item.verticalAlignment.SetValue(static_cast<int>(values[1]));
        return true;
    }
    if (key == "box") {
        if (!ReadWholeArgs(args, 2, 0, UINT32_MAX, values)) return RefuseSetting(error, "box wants WIDTH HEIGHT");
        item.boxWidth.SetValue(static_cast<unsigned>(values[0]));
        item.boxHeight.SetValue(static_cast<unsigned>(values[1]));
        return true;
    }
    return false;
}

bool ScrollingTextSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                          std::string& error)
{
    if (TextSetting(sprite, key, args, error) || !error.empty()) return error.empty();
    auto& item = static_cast<DS_ScrollingTextConstructor&>(sprite);
    std::vector<long long> values;
    if (key == "scroll-time") {
        if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values)) return RefuseSetting(error, "scroll-time wants N");
        item.scrollTime.SetValue(static_cast<unsigned>(values[0]));
        return true;
    }
    if (key == "direction") {
        if (!ReadWholeArgs(args, 1, 0, 3, values)) return RefuseSetting(error, "direction wants 0 to 3");
        item.direction.SetValue(static_cast<int>(values[0]));
        return true;
    }
    return false;
}

// Stores the document effect file under a link naming it.
bool StoreEffect(const char* file, SpriteDescription& sprite, const BrushFolders& folders, DS_DocResManager& manager,
                 std::string& error)
{
    const std::string path = InFolder(folders.effects, file);
    ResourceBlob effect;
    if (!ReadWholeFile(path, effect.data) || effect.data.empty()) {
        return RefuseSetting(error, "cannot read effect " + path);
    }
    const std::string name(file);
    FileLinkValue link;
    link.path = Widen(name.substr(name.find_last_of('/') + 1));
    effect.name = link.path;
    static_cast<DS_FXParticleSystemCtrl&>(*sprite.sprite).effectLink.SetValue(link);
    CacheLinkedBytes(manager, link, effect);
    return true;
}

}  // namespace

void AddEffectSpriteKinds(SpriteKindTable& kinds)
{
    const auto effect = [](const char* file) {
        return [file](SpriteDescription& sprite, const BrushFolders& folders, DS_DocResManager& manager,
                      std::string& error) { return StoreEffect(file, sprite, folders, manager, error); };
    };
    kinds.Add("DS_ExplosionConstructor",
              {MakeSpriteKind<DS_ExplosionConstructor>, ExplosionSetting, effect(kExplosionEffect)});
    kinds.Add("DS_StaticTextConstructor", {MakeSpriteKind<DS_StaticTextConstructor>, TextSetting, effect(kTextEffect)});
    kinds.Add("DS_ScrollingTextConstructor",
              {MakeSpriteKind<DS_ScrollingTextConstructor>, ScrollingTextSetting, effect(kTextEffect)});
}
