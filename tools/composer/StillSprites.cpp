#include "tools/composer/StillSprites.h"

#include <cstdint>

#include "objects/sprites/GodRayConstructor.h"
#include "objects/sprites/GrassConstructor.h"
#include "objects/sprites/LightingConstructor.h"
#include "objects/sprites/SparkleConstructor.h"
#include "objects/sprites/StatObjConstructor.h"

namespace {

bool GodRaySetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                   std::string& error)
{
    error.clear();
    if (key != "ray-angle") return false;
    std::vector<long long> values;
    if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values)) return RefuseSetting(error, "ray-angle wants a whole number");
    static_cast<DS_GodRayConstructor&>(sprite).rayAngle.SetValue(static_cast<unsigned>(values[0]));
    return true;
}

// sway F of the kinds that sway (K has a swayAmplitude).
template <class K>
bool SwaySetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                 std::string& error)
{
    error.clear();
    if (key != "sway") return false;
    std::vector<float> values;
    if (!ReadFloatArgs(args, 1, values)) return RefuseSetting(error, "sway wants a number (degrees)");
    static_cast<K&>(sprite).swayAmplitude = values[0];
    return true;
}

bool StillSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                  std::string& error)
{
    error.clear();
    auto& still = static_cast<DS_StatObjConstructor&>(sprite);
    std::vector<long long> values;
    if (key == "place") {
        if (!ReadWholeArgs(args, 2, INT32_MIN, INT32_MAX, values))
            return RefuseSetting(error, "place wants X Y (pixels)");
        still.bounds.extraX.SetValue(static_cast<int>(values[0]));
        still.bounds.extraY.SetValue(static_cast<int>(values[1]));
        return true;
    }
    if (key == "rotation") {
        if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values))
            return RefuseSetting(error, "rotation wants a whole number");
        still.rotation.SetValue(static_cast<unsigned>(values[0]));
        return true;
    }
    return false;
}

bool FlowerSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                   std::string& error)
{
    return SwaySetting<DS_FlowerConstructor>(sprite, key, args, error) ||
           (error.empty() && StillSetting(sprite, key, args, error));
}

}  // namespace

void AddStillSpriteKinds(SpriteKindTable& kinds)
{
    kinds.Add("DS_GodRayConstructor", {MakeSpriteKind<DS_GodRayConstructor>, GodRaySetting, nullptr});
    kinds.Add("DS_SparkleConstructor", {MakeSpriteKind<DS_SparkleConstructor>, nullptr, nullptr});
    kinds.Add("DS_LightingConstructor", {MakeSpriteKind<DS_LightingConstructor>, nullptr, nullptr});
    kinds.Add("DS_GrassConstructor", {MakeSpriteKind<DS_GrassConstructor>, SwaySetting<DS_GrassConstructor>, nullptr});
    kinds.Add("DS_StatObjConstructor", {MakeSpriteKind<DS_StatObjConstructor>, StillSetting, nullptr});
    kinds.Add("DS_FlowerConstructor", {MakeSpriteKind<DS_FlowerConstructor>, FlowerSetting, nullptr});
    kinds.Add("DS_DischargeConstructor", {MakeSpriteKind<DS_DischargeConstructor>, StillSetting, nullptr});
}
