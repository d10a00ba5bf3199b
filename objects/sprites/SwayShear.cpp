#include "objects/sprites/SwayShear.h"

#include <cmath>

#include "engine/params/Random.h"
#include "engine/scene/BaseSpriteProp.h"
#include "engine/scene/TimeLineControl.h"

namespace {

// The time-line speed mode in which the opacity dims swaying sprites.
constexpr int32_t kDimmedSpeedMode = 1;

}  // namespace

float ClampedShear(float radians)
{
    const float tangent = std::tan(radians);
    if (std::isnan(tangent)) return 0.0f;
    if (std::fabs(tangent) < kVanishingTangent) return std::copysign(kMaxShear, tangent);
    return 1.0f / tangent;
}

float SwayShear(float s, float amplitudeDegrees)
{
    const float t = (180.0f - (s * amplitudeDegrees + 90.0f)) * 2.0f * kPi / 360.0f;
    return ClampedShear(t);
}

uint32_t SwayModulateAlpha(DS_BaseSpriteProp& item, uint32_t argb)
{
    if (item.TimeLine().speedMode == kDimmedSpeedMode) return item.DS_BaseSpriteProp::ModulateAlpha(argb);
    return argb;
}
