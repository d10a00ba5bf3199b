#include "objects/sprites/FogConstructor.h"

#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

DS_FogConstructor::DS_FogConstructor()
{
    minAlpha = kDefaultMinAlpha;
    maxAlpha = 1.0f;
    transparency.SetValue(kDefaultTransparency);
    // Stored as these kinds set it; any mode but 2 runs with the application time.
    TimeLine().speedMode = 1;
}

void DS_FogConstructor::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteFloat(maxSpeedX);
    ar->archive->WriteFloat(maxSpeedY);
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_FogConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    ReadFiniteFloat(ar, maxSpeedX);
    ReadFiniteFloat(ar, maxSpeedY);
    if (ar->Failed()) return false;
    return DS_BaseSpriteProp::ReadBody(ar);
}

void DS_FogConstructor::InitSprite(SpriteInstance& sprite)
{
    sprite.position = RandomPoint();
    sprite.velocity.x = RandomRange(-maxSpeedX, maxSpeedX);
    sprite.velocity.y = RandomRange(-maxSpeedY, maxSpeedY);
    sprite.alpha = RandomRange(0.0f, 1.0f);
    const float turn = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * (2.0f * kMaxTurn) - kMaxTurn;
    D3DXMatrixRotationZ(&sprite.rotationStep, turn);
}

void DS_FogConstructor::UpdateSprite(SpriteInstance& sprite)
{
    sprite.position += SpeedStep() * sprite.velocity;
    sprite.UpdatePulse(*this, false);
    // Bounces on the centre, so a patch may hang half outside its area.
    if (sprite.position.y > GetBottom()) sprite.velocity.y = -std::fabs(sprite.velocity.y);
    if (sprite.position.y < GetTop()) sprite.velocity.y = std::fabs(sprite.velocity.y);
    if (sprite.position.x < GetLeft()) sprite.velocity.x = std::fabs(sprite.velocity.x);
    if (sprite.position.x > GetRight()) sprite.velocity.x = -std::fabs(sprite.velocity.x);
    // The same small turn on every update, whatever the time step.
    D3DXVec3TransformCoord(&sprite.firstAxis, &sprite.firstAxis, &sprite.rotationStep);
    D3DXVec3TransformCoord(&sprite.secondAxis, &sprite.secondAxis, &sprite.rotationStep);
    sprite.PackColor(*this);
}
