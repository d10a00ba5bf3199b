#include "tools/composer/GlassBallLight.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <sstream>

namespace {

using Setting = std::function<bool(DS_GlassBallLight&, std::istringstream&)>;

// One whole number from low to high.
bool ReadNumber(std::istringstream& in, long long low, long long high, long long& value)
{
    return (in >> value) && value >= low && value <= high;
}

template <typename P>
Setting Unsigned(P DS_GlassBallLight::*member)
{
    return [member](DS_GlassBallLight& light, std::istringstream& in) {
        long long value = 0;
        if (!ReadNumber(in, 0, UINT32_MAX, value)) return false;
        // With notification, so derived values follow.
        (light.*member).SetValue(static_cast<unsigned>(value));
        return true;
    };
}

Setting Signed(MediaParamT<int> DS_GlassBallLight::*member)
{
    return [member](DS_GlassBallLight& light, std::istringstream& in) {
        long long value = 0;
        if (!ReadNumber(in, INT32_MIN, INT32_MAX, value)) return false;
        (light.*member).SetValue(static_cast<int>(value));
        return true;
    };
}

Setting Color(MediaColor DS_GlassBallLight::*member)
{
    return [member](DS_GlassBallLight& light, std::istringstream& in) {
        unsigned long color = 0;
        if (!(in >> std::hex >> color) || color > 0xFFFFFFul) return false;
        (light.*member).SetValue(color);
        return true;
    };
}

Setting Picture(DS_ImageFileLink DS_GlassBallLight::*member)
{
    return [member](DS_GlassBallLight& light, std::istringstream& in) {
        long long number = 0;
        if (!ReadNumber(in, 0, INT32_MAX, number)) return false;
        (light.*member).SetValue(FileLinkValue{DS_2D_Light::kDefaultPictureModule, number});
        return true;
    };
}

const std::map<std::string, Setting>& Settings()
{
    static const std::map<std::string, Setting> settings = {
        {"position",
         [](DS_GlassBallLight& light, std::istringstream& in) {
             long long x = 0, y = 0;
             if (!ReadNumber(in, INT32_MIN, INT32_MAX, x) || !ReadNumber(in, INT32_MIN, INT32_MAX, y)) return false;
             light.ballPosition.StoreValue(POINT{static_cast<LONG>(x), static_cast<LONG>(y)});
             return true;
         }},
        {"size", Unsigned(&DS_GlassBallLight::ballSize)},
        {"lens", Unsigned(&DS_GlassBallLight::lensStrength)},
        {"speed", Unsigned(&DS_GlassBallLight::speed)},
        {"overlay1", Signed(&DS_GlassBallLight::overlay1On)},
        {"overlay2", Signed(&DS_GlassBallLight::overlay2On)},
        {"stand", Signed(&DS_GlassBallLight::standOn)},
        {"picture-background", Signed(&DS_GlassBallLight::pictureBackground)},
        {"mode", Signed(&DS_GlassBallLight::animationMode)},
        {"top-color", Color(&DS_GlassBallLight::topColor)},
        {"bottom-color", Color(&DS_GlassBallLight::bottomColor)},
        {"overlay1-image", Picture(&DS_GlassBallLight::overlay1Link)},
        {"overlay2-image", Picture(&DS_GlassBallLight::overlay2Link)},
        {"stand-image", Picture(&DS_GlassBallLight::standLink)},
        {"background-image", Picture(&DS_GlassBallLight::backgroundLink)},
    };
    return settings;
}

}  // namespace

bool ApplyGlassBallStatement(DS_GlassBallLight& light, const std::string& keyword, const std::string& rest,
                             std::string& error)
{
    const auto setting = Settings().find(keyword);
    if (setting == Settings().end()) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    std::istringstream in(rest);
    std::string extra;
    if (!setting->second(light, in) || (in >> extra)) {
        error = "'" + keyword + " " + rest + "' does not fit this light";
        return false;
    }
    return true;
}

bool StoreGlassBallResources(const DS_GlassBallLight& light, const BrushFolders& folders, DS_DocResManager& manager,
                             std::string& error)
{
    for (const DS_ImageFileLink* link : {&light.overlay1Link, &light.overlay2Link, &light.standLink,
                                         &light.backgroundLink}) {
        if (!StoreLibraryPicture(link->GetValue(), folders, manager, error)) return false;
    }
    return true;
}
