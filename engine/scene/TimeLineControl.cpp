#include "engine/scene/TimeLineControl.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/params/Random.h"

namespace {

const wchar_t kClassName[] = L"DS_TimeLineControl";
// A window that starts this many seconds after the evaluation time is
// already found by the lookup (its envelope there is still 0).
constexpr float kLookAhead = 3.0f;
// Default invisible and visible durations, hundredths of a second.
constexpr uint32_t kDefaultDuration = 100;

float Clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

}  // namespace

// ---- TimeWindow ----

float TimeWindow::Envelope(float t) const
{
    if (t < start || t > end) return 0.0f;
    if (t < fadeInEnd) return Clamp01((t - start) / (fadeInEnd - start));
    if (t < fadeOutStart) return 1.0f;
    // t >= fadeOutStart here, so end == fadeOutStart means t == end: the
    // fade has length 0 and gives its end value instead of 0 / 0.
    if (end <= fadeOutStart) return 0.0f;
    return Clamp01(1.0f - (t - fadeOutStart) / (end - fadeOutStart));
}

int32_t TimeWindow::Phase(float t) const
{
    if (t < start || t > end) return DS_TimeLineControl::kInvisible;
    if (t < fadeInEnd) return DS_TimeLineControl::kFadingIn;
    if (t < fadeOutStart) return DS_TimeLineControl::kVisible;
    return DS_TimeLineControl::kFadingOut;
}

bool TimeWindow::IsValid() const
{
    return !std::isnan(start) && !std::isnan(end) && !std::isnan(fadeInEnd) && !std::isnan(fadeOutStart) &&
           end >= start;
}

// ---- states ----

void AnimationState::Enter(float t, const DS_TimeLineControl& timeLine)
{
    endTime = t + RandomPercentage(timeLine.visible);
}

void AnimationState_Invisible::Enter(float t, const DS_TimeLineControl& timeLine)
{
    endTime = t + RandomPercentage(timeLine.invisible);
}

float AnimationState_FadeIn::GetAlpha(float t) const
{
    if (endTime <= startTime) return 1.0f;
    return Clamp01((t - startTime) / (endTime - startTime));
}

void AnimationState_FadeIn::Enter(float t, const DS_TimeLineControl& timeLine)
{
    startTime = t;
    endTime = t + timeLine.FadeInSeconds();
}

float AnimationState_FadeOut::GetAlpha(float t) const
{
    if (endTime <= startTime) return 0.0f;
    return Clamp01(1.0f - (t - startTime) / (endTime - startTime));
}

void AnimationState_FadeOut::Enter(float t, const DS_TimeLineControl& timeLine)
{
    startTime = t;
    endTime = t + timeLine.FadeOutSeconds();
}

// ---- AnimationStateMachine ----

AnimationStateMachine::AnimationStateMachine()
    : states_{std::make_unique<AnimationState_Invisible>(), std::make_unique<AnimationState_FadeIn>(),
              std::make_unique<AnimationState>(), std::make_unique<AnimationState_FadeOut>()}
{
}

bool AnimationStateMachine::Advance(float t, const DS_TimeLineControl& timeLine)
{
    if (!(t > states_[current_]->endTime)) return true;
    current_ = (current_ + 1) % states_.size();
    states_[current_]->Enter(t, timeLine);
    return true;
}

float AnimationStateMachine::AdvanceLocalTime(const DS_TimeLineControl& timeLine, float t)
{
    const float previous = lastTime_;
    lastTime_ = t;
    if (timeLine.mode == DS_TimeLineControl::kCycle) running_ = Advance(t, timeLine);
    if (running_) {
        float step = t - previous;
        if (timeLine.speedMode == DS_TimeLineControl::kSpeedFollowsOpacity) step *= CurrentAlpha(timeLine);
        localTime_ += step;
    }
    return localTime_;
}

float AnimationStateMachine::CurrentAlpha(const DS_TimeLineControl& timeLine) const
{
    if (timeLine.mode == DS_TimeLineControl::kAlwaysVisible) return 1.0f;
    return states_[current_]->GetAlpha(lastTime_);
}

void AnimationStateMachine::Reset()
{
    lastTime_ = 0.0f;
    localTime_ = 0.0f;
    for (auto& state : states_) state->endTime = 0.0f;
    current_ = 0;
}

// ---- DS_TimeLineControl ----

DS_TimeLineControl::DS_TimeLineControl() : machine_(std::make_unique<AnimationStateMachine>())
{
    for (RandomDuration* d : {&invisible, &visible}) {
        d->minimum.StoreValue(kDefaultDuration);
        d->maximum.StoreValue(kDefaultDuration);
    }
}

