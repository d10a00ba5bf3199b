#include "engine/params/RandomSource.h"

namespace {

// Process-wide: the scene replays identically only if every user on the
// scene thread draws from one sequence.
uint32_t& State()
{
    static uint32_t state = 1;
    return state;
}

}  // namespace

int DS_Rand()
{
    uint32_t& state = State();
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

void DS_SRand(uint32_t seed)
{
    State() = seed;
}
