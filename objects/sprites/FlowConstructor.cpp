#include "objects/sprites/FlowConstructor.h"

#include <cmath>
#include <memory>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

constexpr float kFullTurn = 360.0f;

// +1 or -1 with the sign of value; -0 counts as negative.
float SignOf(float value)
{
    return std::signbit(value) ? -1.0f : 1.0f;
}

}  // namespace

DS_FlowConstructor::DS_FlowConstructor()
{
    D3DXMatrixIdentity(&flowRotation_);
    TimeLine().speedMode = 0;
    BindBounds();
    BindDirection();
}

DS_FlowConstructor::DS_FlowConstructor(const DS_FlowConstructor& other)
    : DS_ParticleSystemCtrl(other),
      direction(other.direction),
      sideSpeed(other.sideSpeed),
      sideChangeRate(other.sideChangeRate),
      flowSpeed(other.flowSpeed),
      orientation(other.orientation),
      flowRotation_(other.flowRotation_),
      flowVector_(other.flowVector_),
      sideVector_(other.sideVector_)
{
    for (size_t side = 0; side < bounds.size(); ++side) bounds[side] = other.bounds[side];
    BindBounds();
    BindDirection();
}

DS_FlowConstructor::~DS_FlowConstructor()
{
    directionListener_.Release();
}

void DS_FlowConstructor::BindBounds()
{
    for (size_t side = 0; side < bounds.size(); ++side) {
        bounds[side].side = static_cast<int32_t>(side);
        DS_BoundControl::BindSide(bounds[side].side, this, bounds[side]);
    }
}

void DS_FlowConstructor::BindDirection()
{
    directionListener_.Release();
    auto* listener = directionListener_.Add(
        std::make_unique<DS_FunLightCtrl<unsigned, DS_FlowConstructor>>(&DS_FlowConstructor::OnDirectionChanged, this));
    listener->Attach(&direction);
    listener->OnChange(nullptr);
}

void DS_FlowConstructor::OnDirectionChanged(unsigned angle)
{
    const float turn = (kFullTurn - static_cast<float>(angle)) * kPi / 180.0f;
    D3DXMatrixRotationZ(&flowRotation_, turn);
    const D3DXVECTOR4 along(flowSpeed, 0.0f, 0.0f, 0.0f);
    const D3DXVECTOR4 across(0.0f, 1.0f, 0.0f, 0.0f);
    D3DXVec4Transform(&flowVector_, &along, &flowRotation_);
    D3DXVec4Transform(&sideVector_, &across, &flowRotation_);
}

unsigned DS_FlowConstructor::GetCount()
{
    const unsigned value = count.GetValue();
    if (value < 2) return value;
    const int32_t drawn = SaturatingTruncate(static_cast<float>(value) * TimeLine().GetAlpha());
    return drawn < 0 ? 0u : static_cast<unsigned>(drawn);
}

void DS_FlowConstructor::ApplyOrientation(SpriteInstance& sprite) const
{
    sprite.SetHalfExtents(static_cast<float>(size.GetValue()));
    sprite.PackColor(*this);
    switch (orientation.GetValue()) {
        case kTurned: {
            const D3DXVECTOR3 first(1.0f, 0.0f, 0.0f), second(0.0f, 1.0f, 0.0f);
            D3DXVec3TransformCoord(&sprite.firstAxis, &first, &flowRotation_);
            D3DXVec3TransformCoord(&sprite.secondAxis, &second, &flowRotation_);
            break;
        }
        case kUpright:
            sprite.firstAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
            sprite.secondAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
            break;
        default:
            break;  // the update sets the mirrored axes
    }
}

void DS_FlowConstructor::InitSprite(SpriteInstance& sprite)
{
    sprite.velocity.z = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * 2.0f - 1.0f;
    sprite.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
    sprite.velocity.x = 0.0f;
    sprite.velocity.y = 0.0f;
    sprite.position = RandomPoint();
    ApplyOrientation(sprite);
}

