#include "objects/particles/ExplosionConstructor.h"

#include <algorithm>
#include <cmath>

#include "engine/params/Random.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/TimeLineControl.h"
#include "engine/scene/ViewObjCtrl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

constexpr unsigned kDefaultNoise1 = 21;
constexpr float kNoise1Scale = -0.01f;
constexpr float kNoise1Offset = 1.0f;
constexpr unsigned kDefaultNoise2 = 15;
constexpr unsigned kDefaultNoise3 = 42;
constexpr float kNoiseScale = 0.01f;
constexpr unsigned kDefaultDriftSpeed = 50;
constexpr float kDriftSpeedScale = 0.005f;
constexpr unsigned kDefaultItemSpeed = 100;
constexpr unsigned kDefaultSize = 250;
// While fading in the sprite grows from a quarter of its size and its
// alpha reaches 1 within the first fifth of the fade.
constexpr float kStartGrowth = 0.25f;
constexpr float kAlphaRise = 5.0f;
// Old durations are milliseconds; the time line keeps hundredths.
constexpr unsigned kMillisecondsPerHundredth = 10;

void ColorToFloats(unsigned long bbggrr, float out[3])
{
    out[0] = static_cast<float>(bbggrr & 0xFFu) / 255.0f;
    out[1] = static_cast<float>((bbggrr >> 8) & 0xFFu) / 255.0f;
    out[2] = static_cast<float>((bbggrr >> 16) & 0xFFu) / 255.0f;
}

D3DXVECTOR2 DrawNoisePair()
{
    const float x = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax);
    const float y = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax);
    return D3DXVECTOR2(x, y);
}

// The current texture of a link's set, or none.
ComPtr<IDirect3DTexture9> LinkTexture(DS_DocResManager* manager, const DS_ImageFileLink& link)
{
    if (!manager || link.GetPath().empty()) return ComPtr<IDirect3DTexture9>();
    return ComPtr<IDirect3DTexture9>(manager->GetTextureSet(link).CurrentTexture());
}

}  // namespace

DS_ExplosionConstructor::DS_ExplosionConstructor()
    : noise1(kDefaultNoise1, kNoise1Scale, kNoise1Offset),
      noise2(kDefaultNoise2, kNoiseScale, 0.0f),
      noise3(kDefaultNoise3, kNoiseScale, 0.0f),
      driftSpeed(kDefaultDriftSpeed, kDriftSpeedScale, 0.0f)
{
    speed.SetValue(kDefaultItemSpeed);
    size.SetValue(kDefaultSize);
}

DS_ExplosionConstructor::DS_ExplosionConstructor(const DS_ExplosionConstructor& other)
    : DS_StatBaseFXCtrl(other),
      noise1(other.noise1),
      noise2(other.noise2),
      noise3(other.noise3),
      driftDirection(other.driftDirection),
      driftSpeed(other.driftSpeed),
      seed(other.seed),
      random(other.random),
      secondColor(other.secondColor),
      gradientTexture_(other.gradientTexture_),
      noiseTexture_(other.noiseTexture_),
      previousNoise_(other.previousNoise_),
      nextNoise_(other.nextNoise_),
      lastWholeClock_(other.lastWholeClock_),
      renewalCounter_(other.renewalCounter_),
      seededState_(other.seededState_)
{
    driftSpeed.CopyClockFrom(other.driftSpeed);
}

void DS_ExplosionConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_ExplosionConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    noise1.Write(*ar);
    noise2.Write(*ar);
    noise3.Write(*ar);
    ar->archive->WriteUInt(driftDirection.GetValue());
    driftSpeed.Write(*ar);
    ar->archive->WriteUInt(seed.GetValue());
    ar->archive->WriteInt32(random.GetValue());
    ar->archive->WriteInt(static_cast<int32_t>(secondColor.GetValue()));
    DS_StatBaseFXCtrl::WriteBody(ar);
}

bool DS_ExplosionConstructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    noise1.Read(*ar);
    noise2.Read(*ar);
    noise3.Read(*ar);
    unsigned angle = driftDirection.GetValue();
    ar->archive->ReadUInt(angle);
    if (ar->Failed()) return false;
    driftDirection.StoreValue(angle);
    driftSpeed.Read(*ar);
    // fade-in, show, fade-out, first pause, second pause
    unsigned old[5] = {0, 0, 0, 0, 0};
    const bool hasOldDurations = version < kTimeLineVersion;
    if (hasOldDurations) {
        for (unsigned& duration : old) ar->archive->ReadUInt(duration);
    }
    unsigned storedSeed = 0;
    int32_t storedRandom = 0;
    int32_t colour = 0;
    ar->archive->ReadUInt(storedSeed);
    ar->archive->ReadInt32(storedRandom);
    ar->archive->ReadInt(colour);
    if (ar->Failed()) return false;
    seed.StoreValue(storedSeed);
    random.StoreValue(storedRandom);
    secondColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colour)));
    seededState_ = storedSeed;
    if (!DS_StatBaseFXCtrl::ReadBody(ar)) return false;
    if (hasOldDurations) {
        DS_TimeLineControl& line = TimeLine();
        // The pauses are added in 64 bits: two huge stored values must not
        // wrap into a short pause.
        const uint64_t pause = (static_cast<uint64_t>(old[3]) + old[4]) / kMillisecondsPerHundredth;
        const unsigned invisible = static_cast<unsigned>(pause);
        line.invisible.maximum.SetValue(invisible);
        line.invisible.minimum.SetValue(invisible);
        line.visible.maximum.SetValue(old[1] / kMillisecondsPerHundredth);
        line.visible.minimum.SetValue(old[1] / kMillisecondsPerHundredth);
        line.fadeIn = old[0] / kMillisecondsPerHundredth;
        line.fadeOut = old[2] / kMillisecondsPerHundredth;
        line.mode = DS_TimeLineControl::kCycle;
    }
    return true;
}

