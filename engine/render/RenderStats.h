// What the render service has sent to the device since the counts were last
// taken: draw calls, render-target switches and full-screen passes. The
// frame benchmark takes them after every frame; nothing else reads them.
// Counting is three integer additions, so the program keeps it on.
#pragma once

#include <cstdint>

struct RenderStats {
    // Every DrawPrimitive and DrawIndexedPrimitive the scene sends.
    uint32_t drawCalls = 0;
    // Every SetRenderTarget of colour target 0 that the device accepted
    // (into a render-target chain, flips inside it, and back).
    uint32_t targetSwitches = 0;
    // Draws that cover the whole picture: the picture background, each
    // effect pass drawn through DrawWithEffect or DrawIndexedWithEffect (the
    // image filters over the picture quad or a grid spanning it) and the
    // fade overlay.
    uint32_t fullScreenPasses = 0;

    // The process-wide counts. Process-wide because the render units draw
    // one after the other on the scene thread and the draws happen deep in
    // the scene objects, which are not handed a counter.
    static RenderStats& Instance();
    // The counts so far; the counts start again from zero.
    static RenderStats Take();
};