DS_TimeLineControl::DS_TimeLineControl(const DS_TimeLineControl& other)
    : mode(other.mode),
      speedMode(other.speedMode),
      invisible(other.invisible),
      visible(other.visible),
      fadeIn(other.fadeIn),
      fadeOut(other.fadeOut),
      windows_(other.windows_),
      machine_(std::make_unique<AnimationStateMachine>())
{
}

DS_TimeLineControl::~DS_TimeLineControl() = default;

void DS_TimeLineControl::CopySettingsFrom(const DS_TimeLineControl& other)
{
    if (this == &other) return;
    mode = other.mode;
    speedMode = other.speedMode;
    for (auto [target, source] : {std::pair{&invisible, &other.invisible}, std::pair{&visible, &other.visible}}) {
        target->minimum.SetValue(source->minimum.GetValue());
        target->maximum.SetValue(source->maximum.GetValue());
        target->random = source->random;
    }
    fadeIn = other.fadeIn;
    fadeOut = other.fadeOut;
    evaluationTime = other.evaluationTime;
    windows_ = other.windows_;
}

const TimeWindow* DS_TimeLineControl::WindowAt(float t) const
{
    for (const TimeWindow& w : windows_) {
        if (w.end < t) continue;
        return w.start <= t + kLookAhead ? &w : nullptr;
    }
    return nullptr;
}

float DS_TimeLineControl::GetAlpha() const
{
    if (mode == kWindows) {
        const TimeWindow* w = WindowAt(evaluationTime);
        return w ? w->Envelope(evaluationTime) : 0.0f;
    }
    if (mode == kAlwaysVisible) return 1.0f;
    return machine_->Current().GetAlpha(machine_->LastTime());
}

int32_t DS_TimeLineControl::GetPhase() const
{
    if (mode == kWindows) {
        const TimeWindow* w = WindowAt(evaluationTime);
        return w ? w->Phase(evaluationTime) : kInvisible;
    }
    if (mode == kAlwaysVisible) return kVisible;
    return machine_->Current().Kind();
}

float DS_TimeLineControl::GetCycleLength() const
{
    if (mode == kWindows) {
        if (const TimeWindow* w = WindowAt(evaluationTime)) return w->end - w->start;
    }
    return FadeInSeconds() + FadeOutSeconds() + 0.01f * static_cast<float>(visible.minimum.GetValue());
}

bool DS_TimeLineControl::AddWindow(const TimeWindow& w)
{
    if (!w.IsValid()) return false;
    return windows_.insert(w).second;
}

void DS_TimeLineControl::Write(DS_IOF_Archive& ar) const
{
    DS_IOF_Virtual& a = *ar.archive;
    a.WriteString(kClassName);
    a.WriteInt(kVersion);
    a.WriteInt32(mode);
    a.WriteInt32(speedMode);
    a.WriteUInt(invisible.minimum.GetValue());
    a.WriteUInt(invisible.maximum.GetValue());
    a.WriteUInt(visible.minimum.GetValue());
    a.WriteUInt(visible.maximum.GetValue());
    a.WriteUInt(fadeIn);
    a.WriteUInt(fadeOut);
    a.WriteInt(static_cast<int32_t>(windows_.size()));
    for (const TimeWindow& w : windows_) {
        a.WriteFloat(w.start);
        a.WriteFloat(w.end);
        a.WriteFloat(w.fadeInEnd);
        a.WriteFloat(w.fadeOutStart);
    }
}

bool DS_TimeLineControl::Read(DS_IOF_Archive& ar)
{
    if (!ar.archive) return false;
    DS_IOF_Virtual& a = *ar.archive;
    ds_string name;
    int32_t version = 0;
    a.ReadString(name);
    a.ReadInt(version);  // only version 1 exists; every version reads alike
    a.ReadInt32(mode);
    a.ReadInt32(speedMode);
    // The durations are stored without notifying their listeners.
    for (MediaParamT<unsigned>* bound : {&invisible.minimum, &invisible.maximum, &visible.minimum, &visible.maximum}) {
        uint32_t value = bound->GetValue();
        a.ReadUInt(value);
        bound->StoreValue(value);
    }
    a.ReadUInt(fadeIn);
    a.ReadUInt(fadeOut);
    int32_t count = 0;
    a.ReadInt(count);
    // The count is not trusted: a damaged one would otherwise spin through
    // billions of empty reads after the data ends.
    for (int32_t i = 0; i < count && !a.Failed(); ++i) {
        TimeWindow w;
        a.ReadFloat(w.start);
        a.ReadFloat(w.end);
        a.ReadFloat(w.fadeInEnd);
        a.ReadFloat(w.fadeOutStart);
        if (!a.Failed()) AddWindow(w);
    }
    return !a.Failed();
}
