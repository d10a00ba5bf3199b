#include "objects/sprites/GodRayConstructor.h"

#include "engine/params/Random.h"
#include "engine/render/ViewMetrics.h"
#include "objects/sprites/SpriteInstance.h"
#include "objects/sprites/SwayShear.h"

namespace {

constexpr double kHalfTurnDegrees = 180.0;
constexpr double kFullTurnDegrees = 360.0;

}  // namespace

DS_GodRayConstructor::DS_GodRayConstructor() = default;

void DS_GodRayConstructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteUInt(rayAngle.GetValue());
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_GodRayConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    uint32_t angle = rayAngle.GetValue();
    ar->archive->ReadUInt(angle);
    if (ar->Failed()) return false;
    rayAngle.StoreValue(angle);
    return DS_BaseSpriteProp::ReadBody(ar);
}

void DS_GodRayConstructor::SetRayShape(SpriteInstance& sprite) const
{
    sprite.halfWidth = static_cast<float>(size.GetValue()) * 0.5f;
    sprite.halfHeight = static_cast<float>(ViewMetrics::Instance().pictureHeight) * 0.5f;
    const double angle = static_cast<double>(rayAngle.GetValue());
    const double degrees = angle < kHalfTurnDegrees ? kHalfTurnDegrees - angle : kFullTurnDegrees - angle;
    const float t = static_cast<float>(degrees) * kPi / 180.0f;
    sprite.firstAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    sprite.secondAxis = D3DXVECTOR3(ClampedShear(t), 1.0f, 0.0f);
}

void DS_GodRayConstructor::InitSprite(SpriteInstance& sprite)
{
    // Draw order: x, the drift, the alpha.
    const float x = RandomRange(GetLeft(), GetRight());
    sprite.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    sprite.velocity = D3DXVECTOR3(RandomRange(-kMaxDrift, kMaxDrift), 0.0f, 0.0f);
    // y is half the rectangle's height, which is its middle only when the
    // rectangle starts at the top; the ray is as high as the picture anyway.
    sprite.position = D3DXVECTOR3(x, (GetBottom() - GetTop()) * 0.5f, 0.0f);
    SetRayShape(sprite);
    sprite.alpha = RandomRange(0.0f, 1.0f);
}

void DS_GodRayConstructor::UpdateSprite(SpriteInstance& sprite)
{
    if (SpeedClock() - sprite.firstTimer > kDriftInterval) {
        sprite.firstTimer = SpeedClock();
        if (DS_Rand() & 1) sprite.velocity = D3DXVECTOR3(RandomRange(-kMaxDrift, kMaxDrift), 0.0f, 0.0f);
    }
    const float step = SpeedStep();
    sprite.position.x += step * sprite.velocity.x;
    sprite.position.y += step * sprite.velocity.y;
    sprite.UpdatePulse(*this, true);
    sprite.PackColor(*this);
}
