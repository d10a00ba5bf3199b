#include "engine/params/RandomDuration.h"

#include <cstdint>

#include "engine/params/Random.h"

namespace {
constexpr float kSecondsPerHundredth = 0.01f;
}  // namespace

float RandomPercentage(const RandomDuration& duration)
{
    const uint64_t minimum = duration.minimum.GetValue();
    if (!duration.random) return static_cast<float>(minimum) * kSecondsPerHundredth;

    const uint64_t maximum = duration.maximum.GetValue();
    const uint64_t r = static_cast<uint64_t>(DS_Rand());
    // Widened so that a full-range maximum cannot wrap the span to 0.
    const uint64_t offset = maximum >= minimum ? r % (maximum - minimum + 1) : 0;
    return static_cast<float>(minimum + offset) * kSecondsPerHundredth;
}
