#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Process-wide because operator new is: the replacement below reads these
// counters on every allocation of the test program.
std::atomic<bool> probing{false};
std::atomic<size_t> largestRequest{0};
std::atomic<size_t> refuseLimit{0};

}  // namespace

AllocationProbe::AllocationProbe(size_t refuseAbove)
{
    largestRequest = 0;
    refuseLimit = refuseAbove;
    probing = true;
}

AllocationProbe::~AllocationProbe()
{
    probing = false;
}

size_t AllocationProbe::Largest() const
{
    return largestRequest;
}

void* operator new(std::size_t size)
{
    if (probing) {
        size_t seen = largestRequest.load();
        while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
        }
        if (size > refuseLimit) throw std::bad_alloc();
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
