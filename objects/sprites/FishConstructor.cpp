#include "objects/sprites/FishConstructor.h"

#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

void DS_FishConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_FishConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_FishConstructor::WriteFields(DS_IOF_Archive* ar) const
{
    ar->archive->WriteFloat(maxSpeedX);
    ar->archive->WriteFloat(maxSpeedY);
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_FishConstructor::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return DS_FishConstructor::ReadFields(ar, version);
}

bool DS_FishConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    ReadFiniteFloat(ar, maxSpeedX);
    ReadFiniteFloat(ar, maxSpeedY);
    if (ar->Failed()) return false;
    return DS_BaseSpriteProp::ReadBody(ar);
}

void DS_FishConstructor::InitSprite(SpriteInstance& sprite)
{
    sprite.velocity.x = RandomRange(-maxSpeedX, maxSpeedX);
    sprite.velocity.y = RandomRange(-maxSpeedY, maxSpeedY);
    sprite.velocity.z = 0.0f;
    sprite.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    sprite.position = RandomPoint();
    sprite.SetHalfExtents(static_cast<float>(size.GetValue()));
    sprite.PackColor(*this);
    if (sprite.velocity.x < 0.0f) sprite.halfWidth = -sprite.halfWidth;
}

void DS_FishConstructor::UpdateSprite(SpriteInstance& sprite)
{
    sprite.position += SpeedStep() * sprite.velocity;
    if (sprite.OutsideLeft(*this)) {
        sprite.velocity.x = std::fabs(sprite.velocity.x);
        sprite.halfWidth = std::fabs(sprite.halfWidth);
    } else if (sprite.OutsideRight(*this)) {
        sprite.velocity.x = -std::fabs(sprite.velocity.x);
        sprite.halfWidth = -std::fabs(sprite.halfWidth);
    }
    if (sprite.CrossesTop(*this)) {
        sprite.velocity.y = std::fabs(sprite.velocity.y);
    } else if (sprite.CrossesBottom(*this)) {
        sprite.velocity.y = -std::fabs(sprite.velocity.y);
    }
    if (LastTime() - sprite.firstTimer > kSpeedChangeInterval) {
        sprite.firstTimer = LastTime();
        if (DS_Rand() & 1) {
            // A new pace with the same heading, so the mirroring still fits.
            sprite.velocity.x = std::copysign(std::fabs(RandomRange(-maxSpeedX, maxSpeedX)), sprite.velocity.x);
            sprite.velocity.y = RandomRange(-maxSpeedY, maxSpeedY);
            sprite.velocity.z = 0.0f;
        }
    }
}

void DS_BirdConstructor::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_FishConstructor::WriteBody(ar);
}

bool DS_BirdConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    return DS_FishConstructor::ReadBody(ar);
}

void DS_BirdConstructor::UpdateSprite(SpriteInstance& sprite)
{
    DS_FishConstructor::UpdateSprite(sprite);
    if (std::fabs(sprite.velocity.y) < kSlowShare * maxSpeedY) {
        sprite.velocity.y = kSlowShare * maxSpeedY + sprite.velocity.y * (1.0f - kSlowShare) / kSlowShare;
    }
    if (std::fabs(sprite.velocity.x) < kSlowShare * maxSpeedX) {
        sprite.velocity.x = std::copysign(std::fabs(RandomRange(kSlowShare * maxSpeedX, maxSpeedX)), sprite.velocity.x);
    }
}

DS_GhostConstructor::DS_GhostConstructor()
{
    maxSpeedX = kGhostMaxSpeed;
    maxSpeedY = kGhostMaxSpeed;
    pulseSpeed = kGhostPulseSpeed;
    transparency.SetValue(kGhostTransparency);
    minScale = 1.0f;
    maxScale = 1.0f;
    // Stored as these kinds set it; any mode but 2 runs with the application time.
    TimeLine().speedMode = 1;
}

void DS_GhostConstructor::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_FishConstructor::WriteBody(ar);
}

bool DS_GhostConstructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!DS_FishConstructor::ReadBody(ar)) return false;
    if (version < kTimeLineVersion) UpgradeVersion1();
    return true;
}

void DS_GhostConstructor::UpgradeVersion1()
{
    DS_TimeLineControl& timeLine = TimeLine();
    timeLine.mode = DS_TimeLineControl::kCycle;
    timeLine.invisible.minimum.SetValue(0);
    timeLine.invisible.maximum.SetValue(0);
    timeLine.visible.minimum.SetValue(0);
    timeLine.visible.maximum.SetValue(0);
    timeLine.fadeIn = kUpgradeFadeHundredths;
    timeLine.fadeOut = kUpgradeFadeHundredths;
}

void DS_GhostConstructor::InitSprite(SpriteInstance& sprite)
{
    DS_FishConstructor::InitSprite(sprite);
    sprite.alpha = RandomRange(0.0f, 1.0f);
}

void DS_GhostConstructor::UpdateSprite(SpriteInstance& sprite)
{
    DS_FishConstructor::UpdateSprite(sprite);
    const DS_TimeLineControl& timeLine = TimeLine();
    if (timeLine.GetPhase() == DS_TimeLineControl::kInvisible) InitSprite(sprite);
    sprite.alpha = timeLine.GetAlpha();
    sprite.PackColor(*this);
}
