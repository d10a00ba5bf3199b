#include "engine/params/UINTSclaleTo.h"

#include "engine/params/Noise.h"

template <>
float ComputeScaledValue<float>(unsigned value, float scale, float offset)
{
    return offset + scale * static_cast<float>(value);
}

template <>
unsigned char ComputeScaledValue<unsigned char>(unsigned value, float scale, float offset)
{
    const float sum = offset + scale * static_cast<float>(value);
    return static_cast<unsigned char>(static_cast<uint32_t>(TruncateToInt32(sum)) & 0xFFu);
}

void MediaSpeedParam::Update(float t)
{
    if (lastTime_ > t) lastTime_ = t;
    float step = t - lastTime_;
    if (step > kMaxStep) step = kMaxStep;
    step = GetDerived() * step;
    lastStep_ = step;
    localTime_ += step;
    lastTime_ = t;
}

void MediaSpeedParam::CopyClockFrom(const MediaSpeedParam& other)
{
    lastStep_ = other.lastStep_;
    localTime_ = other.localTime_;
    lastTime_ = other.lastTime_;
}

void MediaSpeedParam::ResetClock()
{
    lastStep_ = 0.0f;
    localTime_ = 0.0f;
    lastTime_ = 0.0f;
}