void DS_FlowConstructor::UpdateSprite(SpriteInstance& sprite)
{
    const float side = sprite.velocity.z * sideSpeed.GetDerived();
    sprite.velocity.x = sprite.scale * (flowVector_.x * sprite.direction.x + sideVector_.x * side);
    sprite.velocity.y = sprite.scale * (flowVector_.y * sprite.direction.y + sideVector_.y * side);
    if (!sprite.paused) {
        sprite.position.x += SpeedStep() * sprite.velocity.x;
        sprite.position.y += SpeedStep() * sprite.velocity.y;
    }
    for (const DS_BoundControl& bound : bounds) {
        if (bound.Apply(*this, sprite)) break;
    }
    if (orientation.GetValue() == kMirrorByVx) {
        sprite.firstAxis = D3DXVECTOR3(SignOf(sprite.velocity.x), 0.0f, 0.0f);
        sprite.secondAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    } else if (orientation.GetValue() == kMirrorByVy) {
        sprite.firstAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
        sprite.secondAxis = D3DXVECTOR3(0.0f, SignOf(sprite.velocity.y), 0.0f);
    }
    // A rate of 0 gives an infinite interval: the side factor never changes.
    if (1.0f / sideChangeRate.GetDerived() < SpeedClock() - sprite.firstTimer) {
        sprite.firstTimer = SpeedClock();
        if (DS_Rand() & 1) sprite.velocity.z = RandomRange(-1.0f, 1.0f);
    }
    sprite.PackColor(*this);
}

void DS_FlowConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_FlowConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_FlowConstructor::WriteFields(DS_IOF_Archive* ar) const
{
    ar->archive->WriteUInt(direction.GetValue());
    ar->archive->WriteUInt(sideSpeed.GetValue());
    ar->archive->WriteUInt(sideChangeRate.GetValue());
    ar->archive->WriteFloat(flowSpeed);
    ar->archive->WriteInt32(orientation.GetValue());
    for (const DS_BoundControl& bound : bounds) bound.WriteBody(ar);
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_FlowConstructor::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return DS_FlowConstructor::ReadFields(ar, version);
}

bool DS_FlowConstructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive) return false;
    DS_IOF_Virtual& in = *ar->archive;
    uint32_t value = direction.GetValue();
    in.ReadUInt(value);
    if (!ar->Failed()) direction.StoreValue(value);  // no notification: the vectors stay
    ReadParam(*ar, sideSpeed);                       // through the setter: the derived speed follows
    ReadParam(*ar, sideChangeRate);
    ReadFiniteFloat(ar, flowSpeed);
    if (version == kFlagVersion) {
        int32_t turned = 0;
        in.ReadInt32(turned);
        if (!ar->Failed()) orientation.SetValue(turned != 0 ? kTurned : kUpright);
    } else if (version >= kOrientationVersion) {
        int32_t mode = orientation.GetValue();
        in.ReadInt32(mode);
        if (!ar->Failed()) orientation.StoreValue(mode);
    }
    if (ar->Failed()) return false;
    if (version >= kBoundsVersion) {
        for (DS_BoundControl& bound : bounds) {
            if (!bound.ReadBody(ar)) {
                ar->Fail();
                return false;
            }
        }
        BindBounds();
    }
    return DS_BaseSpriteProp::ReadBody(ar);
}

DS_RainConstructor::DS_RainConstructor()
{
    // The direction first, while the speed is still 0.
    direction.SetValue(kDefaultDirection);
    sideSpeed.SetValue(0);
    flowSpeed = kDefaultSpeed;
    minScale = kDefaultMinScale;
    maxScale = 1.0f;
    orientation.SetValue(kTurned);
    D3DXMatrixRotationZ(&rainRotation_, kRainTurn);
}

void DS_RainConstructor::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_FlowConstructor::WriteBody(ar);
}

bool DS_RainConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    return DS_FlowConstructor::ReadBody(ar);
}

void DS_RainConstructor::InitSprite(SpriteInstance& sprite)
{
    DS_FlowConstructor::InitSprite(sprite);
    sprite.alpha = RandomRange(0.0f, 1.0f);
    ApplyOrientation(sprite);
    if (orientation.GetValue() == kTurned) {
        D3DXVec3TransformCoord(&sprite.firstAxis, &sprite.firstAxis, &rainRotation_);
        D3DXVec3TransformCoord(&sprite.secondAxis, &sprite.secondAxis, &rainRotation_);
    }
}

void DS_RainConstructor::UpdateSprite(SpriteInstance& sprite)
{
    // The flow rule sees alpha 1 (so a wrapping edge never finishes its
    // fade-out); the drop's own alpha then pulses.
    const float alpha = sprite.alpha;
    sprite.alpha = 1.0f;
    DS_FlowConstructor::UpdateSprite(sprite);
    sprite.alpha = alpha;
    sprite.UpdatePulse(*this, true);
    sprite.PackColor(*this);
}
