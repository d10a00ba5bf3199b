#include "tools/composer/GlowSprites.h"

#include <sstream>

#include "engine/resources/DocResManager.h"
#include "objects/sprites/DischargeFXConstructor.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/SceneBrushes.h"

namespace {

// The build's compiled glow effect in the effect folder.
constexpr const char* kGlowEffectFile = "097_glow.fxo";

bool Fail(std::string& error, const std::string& what)
{
    error = what;
    return false;
}

bool DischargeSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                      std::string& error)
{
    error.clear();
    auto& discharge = static_cast<DS_DischargeFXConstructor&>(sprite);
    std::vector<float> floats;
    std::vector<long long> values;
    if (key == "from" || key == "to") {
        if (!ReadFloatArgs(args, 2, floats)) return Fail(error, key + " wants X Y");
        (key == "from" ? discharge.start : discharge.end).SetValue(D3DXVECTOR3(floats[0], floats[1], 0.0f));
        return true;
    }
    if (key == "amplitude" || key == "bolt-speed" || key == "intensity") {
        if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values)) return Fail(error, key + " wants a whole number");
        const unsigned value = static_cast<unsigned>(values[0]);
        (key == "amplitude" ? discharge.amplitude : key == "bolt-speed" ? discharge.morphSpeed : discharge.intensity)
            .SetValue(value);
        return true;
    }
    if (key == "flicker") {
        if (!ReadWholeArgs(args, 1, 0, 100, values)) return Fail(error, "flicker wants 0 to 100");
        discharge.flicker.SetValue(static_cast<unsigned>(values[0]));
        return true;
    }
    if (key == "bolt-picture") {
        if (!ReadWholeArgs(args, 1, 0, 1, values)) return Fail(error, "bolt-picture wants 0 or 1");
        discharge.textureChoice.SetValue(static_cast<int>(values[0]));
        return true;
    }
    if (key == "glow-color") {
        std::istringstream in(args.size() == 1 ? args[0] : std::string());
        unsigned long color = 0;
        std::string extra;
        if (args.size() != 1 || !(in >> std::hex >> color) || (in >> extra) || color > 0xFFFFFFul) {
            return Fail(error, "glow-color wants BBGGRR in hex");
        }
        discharge.glowColor.SetValue(color);
        return true;
    }
    return false;
}

// Both bolt pictures (the object picks one when it is built) and the effect.
bool DischargeResources(SpriteDescription& sprite, const BrushFolders& folders, DS_DocResManager& manager,
                        std::string& error)
{
    auto& discharge = static_cast<DS_DischargeFXConstructor&>(*sprite.sprite);
    for (int64_t number : {DS_DischargeFXConstructor::kChosenPicture, DS_DischargeFXConstructor::kOtherPicture}) {
        const FileLinkValue picture{DS_FXParticleSystemCtrl::kEffectModule, number};
        if (!StoreLibraryPicture(picture, folders, manager, error)) return false;
    }
    const std::string effectFile = InFolder(folders.effects, kGlowEffectFile);
    ResourceBlob effect;
    if (!ReadWholeFile(effectFile, effect.data) || effect.data.empty()) {
        return Fail(error, "cannot read effect " + effectFile);
    }
    const FileLinkValue link = discharge.effectLink.GetValue();
    effect.module = link.path;
    effect.id = static_cast<int32_t>(link.stamp);
    CacheLinkedBytes(manager, link, effect);
    return true;
}

}  // namespace

void AddGlowSpriteKinds(SpriteKindTable& kinds)
{
    kinds.Add("DS_DischargeFXConstructor",
              {[] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_DischargeFXConstructor); }, DischargeSetting,
               DischargeResources});
}
