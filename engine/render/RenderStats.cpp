#include "engine/render/RenderStats.h"

RenderStats& RenderStats::Instance()
{
    static RenderStats instance;
    return instance;
}

RenderStats RenderStats::Take()
{
    RenderStats& counts = Instance();
    const RenderStats taken = counts;
    counts = RenderStats{};
    return taken;
}
