#include "tools/composer/SceneLights.h"

#include <functional>
#include <map>
#include <sstream>

#include <windows.h>

#include <cstdio>

#include "effects/lights/FakeUndervater.h"
#include "effects/lights/MatrixCodeLight.h"
#include "tools/composer/ComposerFiles.h"

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

using WobbleSetting = std::function<bool(DS_UnderwaterFX&, const std::string&)>;

WobbleSetting WobbleUnsigned(MediaSpeedParam DS_FX_Constructor::*member)
{
    return [member](DS_UnderwaterFX& wobble, const std::string& text) {
        long long value = 0;
        if (!ReadWhole(text, 0, UINT32_MAX, value)) return false;
        (wobble.*member).SetValue(static_cast<unsigned>(value));
        return true;
    };
}

WobbleSetting WobbleUnsigned(UINTSclaleTo<float> DS_UnderwaterFX::*member)
{
    return [member](DS_UnderwaterFX& wobble, const std::string& text) {
        long long value = 0;
        if (!ReadWhole(text, 0, UINT32_MAX, value)) return false;
        (wobble.*member).SetValue(static_cast<unsigned>(value));
        return true;
    };
}

const std::map<std::string, WobbleSetting>& WobbleSettings()
{
    static const std::map<std::string, WobbleSetting> settings = {
        {"amplitude", WobbleUnsigned(&DS_UnderwaterFX::amplitude)},
        {"wavelength", WobbleUnsigned(&DS_UnderwaterFX::wavelength)},
        {"speed", WobbleUnsigned(&DS_FX_Constructor::speed)},
    };
    return settings;
}

// The compiled effect numbered like the library's resource (NNN_name.fxo)
// in the effect folder; empty when there is none.
std::string EffectFileByNumber(const std::string& folder, int64_t number)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03lld_", static_cast<long long>(number));
    WIN32_FIND_DATAA found = {};
    const std::string pattern = InFolder(folder, std::string(prefix) + "*.fxo");
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    FindClose(search);
    return InFolder(folder, found.cFileName);
}

// Stores the bytes of a "common_res.dll" effect under its link, as a brush's
// effect is stored, so that the document plays without the library.
bool StoreLibraryEffect(const FileLinkValue& link, const BrushFolders& folders, DS_DocResManager& manager,
                        std::string& error)
{
    const std::string file = EffectFileByNumber(folders.effects, link.stamp);
    ResourceBlob effect;
    if (file.empty() || !ReadWholeFile(file, effect.data) || effect.data.empty()) {
        error = "no compiled effect " + std::to_string(link.stamp) + " in " + folders.effects;
        return false;
    }
    effect.module = link.path;
    effect.id = static_cast<int32_t>(link.stamp);
    manager.Store().linkedFiles[link] = {effect};
    return true;
}

}  // namespace

std::unique_ptr<DS_2D_Light> MakeLight(const std::string& kind)
{
    if (kind == "DS_MatrixCodeLight") return std::make_unique<DS_MatrixCodeLight>();
    if (kind == "FakeUndervater") return std::make_unique<FakeUndervater>();
    return nullptr;
}

bool ApplyLightStatement(DS_2D_Light& light, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    if (auto* underwater = dynamic_cast<FakeUndervater*>(&light)) {
        const auto setting = WobbleSettings().find(keyword);
        if (setting == WobbleSettings().end()) {
            error = "unknown statement '" + keyword + "'";
            return false;
        }
        if (!setting->second(underwater->Underwater(), rest)) {
            error = "'" + keyword + " " + rest + "' does not fit this light";
            return false;
        }
        return true;
    }
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
    if (const auto* underwater = dynamic_cast<const FakeUndervater*>(&light)) {
        return StoreLibraryEffect(underwater->Underwater().effectLink.GetValue(), folders, manager, error);
    }
    return true;
}
