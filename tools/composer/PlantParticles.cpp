#include "tools/composer/PlantParticles.h"

#include <sstream>

#include "objects/particles/Plant.h"
#include "objects/particles/RadialRays.h"
#include "objects/particles/Smoke.h"
#include "tools/composer/ComposerFiles.h"
#include "tools/composer/SceneParticles.h"

namespace {

// A signed whole number (the texture index and the modes may be negative).
bool ReadSigned(const std::string& text, int& value)
{
    std::istringstream in(text);
    std::string extra;
    return static_cast<bool>(in >> value) && !(in >> extra);
}

}  // namespace

std::unique_ptr<DS_TexParticleGenerator> MakePlantParticles(const std::string& kind)
{
    if (kind == "DS_Plant") return std::make_unique<DS_Plant>();
    if (kind == "DS_RadialRays") return std::make_unique<DS_RadialRays>();
    if (kind == "DS_Smoke") return std::make_unique<DS_Smoke>();
    return nullptr;
}

bool IsPlantParticles(const DS_TexParticleGenerator& item)
{
    return dynamic_cast<const DS_Plant*>(&item) || dynamic_cast<const DS_RadialRays*>(&item) ||
           dynamic_cast<const DS_Smoke*>(&item);
}

bool ApplyPlantStatement(ParticlesDescription& particles, const std::string& keyword, const std::string& rest,
                         std::string& error)
{
    DS_TexParticleGenerator& item = *particles.brush;
    auto* plant = dynamic_cast<DS_Plant*>(&item);
    auto* rays = dynamic_cast<DS_RadialRays*>(&item);
    auto* smoke = dynamic_cast<DS_Smoke*>(&item);
    auto* placed = dynamic_cast<DS_StaticGenerator*>(&item);
    const auto unfit = [&] {
        error = "'" + keyword + " " + rest + "' does not fit this item";
        return false;
    };
    std::vector<float> numbers;
    unsigned long color = 0;
    unsigned value = 0;
    int signedValue = 0;
    if (keyword == "image" || keyword == "effect") {
        if (rest.empty()) return unfit();
        (keyword == "image" ? particles.images.push_back(rest) : void(particles.effect = rest));
        return true;
    }
    if (keyword == "color") {
        if (!ReadColor(rest, color)) return unfit();
        item.color.SetValue(color);
        return true;
    }
    if (keyword == "quad") {
        if (!plant || !ReadNumbers(rest, numbers, 8)) return unfit();
        for (int k = 0; k < 4; ++k)
            plant->rectangle.Corner(k).StoreValue(D3DXVECTOR3(numbers[2 * k], numbers[2 * k + 1], 0.0f));
        return true;
    }
    if (keyword == "origin") {
        if (plant || !placed || !ReadNumbers(rest, numbers, 2)) return unfit();
        placed->origin.SetValue(D3DXVECTOR3(numbers[0], numbers[1], 0.0f));
        return true;
    }
    if (keyword == "texture-index" || keyword == "random" || keyword == "rotation-mode" || keyword == "blend") {
        if (!ReadSigned(rest, signedValue) || (keyword != "blend" && !rays)) return unfit();
        MediaParamT<int>& target = keyword == "blend"           ? item.blendMode
                                   : keyword == "texture-index" ? rays->textureIndex
                                   : keyword == "random"        ? rays->random
                                                                : rays->rotationMode;
        target.SetValue(signedValue);
        return true;
    }
    if (!ReadUnsigned(rest, value)) return unfit();
    // Unsigned settings by kind.
    struct Setting {
        const char* keyword;
        MediaParamTB<unsigned>* param;
    };
    std::vector<Setting> settings = {{"transparency", &item.color.transparency}};
    if (plant) {
        settings.insert(settings.end(), {{"time-speed", &plant->timeSpeed},
                                         {"frequency", &plant->frequency},
                                         {"w-magnitude", &plant->wMagnitude},
                                         {"b-magnitude", &plant->bMagnitude}});
    }
    if (rays) {
        settings.insert(settings.end(), {{"length", &rays->rayLength},
                                         {"width", &rays->rayWidth},
                                         {"count", &rays->rayCount},
                                         {"seed", &rays->seed},
                                         {"spread", &rays->spread},
                                         {"rotation", &rays->rotationSpeed},
                                         {"fade-floor", &rays->fadeFloor},
                                         {"amplitude", &rays->swingAmplitude}});
    }
    if (smoke) {
        settings.insert(settings.end(), {{"acceleration", &smoke->xAcceleration},
                                         {"life", &smoke->particleLife},
                                         {"rate", &smoke->rate},
                                         {"size", &smoke->particleSize},
                                         {"direction", &smoke->sector},
                                         {"speed", &smoke->speed}});
    }
    for (const Setting& setting : settings) {
        if (keyword == setting.keyword) {
            setting.param->SetValue(value);
            return true;
        }
    }
    error = "unknown statement '" + keyword + "' for this item";
    return false;
}
