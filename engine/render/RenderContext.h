// The 2D camera of one render unit: maps picture pixels (x right, y down,
// 0..picture width, 0..picture height) onto the render target in one of the
// picture positions, applies the camera drift's zoom and pan, and owns the
// four border quads around the picture. Row vectors: p becomes p x M.
// The context keeps every transform it sets: objects ask it (WorldFor,
// ToScreen, GetTransform), never the device, whose Get* state calls fail on
// pure devices.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "engine/render/Mesh.h"
#include "engine/render/ScreenQuad.h"
#include "engine/render/ViewMetrics.h"

class RenderContext {
public:
    // Picture positions; kToTarget fills a render target.
    enum Mode : int32_t { kStretch = 0, kFit = 1, kFill = 2, kToTarget = 3 };

    RenderContext();
    // A context being destroyed stops being current.
    ~RenderContext();
    RenderContext(const RenderContext&) = default;
    RenderContext& operator=(const RenderContext&) = default;

    // The process-wide current context, set when the host makes a render
    // unit current; null until then. Making a context current also writes
    // its own view metrics (if it has any) to ViewMetrics::Instance(), so
    // with several monitors each unit's objects see their own placement
    // rather than that of whichever unit resized last.
    static RenderContext* Current();
    static void MakeCurrent(RenderContext* context);

    // Places a picture of pw x ph in a view of w x h: the placement math
    // alone (fitted quad, pixel scale, projection, picture transform, view
    // ratios, picture-position zoom). backBuffer is ignored when toTarget.
    // Sides of 0 are taken as 1 so that every matrix stays finite.
    void Place(uint32_t pw, uint32_t ph, float w, float h, int32_t mode, bool toTarget,
               const BackBufferSize& backBuffer);
    // Place with the device's back buffer, writes the border quads'
    // positions and applies the transforms. When the back buffer cannot be
    // read the view size stands in for it and the failure is returned.
    HRESULT Setup(IDirect3DDevice9* device, uint32_t pw, uint32_t ph, float w, float h, int32_t mode, bool toTarget);

    // WORLD = identity, VIEW, PROJECTION.
    HRESULT Apply(IDirect3DDevice9* device) const;
    // WORLD = object x camera x offset/scale x picture transform (camera
    // left out in kToTarget mode).
    HRESULT SetWorld(IDirect3DDevice9* device, const D3DXMATRIX& object) const;
    D3DXMATRIX WorldFor(const D3DXMATRIX& object) const;
    // out = WorldFor(object) x view x projection.
    void ToScreen(D3DXMATRIX& out, const D3DXMATRIX& object) const;
    // out = picture transform x view x projection, offset/scale in front of
    // the picture transform in kToTarget mode only.
    void ToScreen2(D3DXMATRIX& out) const;
    // out = camera x offset/scale with the x and y translation cleared.
    void GetTransform(D3DXMATRIX& out) const;

    // Camera matrix for zoom a and pans b, c in -1..1 (pan -1 puts the
    // zoomed picture's left/top edge on the fitted quad's edge, 1 its
    // right/bottom edge). A zoom that is not positive or not finite counts
    // as 1: it would otherwise divide by zero.
    void ZoomAbout(float a, float b, float c);
    void SetOffsetScale(float ox, float oy, float sx, float sy);
    // The translation that, followed by scaling (sx, sy), keeps the
    // picture centre in place.
    void CenterOffset(float sx, float sy, float& ox, float& oy) const;

    // Stores the placement in this unit's copy and the process-wide record.
    // Back-buffer ratios: back-buffer size / view size (1 for a view side 0).
    void SetViewMetrics(int32_t pictureHeight, const ScreenQuad& fitted, float w, float h, int32_t pictureWidth,
                        const BackBufferSize& backBuffer);
    bool HasViewMetrics() const { return hasViewMetrics_; }
    const ViewMetrics& UnitViewMetrics() const { return viewMetrics_; }

    // New border quad buffers (positions of the last placement, texture
    // coordinates (1,1), (0,1), (1,0), (0,0)) all showing texture.
    HRESULT SetBorderTextures(IDirect3DDevice9* device, IDirect3DTexture9* texture);
    // Apply, world through SetWorld(identity), then each border quad as a
    // two-triangle strip with its texture on stage 0. Other render and
    // sampler states are those in force.
    HRESULT DrawBorders(IDirect3DDevice9* device) const;

    int32_t Mode() const { return mode_; }
    uint32_t PictureWidth() const { return pictureWidth_; }
    uint32_t PictureHeight() const { return pictureHeight_; }
    float PixelScale() const { return pixelScale_; }
    float ViewRatioX() const { return viewRatioX_; }
    float ViewRatioY() const { return viewRatioY_; }
    const RECT& FittedRect() const { return fittedRect_; }
    float InverseScaleX() const { return inverseScaleX_; }
    float InverseScaleY() const { return inverseScaleY_; }
    float OffsetX() const { return offsetX_; }
    float OffsetY() const { return offsetY_; }
    const D3DXMATRIX& PictureTransform() const { return pictureTransform_; }
    const D3DXMATRIX& OffsetScale() const { return offsetScale_; }
    const D3DXMATRIX& Camera() const { return camera_; }
    const D3DXMATRIX& View() const { return view_; }
    const D3DXMATRIX& Projection() const { return projection_; }
    // Corner positions of border quad side (0 left, 1 right, 2 top,
    // 3 bottom), corners in ScreenQuad order.
    const D3DXVECTOR3* BorderCorners(int side) const { return borderCorners_[side]; }
    const DS_TexturedMesh<PT>& BorderQuad(int side) const { return borders_[side]; }

private:
    void WriteBorderPositions();

    D3DXMATRIX pictureTransform_;
    D3DXMATRIX offsetScale_;
    D3DXMATRIX world_;
    D3DXMATRIX view_;
    D3DXMATRIX projection_;
    float inverseScaleX_ = 1.0f;
    float inverseScaleY_ = 1.0f;
    float offsetX_ = 0.0f;
    float offsetY_ = 0.0f;
    D3DXMATRIX camera_;
    DS_TexturedMesh<PT> borders_[4];
    D3DXVECTOR3 borderCorners_[4][4] = {};
    // The corners last written into each border quad's buffer. Writing
    // locks a buffer the device may still be drawing from, which under Wine
    // waits for the frames queued before it; placements repeat every frame
    // while a scene draws through its render targets, so only a change is
    // written.
    D3DXVECTOR3 writtenCorners_[4][4] = {};
    bool cornersWritten_[4] = {};
    int32_t mode_ = kFit;
    uint32_t pictureWidth_ = 0;
    uint32_t pictureHeight_ = 0;
    float viewRatioX_ = 1.0f;
    float viewRatioY_ = 1.0f;
    float pixelScale_ = 1.0f;
    RECT fittedRect_ = {0, 0, 0, 0};
    bool hasViewMetrics_ = false;
    ViewMetrics viewMetrics_;
};
