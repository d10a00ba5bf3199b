#include "objects/sprites/StatObjConstructor.h"

#include <cmath>

#include "engine/params/Random.h"
#include "engine/render/ViewMetrics.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/SpriteInstance.h"
#include "objects/sprites/SwayShear.h"

namespace {

D3DXVECTOR3 Turned(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

void ReadStoredInt32(DS_IOF_Archive* ar, MediaParamT<int>& param)
{
    int32_t value = param.GetValue();
    ar->archive->ReadInt32(value);
    if (!ar->Failed()) param.StoreValue(value);
}

}  // namespace

DS_StatObjConstructor::DS_StatObjConstructor()
{
    D3DXMatrixIdentity(&rotationMatrix);
}

DS_StatObjConstructor::DS_StatObjConstructor(const DS_StatObjConstructor& other)
    : DS_ParticleSystemCtrl(other), bounds(other.bounds), rotation(other.rotation), rotationMatrix(other.rotationMatrix)
{
}

void DS_StatObjConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_StatObjConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_StatObjConstructor::WriteFields(DS_IOF_Archive* ar) const
{
    bounds.Write(*ar);
    ar->archive->WriteUInt(rotation.GetValue());
    DS_BaseSpriteProp::WriteBody(ar);
}

bool DS_StatObjConstructor::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_StatObjConstructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive) return false;
    bounds.Read(*ar);
    uint32_t degrees = rotation.GetValue();
    ar->archive->ReadUInt(degrees);
    if (ar->Failed()) return false;
    rotation.StoreValue(degrees);
    if (version < kMirrorsInSpriteRecordVersion) {
        ReadStoredInt32(ar, mirrorVertically);
        ReadStoredInt32(ar, mirrorHorizontally);
        if (ar->Failed()) return false;
    }
    return DS_BaseSpriteProp::ReadBody(ar);
}

ScreenQuad DS_StatObjConstructor::GetViewQuad() const
{
    return EdgeQuad(static_cast<float>(bounds.left.GetValue()), static_cast<float>(bounds.top.GetValue()),
                    static_cast<float>(bounds.right.GetValue()), static_cast<float>(bounds.bottom.GetValue()));
}

bool DS_StatObjConstructor::HitTest(float x, float y)
{
    return bounds.Contains(x, y, ViewPointToPicture);
}

void DS_StatObjConstructor::PlaceSprite(SpriteInstance& sprite)
{
    sprite.position =
        D3DXVECTOR3(static_cast<float>(bounds.extraX.GetValue()), static_cast<float>(bounds.extraY.GetValue()), 0.0f);
    sprite.SetHalfExtents(static_cast<float>(size.GetValue()));
    sprite.PackColor(*this);
    D3DXMatrixRotationZ(&rotationMatrix, static_cast<float>(rotation.GetValue()) * -kPi / 180.0f);
    sprite.firstAxis = Turned(D3DXVECTOR3(1.0f, 0.0f, 0.0f), rotationMatrix);
    sprite.secondAxis = Turned(D3DXVECTOR3(0.0f, 1.0f, 0.0f), rotationMatrix);
    UpdateBounds(sprite);
}

void DS_StatObjConstructor::UpdateBounds(const SpriteInstance& sprite)
{
    const float hw = sprite.halfWidth, hh = sprite.halfHeight;
    const D3DXVECTOR3& a1 = sprite.firstAxis;
    const D3DXVECTOR3& a2 = sprite.secondAxis;
    const float ex = std::fabs(a1.x * hw) + std::fabs(a2.x * hh);
    const float ey = std::fabs(hh * a2.y) + std::fabs(a1.y * hw);
    const float x = sprite.position.x, y = sprite.position.y;
    bounds.left.SetValue(SaturatingTruncate(x - ex));
    bounds.right.SetValue(SaturatingTruncate(x + ex));
    bounds.top.SetValue(SaturatingTruncate(y - ey));
    bounds.bottom.SetValue(SaturatingTruncate(y + ey));
}

DS_FlowerConstructor::DS_FlowerConstructor()
{
    TimeLine().speedMode = DS_TimeLineControl::kSpeedFollowsOpacity;
}

void DS_FlowerConstructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteFloat(swayAmplitude);
    DS_StatObjConstructor::WriteBody(ar);
}

bool DS_FlowerConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    ReadFiniteFloat(ar, swayAmplitude);
    if (ar->Failed()) return false;
    return DS_StatObjConstructor::ReadBody(ar);
}

void DS_FlowerConstructor::UpdateSprite(SpriteInstance& sprite)
{
    const float s = std::sin(animationSpeed.GetLocalTime() + sprite.velocity.y);
    const float shear = SwayShear(s, swayAmplitude);
    sprite.secondAxis = Turned(D3DXVECTOR3(shear, 1.0f, 0.0f), rotationMatrix);
    const D3DXVECTOR3& a1 = sprite.firstAxis;
    sprite.position.x = static_cast<float>(bounds.extraX.GetValue()) - a1.x * sprite.halfHeight * shear;
    sprite.position.y = static_cast<float>(bounds.extraY.GetValue()) - a1.y * sprite.halfHeight * shear;
}

uint32_t DS_FlowerConstructor::ModulateAlpha(uint32_t argb)
{
    return SwayModulateAlpha(*this, argb);
}

void DS_DischargeConstructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_StatObjConstructor::WriteBody(ar);
}

int32_t DS_DischargeConstructor::NextFrame(int32_t index)
{
    const int32_t frames = static_cast<int32_t>(FrameCount());
    if (frames < 2) return 0;
    int32_t frame = index;
    while (frame == index) frame = DS_Rand() % frames;
    return frame;
}
