#include "tools/composer/SceneLights.h"

#include <functional>
#include <map>
#include <sstream>

#include "effects/lights/FakeLake2D.h"
#include "effects/lights/MatrixCodeLight.h"
#include "effects/lights/WaterRingLight.h"
#include "engine/resources/DudvDds.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/GlassBallLight.h"
#include "tools/composer/FlameLight.h"
#include "tools/composer/UnderwaterLight.h"

namespace {

// One whole number in text, from low to high; false otherwise.
bool ReadWhole(const std::string& text, long long low, long long high, long long& value)
{
    std::istringstream in(text);
    std::string extra;
    return (in >> value) && !(in >> extra) && value >= low && value <= high;
}

using GlyphSetting = std::function<bool(DS_MatrixCodeLight&, const std::string&)>;

// Set with notification, as an editor would, so derived values follow.
template <typename P>
GlyphSetting Unsigned(P DS_MatrixCodeLight::*member)
{
    return [member](DS_MatrixCodeLight& light, const std::string& text) {
        long long value = 0;
        if (!ReadWhole(text, 0, UINT32_MAX, value)) return false;
        (light.*member).SetValue(static_cast<unsigned>(value));
        return true;
    };
}

GlyphSetting Signed(MediaParamT<int> DS_MatrixCodeLight::*member)
{
    return [member](DS_MatrixCodeLight& light, const std::string& text) {
        long long value = 0;
        if (!ReadWhole(text, INT32_MIN, INT32_MAX, value)) return false;
        (light.*member).SetValue(static_cast<int>(value));
        return true;
    };
}

GlyphSetting Color(MediaColor DS_MatrixCodeLight::*member)
{
    return [member](DS_MatrixCodeLight& light, const std::string& text) {
        unsigned long color = 0;
        if (!ReadColor(text, color)) return false;
        (light.*member).SetValue(color);
        return true;
    };
}

const std::map<std::string, GlyphSetting>& GlyphSettings()
{
    static const std::map<std::string, GlyphSetting> settings = {
        {"cell-size", Unsigned(&DS_MatrixCodeLight::cellSize)},
        {"density", Unsigned(&DS_MatrixCodeLight::density)},
        {"highlights", Unsigned(&DS_MatrixCodeLight::highlightCount)},
        {"glitches", Signed(&DS_MatrixCodeLight::glitches)},
        {"background", Signed(&DS_MatrixCodeLight::backgroundMode)},
        {"stream-mode", Signed(&DS_MatrixCodeLight::streamMode)},
        {"glyph-color", Color(&DS_MatrixCodeLight::glyphColor)},
        {"bright-color", Color(&DS_MatrixCodeLight::brightColor)},
        {"transparency", Unsigned(&DS_MatrixCodeLight::transparency)},
        {"glyph-image",
         [](DS_MatrixCodeLight& light, const std::string& text) {
             long long number = 0;
             if (!ReadWhole(text, 0, INT32_MAX, number)) return false;
             light.glyphImage.SetValue(FileLinkValue{DS_2D_Light::kDefaultPictureModule, number});
             return true;
         }},
    };
    return settings;
}

// A setting of the water lights: false when the light is not of kind K or
// the text does not fit.
using WaterSetting = std::function<bool(DS_2D_Light&, const std::string&)>;

template <typename K, typename P>
WaterSetting WaterUnsigned(P K::*member)
{
    return [member](DS_2D_Light& light, const std::string& text) {
        auto* kind = dynamic_cast<K*>(&light);
        long long value = 0;
        if (!kind || !ReadWhole(text, 0, UINT32_MAX, value)) return false;
        (kind->*member).SetValue(static_cast<unsigned>(value));
        return true;
    };
}

template <typename K>
WaterSetting WaterSigned(MediaParamT<int> K::*member)
{
    return [member](DS_2D_Light& light, const std::string& text) {
        auto* kind = dynamic_cast<K*>(&light);
        long long value = 0;
        if (!kind || !ReadWhole(text, INT32_MIN, INT32_MAX, value)) return false;
        (kind->*member).SetValue(static_cast<int>(value));
        return true;
    };
}

const std::map<std::string, WaterSetting>& WaterSettings()
{
    static const std::map<std::string, WaterSetting> settings = {
        // The lake.
        {"speed", WaterUnsigned(&FakeLake2D::speed)},
        {"bump-tiling", WaterUnsigned(&FakeLake2D::bumpTiling)},
        {"lake-height", WaterUnsigned(&FakeLake2D::lakeHeight)},
        {"ripple-contrast", WaterUnsigned(&FakeLake2D::rippleContrast)},
        {"water-tint", WaterUnsigned(&FakeLake2D::waterTint)},
        {"horizon-fade", WaterUnsigned(&FakeLake2D::horizonFade)},
        {"ripple-amplitude", WaterUnsigned(&FakeLake2D::rippleAmplitude)},
        {"strip-height", WaterUnsigned(&FakeLake2D::stripHeight)},
        {"reflection-size", WaterSigned(&FakeLake2D::reflectionSize)},
        {"lake-color",
         [](DS_2D_Light& light, const std::string& text) {
             auto* lake = dynamic_cast<FakeLake2D*>(&light);
             unsigned long color = 0;
             if (!lake || !ReadColor(text, color)) return false;
             lake->lakeColor.SetValue(color);
             return true;
         }},
        // The rings.
        {"mode", WaterSigned(&DS_WaterRingLight::mode)},
        {"wave-speed", WaterUnsigned(&DS_WaterRingLight::waveSpeed)},
        {"grid-aspect", WaterUnsigned(&DS_WaterRingLight::gridAspect)},
        {"grid-density", WaterUnsigned(&DS_WaterRingLight::gridDensity)},
        {"drop-size", WaterUnsigned(&DS_WaterRingLight::dropSize)},
        {"damping", WaterUnsigned(&DS_WaterRingLight::damping)},
        {"depth", WaterUnsigned(&DS_WaterRingLight::depth)},
        {"drop-rate", WaterUnsigned(&DS_WaterRingLight::dropRate)},
        {"specular-level", WaterUnsigned(&DS_WaterRingLight::specularLevel)},
        {"shininess", WaterUnsigned(&DS_WaterRingLight::shininess)},
    };
    return settings;
}

bool ApplyWaterStatement(LightDescription& light, const std::string& keyword, const std::string& rest,
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
    const auto setting = WaterSettings().find(keyword);
    if (setting == WaterSettings().end()) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    if (!setting->second(*light.light, rest)) {
        error = "'" + keyword + " " + rest + "' does not fit this light";
        return false;
    }
    return true;
}

bool StoreRippleMap(const FakeLake2D& lake, const std::string& file, DS_DocResManager& manager, std::string& error)
{
    GuidImageRecord map;
    map.key = lake.rippleKey;
    if (!ReadWholeFile(file, map.picture.data) || !IsV8U8Dds(map.picture.data.data(), map.picture.data.size())) {
        error = "cannot read the V8U8 ripple map " + file;
        return false;
    }
    map.picture.name = FullPath(file);
    manager.Store().maskImages[map.key] = map;
    return true;
}

}  // namespace

