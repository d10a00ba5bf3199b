#include "effects/brushes/WaterFX.h"

#include <d3dx9math.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/resources/CurrentScene.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr unsigned kDefaultWaveValue = 20;
constexpr unsigned kDefaultAngle = 40;
constexpr unsigned long kWhite = 0xFFFFFFul;
constexpr unsigned kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;
constexpr unsigned kDefaultScale = 30;
// The bump transform turns 9 radians per unit of the clock x 0.5.
constexpr float kBumpTurnRate = 9.0f;
constexpr float kTimeRate = 2.0f;

bool Finite(float x)
{
    return std::isfinite(x);
}

}  // namespace

DS_WaterFX::DS_WaterFX()
    : waveShape(kDefaultWaveValue, 0.0001f, 0.0f),
      bumpStrength(kDefaultWaveValue, 0.001f, 0.0f),
      secondWaveStep(kDefaultWaveValue, 0.00025f, 0.0f),
      firstWaveLength(kDefaultWaveValue, 0.0005f, 0.001f),
      angle(kDefaultAngle),
      shadows(0, 0.01f, 0.0f),
      lightHeight(0, 0.1f, 0.0f),
      color(kWhite)
{
    speed.SetScale(kSpeedScale);
    speed.SetValue(kDefaultSpeed);
    scale.SetValue(kDefaultScale);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
    bumpImage.StoreValue(FileLinkValue{kEffectModule, kDefaultBumpImageId});
    HookListener();
    UpdateDirection();
}

DS_WaterFX::DS_WaterFX(const DS_WaterFX& other)
    : DS_FX_Constructor(other),
      waveShape(other.waveShape),
      bumpStrength(other.bumpStrength),
      secondWaveStep(other.secondWaveStep),
      firstWaveLength(other.firstWaveLength),
      angle(other.angle),
      shadows(other.shadows),
      lightHeight(other.lightHeight),
      color(other.color),
      bumpImage(other.bumpImage),
      bumpTexture_(other.bumpTexture_)
{
    std::copy(std::begin(other.bumpTransform_), std::end(other.bumpTransform_), bumpTransform_);
    HookListener();
    UpdateDirection();
}

DS_WaterFX::~DS_WaterFX()
{
    listeners_.Release();
}

void DS_WaterFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_WaterFX::UpdateDirection()
{
    const float g = static_cast<float>(angle.GetValue()) * kPi / 180.0f;
    direction_[0] = std::cos(g);
    direction_[1] = std::sin(g);
    direction_[2] = 0.0f;
    direction_[3] = 0.0f;
}

void DS_WaterFX::HookListener()
{
    auto* listener = listeners_.Add(std::make_unique<DS_FunLightCtrl2<DS_WaterFX>>(&DS_WaterFX::UpdateDirection, this));
    listener->Attach(&angle);
}

void DS_WaterFX::Init(MaskEntry& mask)
{
    ComPtr<IDirect3DTexture9> bump;
    // An empty set has no current texture: the brush then draws nothing.
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        bump.Set(manager->GetTextureSet(bumpImage).CurrentTexture());
    }
    bumpTexture_ = bump;
    DS_FX_Constructor::Init(mask);
}

void DS_WaterFX::Update(float t)
{
    DS_FX_Constructor::Update(t);
    const float a = bumpStrength.GetDerived();
    const float half = Clock() * 0.5f;
    const float b = half * kBumpTurnRate;
    bumpTransform_[0] = a * std::cos(b);
    bumpTransform_[1] = -a * std::sin(b);
    bumpTransform_[2] = a * std::sin(b);
    bumpTransform_[3] = a * std::cos(b);
}

DS_WaterFX::WaveParams DS_WaterFX::ComputeWaveParams() const
{
    WaveParams out = {};
    const float dx = -direction_[0], dy = -direction_[1];
    const float length1 = 0.5f / firstWaveLength.GetDerived();
    const float step2 = 0.5f * secondWaveStep.GetDerived();
    out.direction1[0] = dx * length1;
    out.direction1[1] = dy * length1;
    out.direction2[0] = dx * step2;
    out.direction2[1] = dy * step2;

    const auto shape = [](float w, float& m) {
        const float k = 2.0f / w - 1.0f;
        const float q = std::sqrt(k);
        m = (q + k) / (k - 1.0f);
        return Finite(m);
    };
    float w = waveShape.GetDerived();
    float m = 0.0f;
    // A shape of 0 divides by zero, 1 makes k - 1 zero, above 2 takes the
    // root of a negative number: each would hand the effect an infinity or
    // NaN, so the shape is clamped into the range where m is finite.
    if (!shape(w, m)) {
        w = std::min(std::max(w, kMinWaveShape), kMaxWaveShape);
        shape(w, m);
    }
    out.p1[0] = w - 1.0f;
    out.p1[1] = -1.0f;
    out.p1[2] = w - 1.0f;
    out.p2[0] = 1.0f;
    out.p2[1] = m;
    out.p2[2] = 1.0f;

    D3DXVECTOR3 light(1.0f, 2.0f, lightHeight.GetDerived());
    D3DXVec3Normalize(&light, &light);
    out.vhalf[0] = light.x;
    out.vhalf[1] = light.y;
    out.vhalf[2] = light.z;
    return out;
}

void DS_WaterFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service || !bumpTexture_) return;
    const WaveParams wave = ComputeWaveParams();
    SetTexture("BumpMap", bumpTexture_.Get());
    SetFloats("BampTrans", {bumpTransform_[0], bumpTransform_[1], bumpTransform_[2], bumpTransform_[3]});
    SetFloats("P1", {wave.p1[0], wave.p1[1], wave.p1[2]});
    SetFloats("P2", {wave.p2[0], wave.p2[1], wave.p2[2]});
    SetFloat("Time", Clock() * kTimeRate);
    SetFloats("Direction1", {wave.direction1[0], wave.direction1[1]});
    SetFloats("Direction2", {wave.direction2[0], wave.direction2[1]});
    SetFloat("Shadows", shadows.GetDerived());
    SetFloats("Vhalf", {wave.vhalf[0], wave.vhalf[1], wave.vhalf[2]});
    SetColor("Color", color.GetValue());
    RenderCommon(service);
}

void DS_WaterFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    waveShape.Write(*ar);
    bumpStrength.Write(*ar);
    secondWaveStep.Write(*ar);
    firstWaveLength.Write(*ar);
    ar->archive->WriteUInt(angle.GetValue());
    shadows.Write(*ar);
    lightHeight.Write(*ar);
    ar->archive->WriteInt(static_cast<int32_t>(color.GetValue()));
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(bumpImage);
    bumpImage.Write(*ar);
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_WaterFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    waveShape.Read(*ar);
    bumpStrength.Read(*ar);
    secondWaveStep.Read(*ar);
    firstWaveLength.Read(*ar);
    uint32_t degrees = 0;
    in.ReadUInt(degrees);
    shadows.Read(*ar);
    lightHeight.Read(*ar);
    int32_t colour = 0;
    in.ReadInt(colour);
    DS_FileLink3 bump;
    bump.Read(*ar);
    if (ar->Failed()) return false;
    angle.StoreValue(degrees);
    color.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colour)));
    bumpImage.StoreValue(bump.GetValue());
    return DS_FX_Constructor::ReadBody(ar);
}
