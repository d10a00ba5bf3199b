#include "engine/scene/ABRender.h"

#include <deque>

namespace {

// Front = most recent push (see RenderTargetSizeStack).
std::deque<RenderTargetSizeStack::Entry>& SizeStack()
{
    static std::deque<RenderTargetSizeStack::Entry> stack;
    return stack;
}

}  // namespace

void RenderTargetSizeStack::Push(const Entry& entry) { SizeStack().push_front(entry); }

bool RenderTargetSizeStack::Pop(Entry& entry)
{
    auto& stack = SizeStack();
    if (stack.empty()) return false;
    entry = stack.front();
    stack.pop_front();
    return true;
}

size_t RenderTargetSizeStack::Depth() { return SizeStack().size(); }
