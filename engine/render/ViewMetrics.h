// Where the picture sits on the back buffer, for the sprite and particle
// objects that convert between back-buffer pixels and picture pixels.
#pragma once

#include <d3dx9.h>

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

// A back-buffer point (x, y) in picture pixels: its place in the fitted
// picture quad of ViewMetrics scaled to the picture size, then undone by the
// inverse scale and offset of the current render context (when there is
// one). The camera drift is not taken into account. A quad with no width or
// height gives 0 on that axis. z passes through.
D3DXVECTOR3 ScreenToView(float x, float y, float z);

// A point of the view (window pixels) in picture pixels: scaled to
// back-buffer pixels by the ViewMetrics ratios, then ScreenToView. The
// conversion that rectangle hit tests take (MediaRectangle::Contains).
void ViewPointToPicture(float x, float y, float& pictureX, float& pictureY);
