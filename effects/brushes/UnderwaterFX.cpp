#include "effects/brushes/UnderwaterFX.h"

namespace {

constexpr unsigned kDefaultSpeed = 25;
constexpr unsigned kDefaultWaveValue = 50;

}  // namespace

DS_UnderwaterFX::DS_UnderwaterFX()
    : amplitude(kDefaultWaveValue, 0.000125f, 0.0f), wavelength(kDefaultWaveValue, 0.002f, 0.001f)
{
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

DS_UnderwaterFX::DS_UnderwaterFX(const DS_UnderwaterFX& other)
    : DS_FX_Constructor(other), amplitude(other.amplitude), wavelength(other.wavelength)
{
}

DS_UnderwaterFX& DS_UnderwaterFX::operator=(const DS_UnderwaterFX& other)
{
    if (this == &other) return *this;
    DS_FX_Constructor::operator=(other);
    CopyScaled(amplitude, other.amplitude);
    CopyScaled(wavelength, other.wavelength);
    return *this;
}

void DS_UnderwaterFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

DS_UnderwaterFX::WaveParams DS_UnderwaterFX::ComputeParams(float pictureWidth, float pictureHeight) const
{
    const float a = pictureWidth > 0.0f && pictureHeight > 0.0f ? pictureWidth / pictureHeight : 1.0f;
    const float f = 1.0f / wavelength.GetDerived();
    WaveParams p;
    p.frequency[0] = f * a;
    p.frequency[1] = f;
    p.amplitude = amplitude.GetDerived();
    p.time = Clock() * kTimeRate;
    return p;
}

void DS_UnderwaterFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    float pictureWidth = 0.0f, pictureHeight = 0.0f;
    PictureSize(service, pictureWidth, pictureHeight);
    const WaveParams p = ComputeParams(pictureWidth, pictureHeight);
    SetFloats("frequency", {p.frequency[0], p.frequency[1]});
    SetFloat("amplitude", p.amplitude);
    SetFloat("time", p.time);
    RenderCommon(service);
}

void DS_UnderwaterFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    amplitude.Write(*ar);
    wavelength.Write(*ar);
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_UnderwaterFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    amplitude.Read(*ar);
    wavelength.Read(*ar);
    if (ar->Failed()) return false;
    return DS_FX_Constructor::ReadBody(ar);
}

std::unique_ptr<DS_UnderwaterFX> DS_UnderwaterFX::ReadRecord(DS_IOF_Archive* ar)
{
    if (!ar || ar->Failed()) return nullptr;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return nullptr;
    auto brush = std::make_unique<DS_UnderwaterFX>();
    if (!brush->ReadFields(ar, version)) return nullptr;
    return brush;
}
