// Unsigned parameters that keep a derived value, offset + scale x value, by
// listening to themselves, and their kinds: seconds, speed with a local
// clock, rates per second.
//
// The self-listener is attached right after the undo control, so the derived
// value is current before any listener that attached later runs. Only the
// value is stored in documents (kind uint); scale, offset, derived value and
// clocks are constructor settings or run-time state.
#pragma once

#include "engine/params/MediaParam.h"

// F = float: offset + scale x value in float arithmetic.
// F = unsigned char: the low byte of trunc(offset + scale x value); a sum
// outside the 32-bit range gives the processor's answer INT32_MIN (low byte 0).
template <typename F>
F ComputeScaledValue(unsigned value, float scale, float offset);
template <>
float ComputeScaledValue<float>(unsigned value, float scale, float offset);
template <>
unsigned char ComputeScaledValue<unsigned char>(unsigned value, float scale, float offset);

template <typename F>
class UINTSclaleTo : public MediaParamT<unsigned>, public MediaControlT<MediaParamT<unsigned>> {
public:
    UINTSclaleTo() : UINTSclaleTo(0u, 1.0f, 0.0f) {}
    UINTSclaleTo(unsigned value, float scale, float offset)
        : MediaParamT<unsigned>(value), derived_(), scale_(scale), offset_(offset)
    {
        Attach(this);
        OnChange(nullptr);
    }
    // A new parameter with the source's scale and offset; the source's value
    // is then stored and every listener is told, so the derived value
    // follows even when the value is 0.
    UINTSclaleTo(const UINTSclaleTo& other)
        : MediaParamT<unsigned>(), MediaControlT<MediaParamT<unsigned>>(), derived_(), scale_(other.scale_),
          offset_(other.offset_)
    {
        Attach(this);
        StoreValue(other.GetValue());
        NotifyControls(nullptr);
    }
    UINTSclaleTo& operator=(const UINTSclaleTo&) = delete;
    // Leaves its own list first, then the parameter is destroyed.
    ~UINTSclaleTo() override { Attach(nullptr); }

    // Recomputes the derived value from the current value.
    void OnChange(MediaControl* sender) override { derived_ = ComputeScaledValue<F>(GetValue(), scale_, offset_); }

    F GetDerived() const { return derived_; }
    float GetScale() const { return scale_; }
    float GetOffset() const { return offset_; }
    // Both recompute the derived value at once; other listeners are not told.
    void SetScale(float scale)
    {
        scale_ = scale;
        OnChange(nullptr);
    }
    void SetOffset(float offset)
    {
        offset_ = offset;
        OnChange(nullptr);
    }

    // The value as uint; reading goes through the setter with no sender, so
    // the derived value and every listener follow. A failed read changes nothing.
    void Read(const DS_IOF_Archive& ar) { ReadParam(ar, *this); }
    void Write(const DS_IOF_Archive& ar) const { WriteParam(ar, *this); }

private:
    F derived_;
    float scale_;
    float offset_;
};

// A float copy of an unsigned value (or whatever scale its owner sets).
// Kept as a kind of UINTSclaleTo<float>: same fields, same behaviour.
template <typename T>
class MediaFloat;

template <>
class MediaFloat<unsigned> : public UINTSclaleTo<float> {
public:
    MediaFloat() = default;
    MediaFloat(unsigned value, float scale, float offset) : UINTSclaleTo<float>(value, scale, offset) {}
};

// Hundredths of a second; the derived value is seconds.
class TimeParam : public UINTSclaleTo<float> {
public:
    static constexpr float kSecondsPerUnit = 0.01f;
    explicit TimeParam(unsigned hundredths = 0) : UINTSclaleTo<float>(hundredths, kSecondsPerUnit, 0.0f) {}
};

// A speed factor (the derived value) that drives a local clock.
class MediaSpeedParam : public UINTSclaleTo<float> {
public:
    // Longest step of application time one Update counts, in seconds.
    static constexpr float kMaxStep = 0.2f;

    MediaSpeedParam() = default;
    MediaSpeedParam(unsigned value, float scale, float offset) : UINTSclaleTo<float>(value, scale, offset) {}
    // Copies value, scale, offset and the clock.
    MediaSpeedParam(const MediaSpeedParam& other) = default;

    // Advances the local clock to application time t: the step since the last
    // call (0 when time went backwards), capped at kMaxStep, times the speed.
    void Update(float t);

    float GetLastStep() const { return lastStep_; }
    float GetLocalTime() const { return localTime_; }
    float GetLastTime() const { return lastTime_; }
    void CopyClockFrom(const MediaSpeedParam& other);
    void ResetClock();

private:
    float lastStep_ = 0.0f;
    float localTime_ = 0.0f;
    float lastTime_ = 0.0f;
};

// A rate per second with an accumulator whose use each owner gives.
class PerSecondCounter : public UINTSclaleTo<float> {
public:
    PerSecondCounter() = default;
    PerSecondCounter(unsigned value, float scale, float offset) : UINTSclaleTo<float>(value, scale, offset) {}
    PerSecondCounter(const PerSecondCounter& other) = default;

    float GetAccumulator() const { return accumulator_; }
    void SetAccumulator(float value) { accumulator_ = value; }

private:
    float accumulator_ = 0.0f;
};

class PerSecondCounterRnd : public PerSecondCounter {
public:
    PerSecondCounterRnd() = default;
    PerSecondCounterRnd(unsigned value, float scale, float offset) : PerSecondCounter(value, scale, offset) {}
};
