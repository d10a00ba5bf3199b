#include "engine/params/Noise.h"

#include <xmmintrin.h>
#include <emmintrin.h>

#include <cmath>

namespace {

constexpr double kNoisePi = 3.1415927;  // the decimal constant, as a double

// base^exponent by repeated squaring (exact for powers of two and of 0.5).
double IntPow(double base, int exponent)
{
    double result = 1.0;
    while (exponent > 0) {
        if (exponent & 1) result *= base;
        base *= base;
        exponent >>= 1;
    }
    return result;
}

}  // namespace

double NoiseHash(int32_t value)
{
    uint32_t n = static_cast<uint32_t>(value);
    n = (n << 13) ^ n;
    const uint32_t m = (n * (n * n * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
    return 1.0 - static_cast<double>(m) / 1073741824.0;
}

int32_t TruncateToInt32(double x)
{
    return _mm_cvttsd_si32(_mm_set_sd(x));
}

double ValueNoise1D(double x)
{
    const int32_t i = TruncateToInt32(x);
    const int32_t j = static_cast<int32_t>(static_cast<uint32_t>(i) + 1u);  // wraps at INT32_MAX
    const double f = x - static_cast<double>(i);
    const double w = (1.0 - std::cos(f * kNoisePi)) * 0.5;
    return NoiseHash(i) * (1.0 - w) + NoiseHash(j) * w;
}

double OctaveNoise1D(double x, double scale, double persistence, int octaves)
{
    double sum = 0.0;
    for (int k = 0; k < octaves; ++k) {
        const double frequency = IntPow(2.0, k);
        const double amplitude = IntPow(persistence, k);
        sum += amplitude * ValueNoise1D(frequency * x / scale);
    }
    return sum;
}

int RoundToInt(float x)
{
    return _mm_cvt_ss2si(_mm_set_ss(x));
}
