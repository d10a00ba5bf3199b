#include "effects/brushes/MoveFX.h"

#include <cmath>

#include "engine/params/Noise.h"

namespace {

constexpr unsigned kDefaultStrength = 50;
constexpr float kAmplitudeScale = 0.0002f;
constexpr unsigned kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;
// OctaveNoise1D settings of the noise motion.
constexpr double kNoiseRate = 50.0;
constexpr double kNoiseScale = 75.0;
constexpr double kNoisePersistence = 0.5;
constexpr int kNoiseOctaves = 1;

}  // namespace

DS_MoveFX::DS_MoveFX() : secondAmplitude(0, kAmplitudeScale, 0.0f)
{
    strength.SetScale(kAmplitudeScale);
    strength.SetValue(kDefaultStrength);
    speed.SetScale(kSpeedScale);
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

void DS_MoveFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_MoveFX::Update(float t)
{
    DS_FX_Constructor::Update(t);
    const float c = Clock();
    const float a = strength.GetDerived();
    const float b = secondAmplitude.GetDerived();
    float w = 0.0f;
    if (motion.GetValue() == kNoiseMotion) {
        w = static_cast<float>(
            OctaveNoise1D(static_cast<double>(c) * kNoiseRate, kNoiseScale, kNoisePersistence, kNoiseOctaves));
    } else {
        w = std::sin(c);
    }
    const float e = -(w * (a + b) * 0.5f + (a - b) * 0.5f);
    const float fade = Fade();
    shift_[0] = fade * Direction()[0] * e;
    shift_[1] = fade * Direction()[1] * e;
}

void DS_MoveFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    SetFloats("Direction", {shift_[0], shift_[1]});
    RenderCommon(service);
}

void DS_MoveFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteInt32(motion.GetValue());
    secondAmplitude.Write(*ar);
    DS_DirectionBased::WriteBody(ar);
}

bool DS_MoveFX::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    int32_t kind = 0;
    ar->archive->ReadInt32(kind);
    if (ar->Failed()) return false;
    motion.StoreValue(kind);
    const bool hasSecond = static_cast<uint32_t>(version) >= kSecondAmplitudeVersion;
    if (hasSecond) {
        secondAmplitude.Read(*ar);
        if (ar->Failed()) return false;
    }
    if (!DS_DirectionBased::ReadBody(ar)) return false;
    if (!hasSecond) {
        secondAmplitude.SetScale(strength.GetScale());
        secondAmplitude.SetOffset(strength.GetOffset());
        secondAmplitude.SetValue(strength.GetValue());
    }
    return true;
}
