#include "objects/sprites/LightingConstructor.h"

#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

// Tilt: r / 32767 x pi / 4 - pi / 8 radians.
constexpr float kTiltSpan = 0.7853982f;
constexpr float kTiltOffset = 0.3926991f;
constexpr int32_t kBlendModeAdd = 1;

D3DXVECTOR3 Turned(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

}  // namespace

DS_LightingConstructor::DS_LightingConstructor()
{
    blendMode.StoreValue(kBlendModeAdd);
    flag = true;
    DS_TimeLineControl& timeLine = TimeLine();
    timeLine.mode = DS_TimeLineControl::kCycle;
    timeLine.speedMode = 0;
    timeLine.invisible.minimum.StoreValue(kDefaultPauseMin);
    timeLine.invisible.maximum.StoreValue(kDefaultPauseMax);
}

void DS_LightingConstructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_BaseSpriteProp::WriteBody(ar);
}

void DS_LightingConstructor::InitSprite(SpriteInstance& sprite)
{
    // Draw order: the point (x, y), the tilt, the mirror.
    sprite.SetHalfExtents(static_cast<float>(size.GetValue()));
    sprite.position = RandomPointInside(sprite.halfWidth, sprite.halfHeight);
    const float angle = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * kTiltSpan - kTiltOffset;
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, angle);
    const float mirror = (DS_Rand() & 1) ? -1.0f : 1.0f;
    sprite.firstAxis = Turned(D3DXVECTOR3(mirror, 0.0f, 0.0f), turn);
    sprite.secondAxis = Turned(D3DXVECTOR3(0.0f, 1.0f, 0.0f), turn);
    sprite.alpha = 0.0f;
}

void DS_LightingConstructor::UpdateSprite(SpriteInstance& sprite)
{
    if (sprite.alpha != 0.0f) {
        sprite.alpha -= kFadeRate * SpeedStep();
        if (SpeedClock() - sprite.firstTimer > kFlickerInterval) {
            sprite.firstTimer = SpeedClock();
            if (DS_Rand() & 1) sprite.alpha = 1.0f;
        }
    } else if (sprite.secondTimer < LastTime() - sprite.firstTimer) {
        // The dark pause is over: a new place, tilt and mirror, lit at once.
        InitSprite(sprite);
        sprite.alpha = 1.0f;
        sprite.firstTimer = SpeedClock();
    }
    if (sprite.alpha < 0.0f) {
        // Burnt out: dark from now (local time) for a freshly drawn pause.
        sprite.alpha = 0.0f;
        sprite.firstTimer = LastTime();
        sprite.secondTimer = RandomPercentage(TimeLine().invisible);
    }
    sprite.PackColor(*this);
}
