#include "effects/brushes/LightFX.h"

#include <cmath>

#include "engine/params/Noise.h"

namespace {

constexpr float kSineRate = 0.2f;
constexpr double kNoiseRate = 10.0;
constexpr double kNoiseScale = 75.0;
constexpr double kNoisePersistence = 0.5;
constexpr int kNoiseOctaves = 2;
constexpr unsigned kDefaultBrightness = 40;
constexpr unsigned kDefaultSpeed = 40;

}  // namespace

float LightSinePulse(float clock)
{
    return (std::sin(clock * kSineRate) + 1.0f) * 0.5f;
}

float LightSquarePulse(float clock)
{
    return LightSinePulse(clock) > 0.5f ? 1.0f : 0.0f;
}

float LightNoisePulse(float clock)
{
    const double n =
        OctaveNoise1D(static_cast<double>(clock) * kNoiseRate, kNoiseScale, kNoisePersistence, kNoiseOctaves);
    return static_cast<float>((n + 1.0) * 0.5);
}

DS_LightFX::DS_LightFX() : brightness(kDefaultBrightness, 0.01f, 0.0f)
{
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

void DS_LightFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

float DS_LightFX::Pulse() const
{
    const int32_t mode = pulseMode.GetValue();
    if (mode >= kNoisePulse) return LightNoisePulse(Clock());
    return mode == kSquarePulse ? LightSquarePulse(Clock()) : LightSinePulse(Clock());
}

void DS_LightFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    SetFloat("multiplier", brightness.GetDerived() * Pulse() * Fade());
    RenderCommon(service);
}

void DS_LightFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    brightness.Write(*ar);
    ar->archive->WriteInt32(pulseMode.GetValue());
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_LightFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    brightness.Read(*ar);
    int32_t mode = 0;
    ar->archive->ReadInt32(mode);
    if (ar->Failed()) return false;
    pulseMode.StoreValue(mode);
    return DS_FX_Constructor::ReadBody(ar);
}
