#include "bench/AllocationProbe.h"

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

// The allocators the linker's --wrap hands every call of the program's own
// code to; the real ones stay reachable under __real_*.
extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void __real_free(void* block);
void* __wrap_malloc(size_t size);
void* __wrap_calloc(size_t count, size_t size);
void* __wrap_realloc(void* block, size_t size);
void __wrap_free(void* block);
}

namespace {

// Process-wide because the allocator is: every thread of the program counts
// into it.
std::atomic<uint64_t> allocations{0};
// Bytes of the blocks allocated and not yet freed, as the C runtime's heap
// sizes them (_msize). Signed: a block the C runtime allocated for the
// program (strdup) is subtracted when freed without having been added.
std::atomic<int64_t> outstanding{0};

void CountOne()
{
    allocations.fetch_add(1, std::memory_order_relaxed);
}

void Add(void* block)
{
    if (block != nullptr) outstanding.fetch_add(static_cast<int64_t>(_msize(block)), std::memory_order_relaxed);
}

void Subtract(void* block)
{
    if (block != nullptr) outstanding.fetch_sub(static_cast<int64_t>(_msize(block)), std::memory_order_relaxed);
}

}  // namespace

extern "C" void* __wrap_malloc(size_t size)
{
    CountOne();
    void* block = __real_malloc(size);
    Add(block);
    return block;
}

extern "C" void* __wrap_calloc(size_t count, size_t size)
{
    CountOne();
    void* block = __real_calloc(count, size);
    Add(block);
    return block;
}

// A reallocation to a new size counts as one allocation; freeing through
// realloc (size 0) does not.
extern "C" void* __wrap_realloc(void* block, size_t size)
{
    if (size != 0) CountOne();
    Subtract(block);
    void* moved = __real_realloc(block, size);
    // A failed reallocation leaves the old block in place.
    Add(moved != nullptr || size == 0 ? moved : block);
    return moved;
}

extern "C" void __wrap_free(void* block)
{
    Subtract(block);
    __real_free(block);
}

namespace AllocationProbe {

uint64_t Count()
{
    return allocations.load(std::memory_order_relaxed);
}

int64_t OutstandingBytes()
{
    return outstanding.load(std::memory_order_relaxed);
}

bool Works()
{
    // Kept through a volatile pointer: the compiler may leave out an
    // allocation whose block is only freed again.
    static void* volatile kept = nullptr;
    const uint64_t before = Count();
    kept = ::operator new(16);
    ::operator delete(kept);
    kept = std::malloc(16);
    std::free(kept);
    return Count() - before == 2;
}

}  // namespace AllocationProbe
