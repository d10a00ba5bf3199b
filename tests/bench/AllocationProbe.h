// Counts heap allocations for the frame benchmark. AllocationProbe.cpp,
// compiled into a program linked with the linker's --wrap of malloc, calloc,
// realloc and free (AddAllocationProbe in tests/bench/CMakeLists.txt), routes every allocation of the
// code linked into the program through the counter: the scene code and the
// static C++ runtime, whose operator new calls malloc. Allocations made
// inside Windows' (Wine's) own libraries, Direct3D among them, are not seen.
// The saver itself is built without it.
#pragma once

#include <cstdint>

namespace AllocationProbe {

// Allocations counted since the program started, on every thread.
uint64_t Count();
// Bytes the program's own code holds in blocks allocated and not yet freed,
// on every thread.
int64_t OutstandingBytes();
// Whether the hook is linked in and sees operator new and malloc: makes one
// of each and checks that both were counted.
bool Works();

}  // namespace AllocationProbe
