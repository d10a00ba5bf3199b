#include "objects/sprites/GrassConstructor.h"

#include <cmath>

#include "engine/params/Random.h"
#include "engine/render/ViewMetrics.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"
#include "objects/sprites/SwayShear.h"

namespace {

constexpr float kMaxPhase = 1.5707964f;

}  // namespace

DS_GrassConstructor::DS_GrassConstructor()
{
    TimeLine().speedMode = DS_TimeLineControl::kSpeedFollowsOpacity;
}

void DS_GrassConstructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteFloat(swayAmplitude);
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_GrassConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    ReadFiniteFloat(ar, swayAmplitude);
    if (ar->Failed()) return false;
    return DS_BaseSpriteProp::ReadBody(ar);
}

void DS_GrassConstructor::InitSprite(SpriteInstance& sprite)
{
    // Draw order: the root x, the phase, the mirror.
    const float x = RandomRange(GetLeft(), GetRight());
    sprite.position.x = x;
    sprite.velocity.z = x;
    sprite.position.y = GetBottom() - sprite.halfHeight;
    sprite.velocity.y = RandomRange(0.0f, kMaxPhase);
    sprite.firstAxis = D3DXVECTOR3((DS_Rand() & 1) ? -1.0f : 1.0f, 0.0f, 0.0f);
}

void DS_GrassConstructor::UpdateSprite(SpriteInstance& sprite)
{
    // Neighbouring blades sway a little apart: the phase runs along x.
    const float width = static_cast<float>(ViewMetrics::Instance().pictureWidth);
    const float along = width > 0.0f ? sprite.position.x / width * 2.0f * kPi : 0.0f;
    const float s = std::sin(SpeedClock() + sprite.velocity.y + along);
    const float shear = SwayShear(s, swayAmplitude);
    sprite.secondAxis = D3DXVECTOR3(shear, 1.0f, 0.0f);
    sprite.position.x = sprite.velocity.z - shear * sprite.halfHeight;
}

uint32_t DS_GrassConstructor::ModulateAlpha(uint32_t argb)
{
    return SwayModulateAlpha(*this, argb);
}
