// The one random generator of the process and the small draws built on it.
//
// Every draw of the scene comes from this one sequence, so a scene replays
// the same way on every run; how many numbers each function draws, and in
// which order, is part of its contract and is stated beside it.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

class MediaQuad;

// Largest value DS_Rand returns.
constexpr int kRandMax = 0x7FFF;

// Next number, 0 to 32767: state = state x 214013 + 2531011 (mod 2^32),
// result (state >> 16) & 0x7FFF. The state starts at 1 with the process, so
// the first results are 41, 18467, 6334. Library calls never advance it.
int DS_Rand();
// Replaces the state (users that repeat a pattern seed it with a stored seed).
void DS_SRand(uint32_t seed);
// The current state (DS_SRand with it resumes the sequence from here).
uint32_t DS_RandState();
// Advances the state as count draws would, in about log2(count) steps: for
// callers that must keep their place in the sequence but do not need the
// numbers themselves.
void DS_SkipRand(uint64_t count);

// a + (r / 32767) x (b - a) with one draw r; r = 32767 gives b. For b < a the
// result lies in [b, a]. Always draws exactly one number.
float RandomRange(float a, float b);

// A point in the rectangle spanned by corner 0 and corner 3 of quad, z = 0.
// Draws two numbers: the first for y, the second for x.
D3DXVECTOR3 RandomPointInRect(const MediaQuad& quad);

// (length, 0, 0) turned about Z by RandomRange(a, b) degrees. One draw.
D3DXVECTOR3 RandomRotatedVector(float length, float a, float b);

// RandomRotatedVector(length, 0, 360), then turned about Y by (r / 32767) x 360
// degrees with a second draw r. Two draws.
D3DXVECTOR3 RandomDirection3D(float length);

// Degrees to radians with pi as the float 3.1415927.
constexpr float kPi = 3.1415927f;
inline float DegreesToRadians(float degrees)
{
    return degrees * kPi / 180.0f;
}
