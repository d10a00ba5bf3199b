// The process's one random generator: the C run-time rule, started at 1
// and never seeded from the clock, so every run replays the same sequence.
#pragma once

#include <cstdint>

// Next number from 0 to 32767: state = state x 214013 + 2531011 (mod 2^32),
// result (state >> 16) & 0x7FFF. The order of draws is part of the
// behaviour of every rule that uses it.
int DS_Rand();
// Replaces the state (used by effects set to repeat their pattern).
void DS_SRand(uint32_t seed);
