#include "tools/composer/SceneLights.h"

#include <functional>
#include <map>
#include <sstream>

#include "effects/lights/MatrixCodeLight.h"

namespace {

// One whole number in text, from low to high; false otherwise.
bool ReadWhole(const std::string& text, long long low, long long high, long long& value)
{
    std::istringstream in(text);
    std::string extra;
    return (in >> value) && !(in >> extra) && value >= low && value <= high;
}

// A colour written BBGGRR in hex.
bool ReadColor(const std::string& text, unsigned long& color)
{
    std::istringstream in(text);
    std::string extra;
    return (in >> std::hex >> color) && !(in >> extra) && color <= 0xFFFFFFul;
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

}  // namespace

std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind)
{
    if (kind == "DS_MatrixCodeLight") return std::make_unique<DS_MatrixCodeLight>();
    return nullptr;
}

bool ApplyLightStatement(DS_2D_Light& light, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    auto* glyphs = dynamic_cast<DS_MatrixCodeLight*>(&light);
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

bool StoreLightResources(const DS_2D_Light& light, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error)
{
    if (const auto* glyphs = dynamic_cast<const DS_MatrixCodeLight*>(&light)) {
        return StoreLibraryPicture(glyphs->glyphImage.GetValue(), folders, manager, error);
    }
    return true;
}
