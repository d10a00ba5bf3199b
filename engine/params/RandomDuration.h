// A duration in hundredths of a second, fixed or drawn anew each time it is
// used between a minimum and a maximum. The time line that owns it gives
// its defaults and stored form.
#pragma once

#include "engine/params/MediaParam.h"

struct RandomDuration {
    MediaParamT<unsigned> minimum;
    MediaParamT<unsigned> maximum;
    bool random = true;
};

// Seconds: minimum x 0.01 when not random; otherwise
// (minimum + r mod (maximum - minimum + 1)) x 0.01 with one draw r.
// A random duration always draws exactly one number, also when minimum equals
// maximum. A maximum below the minimum gives the minimum (the range would
// otherwise divide by zero or run backwards).
float RandomPercentage(const RandomDuration& duration);
