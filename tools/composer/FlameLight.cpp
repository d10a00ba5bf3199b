#include "tools/composer/FlameLight.h"

#include <cstdint>
#include <functional>
#include <map>
#include <sstream>

namespace {

using FlameSetting = std::function<bool(DS_FlameLight&, std::istringstream&)>;

// One whole number from low to high and nothing after it.
bool ReadWhole(std::istringstream& in, long long low, long long high, long long& value)
{
    std::string extra;
    return (in >> value) && !(in >> extra) && value >= low && value <= high;
}

// Set with notification, as an editor would, so derived values follow.
FlameSetting Unsigned(std::function<MediaParamTB<unsigned>&(DS_FlameLight&)> member)
{
    return [member](DS_FlameLight& light, std::istringstream& in) {
        long long value = 0;
        if (!ReadWhole(in, 0, UINT32_MAX, value)) return false;
        member(light).SetValue(static_cast<unsigned>(value));
        return true;
    };
}

FlameSetting Signed(MediaParamT<int> DS_FlameLight::*member)
{
    return [member](DS_FlameLight& light, std::istringstream& in) {
        long long value = 0;
        if (!ReadWhole(in, INT32_MIN, INT32_MAX, value)) return false;
        (light.*member).SetValue(static_cast<int>(value));
        return true;
    };
}

const std::map<std::string, FlameSetting>& FlameSettings()
{
    static const std::map<std::string, FlameSetting> settings = {
        {"fire", Signed(&DS_FlameLight::fireFlag)},
        {"distortion", Signed(&DS_FlameLight::distortionFlag)},
        {"flame-offset", Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.flameOffset; })},
        {"distortion-speed",
         Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.Distortion().speed; })},
        {"strength", Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.Distortion().strength; })},
        {"bump-scale", Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.Distortion().bumpScale; })},
        {"density", Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.Fire().density; })},
        {"brightness", Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.Fire().brightness; })},
        {"fire-speed", Unsigned([](DS_FlameLight& l) -> MediaParamTB<unsigned>& { return l.Fire().speed; })},
        {"fire-colors",
         [](DS_FlameLight& light, std::istringstream& in) {
             unsigned long first = 0, second = 0;
             std::string extra;
             if (!(in >> std::hex >> first >> second) || (in >> extra) || first > 0xFFFFFFul || second > 0xFFFFFFul) {
                 return false;
             }
             light.Fire().firstColor.SetValue(first);
             light.Fire().secondColor.SetValue(second);
             return true;
         }},
    };
    return settings;
}

}  // namespace

bool ApplyFlameStatement(DS_FlameLight& light, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    const auto setting = FlameSettings().find(keyword);
    if (setting == FlameSettings().end()) {
        error = "unknown statement '" + keyword + "'";
        return false;
    }
    std::istringstream in(rest);
    if (!setting->second(light, in)) {
        error = "'" + keyword + " " + rest + "' does not fit this light";
        return false;
    }
    return true;
}

bool StoreFlameResources(const DS_FlameLight& light, const BrushFolders& folders, DS_DocResManager& manager,
                         std::string& error)
{
    const DS_FireFX& fire = light.Fire();
    for (const DS_ImageFileLink* image : {&fire.patternImage, &fire.noiseImage, &light.Distortion().bumpImage}) {
        if (!StoreLibraryPicture(image->GetValue(), folders, manager, error)) return false;
    }
    return StoreLibraryEffect(fire.effectLink.GetValue(), folders, manager, error) &&
           StoreLibraryEffect(light.Distortion().effectLink.GetValue(), folders, manager, error);
}
