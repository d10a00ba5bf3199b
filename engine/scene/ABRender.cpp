#include "engine/scene/ABRender.h"

#include <vector>

namespace {

// Deeper nesting than any scene draws; a deeper one grows the storage once
// and keeps it.
constexpr size_t kReservedDepth = 16;

// Back = most recent push (see RenderTargetSizeStack). The storage is
// reserved on first use and kept: pushes and pops of the frames allocate
// nothing.
std::vector<RenderTargetSizeStack::Entry>& SizeStack()
{
    static std::vector<RenderTargetSizeStack::Entry> stack = [] {
        std::vector<RenderTargetSizeStack::Entry> reserved;
        reserved.reserve(kReservedDepth);
        return reserved;
    }();
    return stack;
}

}  // namespace

void RenderTargetSizeStack::Push(const Entry& entry)
{
    SizeStack().push_back(entry);
}

bool RenderTargetSizeStack::Pop(Entry& entry)
{
    auto& stack = SizeStack();
    if (stack.empty()) return false;
    entry = stack.back();
    stack.pop_back();
    return true;
}

size_t RenderTargetSizeStack::Depth()
{
    return SizeStack().size();
}
