// One-dimensional value noise for effects that need smooth randomness, and
// the rounding used by the scene code. None of these draws random numbers.
#pragma once

#include <cstdint>

// Integer hash in (-1, 1]: n = (n << 13) ^ n;
// m = (n x (n x n x 15731 + 789221) - 771171059) & 0x7FFFFFFF; 1 - m / 2^30.
// Computed in wrapping unsigned arithmetic (same bits as 32-bit signed wrap).
double NoiseHash(int32_t n);

// Cosine-interpolated noise in [-1, 1] between the hashes of trunc(x) and
// trunc(x) + 1. Truncation goes toward zero; an x outside the 32-bit range
// (or NaN) takes the processor's answer, INT32_MIN, so the result stays defined.
double ValueNoise1D(double x);

// Sum over k = 0 .. octaves - 1 of persistence^k x ValueNoise1D(2^k x x / scale).
// No octaves gives 0.
double OctaveNoise1D(double x, double scale, double persistence, int octaves);

// Nearest integer, halves to the even neighbour; out of range (or NaN) gives
// INT32_MIN as the processor does.
int RoundToInt(float x);

// Truncation toward zero with the processor's out-of-range answer INT32_MIN
// instead of undefined behaviour.
int32_t TruncateToInt32(double x);
