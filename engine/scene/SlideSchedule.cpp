#include "engine/scene/SlideSchedule.h"

#include <algorithm>
#include <cmath>

double SlideTiming::CycleSeconds() const
{
    return static_cast<double>(fadeIn) + static_cast<double>(show) + static_cast<double>(fadeOut);
}

float FadeOverlayAlpha(const SlideTiming& timing, float elapsed)
{
    const double e = elapsed;
    const double fi = timing.fadeIn;
    const double shownUntil = fi + static_cast<double>(timing.show);
    double alpha = 0.0;
    if (e < fi) {
        alpha = (fi - e) / fi;
    } else if (e > shownUntil && timing.fadeOut > 0) {
        alpha = (e - shownUntil) / static_cast<double>(timing.fadeOut);
    }
    if (!(alpha > 0.0)) return 0.0f;  // also NaN
    return alpha >= 1.0 ? 1.0f : static_cast<float>(alpha);
}

uint8_t FadeOverlayAlphaByte(float alpha)
{
    const float clamped = std::clamp(alpha, 0.0f, 1.0f);
    return static_cast<uint8_t>(static_cast<int>(clamped * 255.0f));
}

SlideSchedule::Step SlideSchedule::Advance(float t, const std::vector<SlideTiming>& timings)
{
    Step step;
    if (timings.empty()) return step;
    if (!started_) {
        started_ = true;
        current_ = 0;
        next_ = timings.size() > 1 ? 1 : 0;
        startTime_ = t - static_cast<float>(timings.front().fadeIn);
        step.started = true;
        return step;
    }
    step.previous = current_;
    if (timings.size() < 2 || current_ >= timings.size()) return step;
    // The times of the slide being left also give the switch frame's fade.
    const SlideTiming timing = timings[current_];
    if (timing.CycleSeconds() < static_cast<double>(t) - static_cast<double>(startTime_)) {
        step.switched = true;
        current_ = next_ < timings.size() ? next_ : 0;
        startTime_ = t;
        next_ = current_ + 1 < timings.size() ? current_ + 1 : 0;
    }
    step.alpha = FadeOverlayAlpha(timing, t - startTime_);
    return step;
}