std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind)
{
    if (kind == "DS_MatrixCodeLight") return std::make_unique<DS_MatrixCodeLight>();
    if (kind == "FakeLake2D") return std::make_unique<FakeLake2D>();
    if (kind == "DS_WaterRingLight") return std::make_unique<DS_WaterRingLight>();
    if (kind == "FakeUndervater") return std::make_unique<FakeUndervater>();
    if (kind == "DS_GlassBallLight") return std::make_unique<DS_GlassBallLight>();
    if (kind == "DS_FlameLight") return std::make_unique<DS_FlameLight>();
    return nullptr;
}

bool ApplyLightStatement(LightDescription& description, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    if (!description.light) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    if (auto* underwater = dynamic_cast<FakeUndervater*>(description.light.get())) {
        return ApplyUnderwaterStatement(*underwater, keyword, rest, error);
    }
    if (auto* ball = dynamic_cast<DS_GlassBallLight*>(description.light.get())) {
        return ApplyGlassBallStatement(*ball, keyword, rest, error);
    }
    if (auto* flame = dynamic_cast<DS_FlameLight*>(description.light.get())) {
        return ApplyFlameStatement(*flame, keyword, rest, error);
    }
    auto* glyphs = dynamic_cast<DS_MatrixCodeLight*>(description.light.get());
    if (!glyphs) return ApplyWaterStatement(description, keyword, rest, error);
    const auto setting = GlyphSettings().find(keyword);
    if (!glyphs || setting == GlyphSettings().end()) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    if (!setting->second(*glyphs, rest)) {
        error = "'" + keyword + " " + rest + "' does not fit this light";
        return false;
    }
    return true;
}

bool StoreLightResources(LightDescription& description, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error)
{
    const DS_2D_Light* light = description.light.get();
    if (const auto* glyphs = dynamic_cast<const DS_MatrixCodeLight*>(light)) {
        return StoreLibraryPicture(glyphs->glyphImage.GetValue(), folders, manager, error);
    }
    if (const auto* underwater = dynamic_cast<const FakeUndervater*>(light)) {
        return StoreUnderwaterResources(*underwater, folders, manager, error);
    }
    if (const auto* ball = dynamic_cast<const DS_GlassBallLight*>(light)) {
        return StoreGlassBallResources(*ball, folders, manager, error);
    }
    if (const auto* flame = dynamic_cast<const DS_FlameLight*>(light)) {
        return StoreFlameResources(*flame, folders, manager, error);
    }
    const auto* lake = dynamic_cast<const FakeLake2D*>(light);
    if (lake && !description.rippleMap.empty()) {
        return StoreRippleMap(*lake, InFolder(folders.pictures, description.rippleMap), manager, error);
    }
    return true;
}
