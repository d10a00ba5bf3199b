// Watches the sizes that operator new is asked for while a probe is active:
// the bad-document harness checks that no document makes the loader
// allocate more than its size allows.
#pragma once

#include <cstddef>

// While alive, records the largest single allocation request, and refuses
// (with std::bad_alloc) any request above refuseAbove so a runaway
// allocation fails fast instead of exhausting memory. Probes do not nest.
class AllocationProbe {
public:
    explicit AllocationProbe(size_t refuseAbove);
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    size_t Largest() const;
};
