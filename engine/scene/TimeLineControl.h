// The time line every scene item owns: when its runtime object is visible,
// how opaque it is, and how application time becomes the object's local
// time. Modes: always visible; a cycle of invisible, fading in, visible and
// fading out with random durations; scheduled visibility windows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>

#include "engine/archive/IOF_Virtual.h"
#include "engine/params/RandomDuration.h"

class DS_TimeLineControl;

// A scheduled visibility window, seconds of application time.
struct TimeWindow {
    float start = 0.0f;
    float end = 0.0f;
    float fadeInEnd = 0.0f;
    float fadeOutStart = 0.0f;

    // Opacity at t: 0 outside, rising until fadeInEnd, 1, falling from
    // fadeOutStart to 0 at end. A fade of length 0 gives its end value.
    float Envelope(float t) const;
    // Phase code at t (see DS_TimeLineControl::Phase).
    int32_t Phase(float t) const;
    // False for a window the set cannot order: a NaN bound or end < start.
    bool IsValid() const;
};

// Window order: a before b when a ends before b starts. Overlapping or
// touching windows compare equal, so a set keeps the first one inserted.
struct TimeWindowLess {
    bool operator()(const TimeWindow& a, const TimeWindow& b) const { return a.end < b.start; }
};

class AnimationState {
public:
    virtual ~AnimationState() = default;
    // Opacity at t.
    virtual float GetAlpha(float t) const { return 1.0f; }
    // Called when the state becomes current at t: sets its end time.
    virtual void Enter(float t, const DS_TimeLineControl& timeLine);
    virtual int32_t Kind() const { return 0; }

    float endTime = 0.0f;
};

class AnimationState_Invisible : public AnimationState {
public:
    float GetAlpha(float) const override { return 0.0f; }
    void Enter(float t, const DS_TimeLineControl& timeLine) override;
    int32_t Kind() const override { return 1; }
};

class AnimationState_FadeIn : public AnimationState {
public:
    // (t - start) / (end - start); 1 for a fade of length 0.
    float GetAlpha(float t) const override;
    void Enter(float t, const DS_TimeLineControl& timeLine) override;
    int32_t Kind() const override { return 2; }

    float startTime = 0.0f;
};

class AnimationState_FadeOut : public AnimationState {
public:
    // 1 - (t - start) / (end - start); 0 for a fade of length 0.
    float GetAlpha(float t) const override;
    void Enter(float t, const DS_TimeLineControl& timeLine) override;
    int32_t Kind() const override { return 3; }

    float startTime = 0.0f;
};

class AnimationStateMachine {
public:
    AnimationStateMachine();

    // Mode 1 only: past the current state's end time, moves to the next
    // state (at most one per call) and enters it at t. Returns true.
    bool Advance(float t, const DS_TimeLineControl& timeLine);
    // Advances the state machine (mode 1) and the local time to
    // application time t; returns the local time. Speed mode 2 scales the
    // step by the current opacity.
    float AdvanceLocalTime(const DS_TimeLineControl& timeLine, float t);
    float CurrentAlpha(const DS_TimeLineControl& timeLine) const;
    // Last time and local time 0, every end time 0, current = Invisible;
    // start times and the running flag kept.
    void Reset();

    const AnimationState& Current() const { return *states_[current_]; }
    float LastTime() const { return lastTime_; }
    float LocalTime() const { return localTime_; }

private:
    float lastTime_ = 0.0f;
    float localTime_ = 0.0f;
    bool running_ = true;
    // Cyclic: Invisible, FadeIn, Visible, FadeOut.
    std::array<std::unique_ptr<AnimationState>, 4> states_;
    size_t current_ = 0;
};

class DS_TimeLineControl {
public:
    enum Mode : int32_t { kAlwaysVisible = 0, kCycle = 1, kWindows = 2 };
    enum SpeedMode : int32_t { kSpeedFollowsOpacity = 2 };
    enum Phase : int32_t { kVisible = 0, kInvisible = 1, kFadingIn = 2, kFadingOut = 3 };
    static constexpr int32_t kVersion = 1;

    DS_TimeLineControl();
    // Copies the settings and windows; a new state machine, evaluation time 0.
    DS_TimeLineControl(const DS_TimeLineControl& other);
    DS_TimeLineControl& operator=(const DS_TimeLineControl&) = delete;
    virtual ~DS_TimeLineControl();

    // Takes every setting of other: modes, both durations (listeners
    // notified), fades, evaluation time, and its windows in place of the
    // ones held. The state machine keeps its own position.
    void CopySettingsFrom(const DS_TimeLineControl& other);

    // Opacity 0..1 (mode 0: 1; mode 2: the window envelope at the
    // evaluation time; otherwise the current state's at the last time).
    float GetAlpha() const;
    int32_t GetPhase() const;
    // Seconds: the window's length in mode 2 when one is found, else
    // fade-in + fade-out + visible minimum (no random draw).
    float GetCycleLength() const;
    // Advances to application time t once per frame; returns the local time.
    float AdvanceLocalTime(float t) { return machine_->AdvanceLocalTime(*this, t); }
    // Back to the start of the cycle and local time 0 (the item's Restart).
    void Reset() { machine_->Reset(); }

    // Inserts w unless it is invalid (see TimeWindow::IsValid) or overlaps
    // a window already held. Returns whether it was inserted.
    bool AddWindow(const TimeWindow& w);
    // The window for time t: the first whose end is not below t, if it
    // starts no later than t + 3 s; null otherwise.
    const TimeWindow* WindowAt(float t) const;

    float FadeInSeconds() const { return 0.01f * static_cast<float>(fadeIn); }
    float FadeOutSeconds() const { return 0.01f * static_cast<float>(fadeOut); }

    // The "DS_TimeLineControl" record: header, then the fields.
    virtual void Write(DS_IOF_Archive& ar) const;
    // Reads the header (name ignored, every version read as version 1) and
    // the fields. Windows that are invalid or overlap an earlier one are
    // dropped. Stops at the first read past the end of the data, keeping
    // what was read; returns false then.
    bool Read(DS_IOF_Archive& ar);

    const AnimationStateMachine& Machine() const { return *machine_; }
    const std::set<TimeWindow, TimeWindowLess>& Windows() const { return windows_; }

    int32_t mode = kAlwaysVisible;
    int32_t speedMode = 0;
    // Drawn anew at each entry to the invisible and visible states
    // (RandomPercentage); minimum and maximum 100 (1 s).
    RandomDuration invisible;
    RandomDuration visible;
    uint32_t fadeIn = 50;   // hundredths of a second
    uint32_t fadeOut = 50;  // hundredths of a second
    // Time at which mode 2 looks up its window; nothing in the player
    // changes it from 0.
    float evaluationTime = 0.0f;

private:
    std::set<TimeWindow, TimeWindowLess> windows_;
    std::unique_ptr<AnimationStateMachine> machine_;
};
