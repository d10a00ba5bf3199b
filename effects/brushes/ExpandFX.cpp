#include "effects/brushes/ExpandFX.h"

#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kAmplitudeScale = 0.005f;
constexpr unsigned kDefaultOutward = 50;
constexpr unsigned kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;

}  // namespace

DS_ExpandFX::DS_ExpandFX()
    : outwardAmplitude(kDefaultOutward, kAmplitudeScale, 0.0f), inwardAmplitude(0, kAmplitudeScale, 0.0f)
{
    speed.SetScale(kSpeedScale);
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

void DS_ExpandFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

float DS_ExpandFX::Wave(float c) const
{
    if (waveForm.GetValue() != 0) return std::sin(c);
    const float f = c / kTwoPi;
    float p = f - std::floor(f);
    if (p > 0.5f) p = 1.0f - p;
    return (p - 0.25f) * 4.0f;
}

void DS_ExpandFX::Update(float t)
{
    DS_FX_Constructor::Update(t);
    const float a = outwardAmplitude.GetDerived();
    const float b = inwardAmplitude.GetDerived();
    const float w = Wave(Clock());
    currentAmplitude_ = (w * (a + b) * 0.5f + (a - b) * 0.5f) * Fade();
}

void DS_ExpandFX::SplitAmplitude(float amplitude, float (&out)[2])
{
    out[0] = amplitude > 0.0f ? amplitude : 0.0f;
    out[1] = amplitude > 0.0f ? 0.0f : std::fabs(amplitude);
}

void DS_ExpandFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    float amplitude[2];
    SplitAmplitude(currentAmplitude_, amplitude);
    SetFloats("amplitude", {amplitude[0], amplitude[1]});
    float x = 0.0f, y = 0.0f;
    CenterInView(x, y);
    SetFloats("center", {x, y});
    RenderCommon(service);
}

void DS_ExpandFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    outwardAmplitude.Write(*ar);
    inwardAmplitude.Write(*ar);
    ar->archive->WriteInt32(waveForm.GetValue());
    DS_CentralBased::WriteBody(ar);
}

bool DS_ExpandFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    outwardAmplitude.Read(*ar);
    inwardAmplitude.Read(*ar);
    int32_t form = 0;
    ar->archive->ReadInt32(form);
    if (ar->Failed()) return false;
    waveForm.StoreValue(form);
    return DS_CentralBased::ReadBody(ar);
}
