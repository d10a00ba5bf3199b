#include "effects/brushes/RotationFX.h"

#include <d3dx9math.h>

#include "engine/scene/TimeLineControl.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kRatioScale = 0.001f;
constexpr float kSpeedScale = 0.005f;
constexpr int32_t kFadeSpeedMode = 1;

}  // namespace

DS_RotationFX::DS_RotationFX() : ellipseRatio(0, kRatioScale, 0.0f)
{
    speed.SetScale(kSpeedScale);
    TimeLine().speedMode = DS_TimeLineControl::kSpeedFollowsOpacity;
}

void DS_RotationFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_RotationFX::Update(float t)
{
    DS_FX_Constructor::Update(t);
    angle_ = direction.GetValue() == 0 ? Clock() : -Clock();
}

float DS_RotationFX::EllipseRatio() const
{
    const float k = ellipseRatio.GetDerived();
    return k > 0.0f ? k : 1.0f;
}

void DS_RotationFX::Transform(float (&out)[4]) const
{
    const float k = EllipseRatio();
    const float g = static_cast<float>(ellipseAngle.GetValue()) * kPi / 180.0f;
    D3DXMATRIX rotation, toAxes, fromAxes, t;
    D3DXMatrixRotationZ(&rotation, angle_);
    rotation._12 *= k;
    rotation._21 /= k;
    D3DXMatrixRotationZ(&toAxes, g);
    D3DXMatrixRotationZ(&fromAxes, -g);
    D3DXMatrixMultiply(&t, &fromAxes, &rotation);
    D3DXMatrixMultiply(&t, &t, &toAxes);
    out[0] = t._11;
    out[1] = t._12;
    out[2] = t._21;
    out[3] = t._22;
}

float DS_RotationFX::MixAlpha() const
{
    return TimeLine().speedMode == kFadeSpeedMode ? Fade() : 1.0f;
}

void DS_RotationFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    float t[4];
    Transform(t);
    SetFloats("coord_transf", {t[0], t[1], t[2], t[3]});
    float x = 0.0f, y = 0.0f;
    CenterInView(x, y);
    SetFloats("offset", {-x, -y});
    SetFloats("mix_color", {1.0f, 1.0f, 1.0f, MixAlpha()});
    RenderCommon(service);
}

void DS_RotationFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ellipseRatio.Write(*ar);
    ar->archive->WriteUInt(ellipseAngle.GetValue());
    ar->archive->WriteInt32(direction.GetValue());
    DS_CentralBased::WriteBody(ar);
}

bool DS_RotationFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    ellipseRatio.Read(*ar);
    uint32_t degrees = 0;
    ar->archive->ReadUInt(degrees);
    int32_t turn = 0;
    ar->archive->ReadInt32(turn);
    if (ar->Failed()) return false;
    ellipseAngle.StoreValue(degrees);
    direction.StoreValue(turn);
    return DS_CentralBased::ReadBody(ar);
}
