#include "tools/composer/LightningParticles.h"

#include <cstdint>
#include <vector>

#include "tools/composer/ComposerFiles.h"

bool ApplyLightningStatement(DS_LightningGN& bolt, const std::string& keyword, const std::string& rest,
                             bool& handled, std::string& error)
{
    handled = true;
    const auto unfit = [&] {
        error = "'" + keyword + " " + rest + "' does not fit the lightning";
        return false;
    };
    if (keyword == "line") {
        std::vector<float> numbers;
        if (!ReadNumbers(rest, numbers, 4)) return unfit();
        bolt.startPoint.SetValue(D3DXVECTOR3(numbers[0], numbers[1], 0.0f));
        bolt.endPoint.SetValue(D3DXVECTOR3(numbers[2], numbers[3], 0.0f));
        return true;
    }
    if (keyword == "branches") {
        std::vector<long long> counts;
        if (!ReadNumbers(rest, counts, 3)) return unfit();
        MediaParamT<unsigned>* levels[3] = {&bolt.level1Branches, &bolt.level2Branches, &bolt.level3Branches};
        for (size_t i = 0; i < 3; ++i) {
            if (counts[i] < 0 || counts[i] > UINT32_MAX) return unfit();
            levels[i]->SetValue(static_cast<unsigned>(counts[i]));
        }
        return true;
    }
    if (keyword == "random") {
        std::vector<long long> values;
        if (!ReadNumbers(rest, values, 1) || values[0] < INT32_MIN || values[0] > INT32_MAX) return unfit();
        bolt.random.SetValue(static_cast<int>(values[0]));
        return true;
    }
    struct Setting {
        const char* keyword;
        MediaParamT<unsigned>* param;
    };
    const Setting settings[] = {
        {"core-width", &bolt.coreWidth},   {"glow-width", &bolt.glowWidth},       {"subdivisions", &bolt.subdivisions},
        {"displacement", &bolt.displacement}, {"seed", &bolt.seed},             {"branch-length", &bolt.branchLength},
        {"branch-angle", &bolt.branchAngle}, {"taper", &bolt.taper},           {"flicker", &bolt.flicker},
    };
    for (const Setting& setting : settings) {
        if (keyword != setting.keyword) continue;
        unsigned value = 0;
        if (!ReadUnsigned(rest, value)) return unfit();
        setting.param->SetValue(value);
        return true;
    }
    handled = false;
    return true;
}
