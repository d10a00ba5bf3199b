// The four-corner quad of every full-screen, fitted and sprite quad.
#pragma once

#include <d3d9.h>
#include <windows.h>

// Width and height of back buffer 0 in pixels.
struct BackBufferSize {
    float width = 0.0f;
    float height = 0.0f;
};

// Reads the size of back buffer 0 of the device. Returns false (and leaves
// size unchanged) when the device is null or the query fails.
bool QueryBackBufferSize(IDirect3DDevice9* device, BackBufferSize& size);

struct ScreenQuad {
    struct Corner {
        float x, y, z, u, v;
    };
    // Corner 0 bottom-left, 1 top-left, 2 bottom-right, 3 top-right; y grows
    // downwards, so the corners in this order form a two-triangle strip.
    Corner corners[4];

    // Positions (0, 0), z 1, texture coordinates (0,1), (0,0), (1,1), (1,0).
    ScreenQuad();

    // Corners covering back buffer 0: (0,H), (0,0), (W,H), (W,0). Returns
    // false and keeps the quad when the back buffer cannot be queried.
    bool FullBackBuffer(IDirect3DDevice9* device);
    void FullBackBuffer(const BackBufferSize& backBuffer);

    // The picture fitted into a view of w x h, aspect kept and centred.
    // A picture or view with a side of 0 is taken as 1 pixel on that side,
    // so the result is always finite.
    void FitPicture(float pictureWidth, float pictureHeight, float w, float h);

    // Scales x by back-buffer width / w and y by back-buffer height / h;
    // a view side of 0 leaves that axis unscaled.
    void ScaleToBackBuffer(float w, float h, const BackBufferSize& backBuffer);

    float Width() const { return corners[3].x - corners[0].x; }
    float Height() const { return corners[2].y - corners[1].y; }
};
