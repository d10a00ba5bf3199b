#include "tools/composer/SceneLights.h"

#include <functional>
#include <map>
#include <sstream>

#include "effects/lights/FakeLake2D.h"
#include "effects/lights/WaterRingLight.h"
#include "engine/resources/DudvDds.h"
#include "tools/composer/ComposerFiles.h"

namespace {

// One number of type T and nothing else; false when out of range.
template <typename T>
bool ReadOne(const std::string& text, long long lo, long long hi, T& value)
{
    std::istringstream in(text);
    long long number = 0;
    std::string extra;
    if (!(in >> number) || (in >> extra) || number < lo || number > hi) return false;
    value = static_cast<T>(number);
    return true;
}

using Setting = std::function<bool(DS_2D_Light&, const std::string&)>;

// An unsigned setting of kind K, set with notification so that its derived
// value follows.
template <typename K, typename P>
Setting UnsignedSetting(P K::*member)
{
    return [member](DS_2D_Light& light, const std::string& text) {
        auto* kind = dynamic_cast<K*>(&light);
        unsigned value = 0;
        if (!kind || !ReadOne(text, 0, UINT32_MAX, value)) return false;
        (kind->*member).SetValue(value);
        return true;
    };
}

template <typename K>
Setting IntSetting(MediaParamT<int> K::*member)
{
    return [member](DS_2D_Light& light, const std::string& text) {
        auto* kind = dynamic_cast<K*>(&light);
        int value = 0;
        if (!kind || !ReadOne(text, INT32_MIN, INT32_MAX, value)) return false;
        (kind->*member).SetValue(value);
        return true;
    };
}

const std::map<std::string, Setting>& Settings()
{
    static const std::map<std::string, Setting> settings = {
        // The lake.
        {"speed", UnsignedSetting(&FakeLake2D::speed)},
        {"bump-tiling", UnsignedSetting(&FakeLake2D::bumpTiling)},
        {"lake-height", UnsignedSetting(&FakeLake2D::lakeHeight)},
        {"ripple-contrast", UnsignedSetting(&FakeLake2D::rippleContrast)},
        {"water-tint", UnsignedSetting(&FakeLake2D::waterTint)},
        {"horizon-fade", UnsignedSetting(&FakeLake2D::horizonFade)},
        {"ripple-amplitude", UnsignedSetting(&FakeLake2D::rippleAmplitude)},
        {"strip-height", UnsignedSetting(&FakeLake2D::stripHeight)},
        {"reflection-size", IntSetting(&FakeLake2D::reflectionSize)},
        {"lake-color",
         [](DS_2D_Light& light, const std::string& text) {
             auto* lake = dynamic_cast<FakeLake2D*>(&light);
             std::istringstream in(text);
             unsigned long color = 0;
             std::string extra;
             if (!lake || !(in >> std::hex >> color) || (in >> extra) || color > 0xFFFFFFul) return false;
             lake->lakeColor.SetValue(color);
             return true;
         }},
        // The rings.
        {"mode", IntSetting(&DS_WaterRingLight::mode)},
        {"wave-speed", UnsignedSetting(&DS_WaterRingLight::waveSpeed)},
        {"grid-aspect", UnsignedSetting(&DS_WaterRingLight::gridAspect)},
        {"grid-density", UnsignedSetting(&DS_WaterRingLight::gridDensity)},
        {"drop-size", UnsignedSetting(&DS_WaterRingLight::dropSize)},
        {"damping", UnsignedSetting(&DS_WaterRingLight::damping)},
        {"depth", UnsignedSetting(&DS_WaterRingLight::depth)},
        {"drop-rate", UnsignedSetting(&DS_WaterRingLight::dropRate)},
        {"specular-level", UnsignedSetting(&DS_WaterRingLight::specularLevel)},
        {"shininess", UnsignedSetting(&DS_WaterRingLight::shininess)},
    };
    return settings;
}

}  // namespace

std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind)
{
    if (kind == "FakeLake2D") return std::make_unique<FakeLake2D>();
    if (kind == "DS_WaterRingLight") return std::make_unique<DS_WaterRingLight>();
    return nullptr;
}

bool ApplyLightStatement(LightDescription& light, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    if (keyword == "ripple-map") {
        if (rest.empty() || !dynamic_cast<FakeLake2D*>(light.light.get())) {
            error = "ripple-map needs a file and a FakeLake2D light";
            return false;
        }
        light.rippleMap = rest;
        return true;
    }
    const auto setting = Settings().find(keyword);
    if (setting == Settings().end()) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    if (!light.light || !setting->second(*light.light, rest)) {
        error = "'" + keyword + " " + rest + "' does not fit this light";
        return false;
    }
    return true;
}

bool StoreLightResources(LightDescription& light, const std::string& pictureFolder, DS_DocResManager& manager,
                         std::string& error)
{
    auto* lake = dynamic_cast<FakeLake2D*>(light.light.get());
    if (!lake || light.rippleMap.empty()) return true;
    const std::string file = InFolder(pictureFolder, light.rippleMap);
    GuidImageRecord map;
    map.key = lake->rippleKey;
    if (!ReadWholeFile(file, map.picture.data) || !IsV8U8Dds(map.picture.data.data(), map.picture.data.size())) {
        error = "cannot read the V8U8 ripple map " + file;
        return false;
    }
    map.picture.name = FullPath(file);
    manager.Store().maskImages[map.key] = map;
    return true;
}