void DS_ExplosionConstructor::ClearNoise()
{
    previousNoise_ = D3DXVECTOR2(0.0f, 0.0f);
    nextNoise_ = D3DXVECTOR2(0.0f, 0.0f);
    renewalCounter_ = 1;
    seededState_ = seed.GetValue();
    driftSpeed.ResetClock();
}

void DS_ExplosionConstructor::Restart()
{
    DS_StatBaseFXCtrl::Restart();
    ClearNoise();
    // The speed clock starts again from 0: the whole unit last renewed at
    // goes with it, or no renewal would come until the clock passed the
    // value it had reached in the previous showing.
    lastWholeClock_ = 0.0f;
}

void DS_ExplosionConstructor::LoadEffect()
{
    DS_StatBaseFXCtrl::LoadEffect();
    DS_DocResManager* manager = CurrentDocResManager();
    gradientTexture_ = LinkTexture(manager, imageLink);
    noiseTexture_ = LinkTexture(manager, secondImageLink);
    NextNoiseOffsets();
}

void DS_ExplosionConstructor::NextNoiseOffsets()
{
    if (random.GetValue() != 0) {
        nextNoise_ = DrawNoisePair();
        return;
    }
    if (renewalCounter_ <= 1) seededState_ = seed.GetValue();
    DS_SRand(seededState_);
    nextNoise_ = DrawNoisePair();
    seededState_ = DS_RandState();
    if (renewalCounter_ < INT32_MAX) ++renewalCounter_;
}

void DS_ExplosionConstructor::UpdateSprite(SpriteInstance& sprite)
{
    driftSpeed.Update(SpeedClock());
    const int32_t phase = TimeLine().GetPhase();
    if (phase == DS_TimeLineControl::kInvisible) ClearNoise();
    sprite.position = position.GetValue();
    float growth = 1.0f;
    if (phase == DS_TimeLineControl::kFadingIn) {
        const float level = TimeLine().GetAlpha();
        sprite.alpha = std::min(1.0f, kAlphaRise * level);
        sprite.PackColor(*this);
        growth = kStartGrowth + (1.0f - kStartGrowth) * level;
    }
    const float half = phase == DS_TimeLineControl::kInvisible
                           ? 0.0f
                           : static_cast<float>(size.GetValue() / 2) * growth;
    sprite.halfWidth = half;
    sprite.halfHeight = half;
}

DS_ExplosionConstructor::EffectValues DS_ExplosionConstructor::ComputeEffectValues()
{
    EffectValues values{};
    ColorToFloats(color.GetValue(), values.color1);
    ColorToFloats(secondColor.GetValue(), values.color2);
    values.noiseParams[0] = noise1.GetDerived();
    values.noiseParams[1] = noise2.GetDerived();
    values.noiseParams[2] = noise3.GetDerived();
    const float clock = SpeedClock();
    const float whole = std::floor(clock);
    const float fraction = clock - whole;
    if (lastWholeClock_ < whole) {
        previousNoise_ = nextNoise_;
        NextNoiseOffsets();
        lastWholeClock_ = whole;
    }
    const D3DXVECTOR4& direction = driftDirection.FirstAxis();
    const float drift = driftSpeed.GetLocalTime();
    const float dx = -direction.x * drift;
    const float dy = -direction.y * drift;
    values.noiseShift[0] = previousNoise_.x + dx;
    values.noiseShift[1] = previousNoise_.y + dy;
    values.noiseShift[2] = nextNoise_.x + dx;
    values.noiseShift[3] = nextNoise_.y + dy;
    values.time[0] = fraction;
    values.time[1] = 1.0f - fraction;
    const int32_t phase = TimeLine().GetPhase();
    const float alpha = TimeLine().GetAlpha();
    const float p3 = phase == DS_TimeLineControl::kFadingOut ? 1.0f - alpha : 0.0f;
    values.phase3rd[0] = p3;
    values.phase3rd[1] = 1.0f - p3;
    values.phase1st = phase == DS_TimeLineControl::kFadingIn ? 2.0f * (1.0f - alpha) : 0.0f;
    return values;
}

void DS_ExplosionConstructor::SetEffectParams(DS_ABRender*)
{
    const EffectValues values = ComputeEffectValues();
    ID3DXEffect* effect = Effect();
    if (!effect) return;
    // Results are not checked: an effect without one of the names simply
    // does not use that value.
    effect->SetTechnique("Main");
    effect->SetTexture("GradientTex", gradientTexture_.Get());
    effect->SetTexture("NoiseTex", noiseTexture_.Get());
    effect->SetFloatArray("color1", values.color1, 3);
    effect->SetFloatArray("color2", values.color2, 3);
    effect->SetFloatArray("noise_shift", values.noiseShift, 4);
    effect->SetFloatArray("noise_params", values.noiseParams, 3);
    effect->SetFloatArray("time", values.time, 2);
    effect->SetFloatArray("phase_3rd", values.phase3rd, 2);
    effect->SetFloat("phase_1st", values.phase1st);
}
