// Where the picture sits on the back buffer, for the sprite and particle
// objects that convert between back-buffer pixels and picture pixels.
#pragma once

#include <cstdint>

#include "engine/render/ScreenQuad.h"

struct ViewMetrics {
    float backBufferRatioX = 1.0f;  // back-buffer width / view width
    float backBufferRatioY = 1.0f;  // back-buffer height / view height
    ScreenQuad fittedQuad;          // picture fitted into the view, back-buffer pixels
    int32_t pictureWidth = 0;       // extent of object coordinates
    int32_t pictureHeight = 0;

    // The process-wide record. Process-wide because the sprite and particle
    // code reads it without being handed a render unit; each render unit
    // keeps its own copy in its RenderContext and writes it back here when
    // the unit is made current (RenderContext::MakeCurrent).
    static ViewMetrics& Instance();
};
