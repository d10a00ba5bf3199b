#include "tools/composer/MovingSprites.h"

#include <cstdint>

#include "objects/sprites/FishConstructor.h"
#include "objects/sprites/FlowConstructor.h"
#include "objects/sprites/FogConstructor.h"

namespace {

bool Fail(std::string& error, const std::string& what)
{
    error = what;
    return false;
}

template <class K>
std::unique_ptr<DS_ParticleSystemCtrl> Make()
{
    return std::make_unique<K>();
}

// max-speed X Y of the kinds that have the two maximum speeds.
template <class K>
bool MaxSpeedSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                     std::string& error)
{
    error.clear();
    if (key != "max-speed") return false;
    std::vector<float> speeds;
    if (!ReadFloatArgs(args, 2, speeds)) return Fail(error, "max-speed wants X Y");
    auto& kind = static_cast<K&>(sprite);
    kind.maxSpeedX = speeds[0];
    kind.maxSpeedY = speeds[1];
    return true;
}

int32_t SideNumber(const std::string& name)
{
    if (name == "top") return 0;
    if (name == "bottom") return 1;
    if (name == "left") return 2;
    if (name == "right") return 3;
    return -1;
}

bool FlowSetting(DS_ParticleSystemCtrl& sprite, const std::string& key, const std::vector<std::string>& args,
                 std::string& error)
{
    error.clear();
    auto& flow = static_cast<DS_FlowConstructor&>(sprite);
    std::vector<long long> values;
    if (key == "direction" || key == "side-speed" || key == "side-change") {
        if (!ReadWholeArgs(args, 1, 0, UINT32_MAX, values)) return Fail(error, key + " wants a whole number");
        const unsigned value = static_cast<unsigned>(values[0]);
        if (key == "direction") flow.direction.SetValue(value);
        if (key == "side-speed") flow.sideSpeed.SetValue(value);
        if (key == "side-change") flow.sideChangeRate.SetValue(value);
        return true;
    }
    if (key == "flow-speed") {
        std::vector<float> speed;
        if (!ReadFloatArgs(args, 1, speed)) return Fail(error, "flow-speed wants a number");
        flow.flowSpeed = speed[0];
        // The vectors follow the direction: tell it again with the new speed.
        flow.OnDirectionChanged(flow.direction.GetValue());
        return true;
    }
    if (key == "orientation") {
        if (!ReadWholeArgs(args, 1, 0, 3, values)) return Fail(error, "orientation wants 0 to 3");
        flow.orientation.SetValue(static_cast<int>(values[0]));
        return true;
    }
    if (key == "edge") {
        const int32_t side = args.empty() ? -1 : SideNumber(args[0]);
        const std::vector<std::string> numbers(args.empty() ? args.end() : args.begin() + 1, args.end());
        if (side < 0 || !ReadWholeArgs(numbers, 5, 0, UINT32_MAX, values) || values[0] > 2) {
            return Fail(error,
                        "edge wants SIDE (top, bottom, left, right) MODE (0 to 2) FADE-OUT FADE-IN "
                        "MIN-PAUSE MAX-PAUSE (milliseconds)");
        }
        DS_BoundControl& bound = flow.bounds[static_cast<size_t>(side)];
        bound.mode.SetValue(static_cast<int>(values[0]));
        bound.fadeOutTime.SetValue(static_cast<unsigned>(values[1]));
        bound.fadeInTime.SetValue(static_cast<unsigned>(values[2]));
        bound.minPause.SetValue(static_cast<unsigned>(values[3]));
        bound.maxPause.SetValue(static_cast<unsigned>(values[4]));
        return true;
    }
    return false;
}

}  // namespace

void AddMovingSpriteKinds(SpriteKindTable& kinds)
{
    kinds.Add("DS_FishConstructor", {Make<DS_FishConstructor>, MaxSpeedSetting<DS_FishConstructor>, nullptr});
    kinds.Add("DS_BirdConstructor", {Make<DS_BirdConstructor>, MaxSpeedSetting<DS_FishConstructor>, nullptr});
    kinds.Add("DS_GhostConstructor", {Make<DS_GhostConstructor>, MaxSpeedSetting<DS_FishConstructor>, nullptr});
    kinds.Add("DS_FogConstructor", {Make<DS_FogConstructor>, MaxSpeedSetting<DS_FogConstructor>, nullptr});
    kinds.Add("DS_FlowConstructor", {Make<DS_FlowConstructor>, FlowSetting, nullptr});
    kinds.Add("DS_RainConstructor", {Make<DS_RainConstructor>, FlowSetting, nullptr});
}
