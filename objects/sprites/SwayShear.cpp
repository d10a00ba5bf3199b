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
    const float shear = 1.0f / std::tan(radians);
    if (std::isnan(shear)) return 0.0f;
    if (shear > kMaxShear) return kMaxShear;
    if (shear < -kMaxShear) return -kMaxShear;
    return shear;
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
