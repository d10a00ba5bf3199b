#include "engine/render/RenderContext.h"

#include "engine/render/RenderStats.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kNearZ = -5000.0f;
constexpr float kFarZ = 5000.0f;
// The border quads reach this many times the longer picture side beyond
// each edge, enough to cover the view at any zoom the camera uses.
constexpr float kBorderReach = 3.0f;

float AtLeastOne(float v)
{
    return v >= 1.0f ? v : 1.0f;
}

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, &a, &b);
    return out;
}

// Process-wide: the host makes one render unit current at a time and the
// scene code reads its camera from here instead of taking it as an argument.
RenderContext*& CurrentSlot()
{
    static RenderContext* current = nullptr;
    return current;
}

}  // namespace

RenderContext::RenderContext()
    : pictureTransform_(Identity()), offsetScale_(Identity()), world_(Identity()), camera_(Identity())
{
    const D3DXVECTOR3 eye(0, 0, -1), target(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view_, &eye, &target, &up);
    projection_ = Identity();
}

RenderContext::~RenderContext()
{
    if (CurrentSlot() == this) CurrentSlot() = nullptr;
}

RenderContext* RenderContext::Current()
{
    return CurrentSlot();
}

void RenderContext::MakeCurrent(RenderContext* context)
{
    CurrentSlot() = context;
    if (context && context->hasViewMetrics_) ViewMetrics::Instance() = context->viewMetrics_;
}

void RenderContext::Place(uint32_t pw, uint32_t ph, float w, float h, int32_t mode, bool toTarget,
                          const BackBufferSize& backBuffer)
{
    mode_ = mode;
    pictureWidth_ = pw;
    pictureHeight_ = ph;
    // Zero sides (an empty picture or a minimised view) are taken as 1 so
    // that the ratios below never divide by zero.
    const float fpw = AtLeastOne(static_cast<float>(pw));
    const float fph = AtLeastOne(static_cast<float>(ph));
    w = AtLeastOne(w);
    h = AtLeastOne(h);

    ScreenQuad q;
    q.FitPicture(fpw, fph, w, h);
    fittedRect_ = {static_cast<LONG>(q.corners[0].x), static_cast<LONG>(q.corners[1].y),
                   static_cast<LONG>(q.corners[3].x), static_cast<LONG>(q.corners[2].y)};
    pixelScale_ = q.Width() == w ? fpw / w : fph / h;

    float a = w, b = h;
    if (!toTarget) {
        a = backBuffer.width >= 1.0f ? backBuffer.width : w;
        b = backBuffer.height >= 1.0f ? backBuffer.height : h;
        q.ScaleToBackBuffer(w, h, BackBufferSize{a, b});
    }

    const float s = kBorderReach * std::max(fpw, fph);
    const D3DXVECTOR3 borders[4][4] = {
        {{-s, fph, 0}, {-s, 0, 0}, {0, fph, 0}, {0, 0, 0}},
        {{fpw, fph, 0}, {fpw, 0, 0}, {fpw + s, fph, 0}, {fpw + s, 0, 0}},
        {{-s, 0, 0}, {-s, -s, 0}, {fpw + s, 0, 0}, {fpw + s, -s, 0}},
        {{-s, fph + s, 0}, {-s, fph, 0}, {fpw + s, fph + s, 0}, {fpw + s, fph, 0}},
    };
    std::copy(&borders[0][0], &borders[0][0] + 16, &borderCorners_[0][0]);

    D3DXMatrixOrthoOffCenterLH(&projection_, 0.0f, w, h, 0.0f, kNearZ, kFarZ);

    const float qw = q.Width();
    const float qh = q.Height();
    viewRatioX_ = a / qw;
    viewRatioY_ = b / qh;

    D3DXMATRIX scaling, translation;
    D3DXMatrixScaling(&scaling, 1.0f / pixelScale_, 1.0f / pixelScale_, 1.0f);
    D3DXMatrixTranslation(&translation, q.corners[0].x * w / a, q.corners[1].y * h / b, 0.0f);
    pictureTransform_ = Product(scaling, translation);

    float sx = 1.0f, sy = 1.0f;
    const float x0 = q.corners[0].x;
    const float y0 = q.corners[1].y;
    if (mode == kStretch || mode == kToTarget) {
        sx = (2.0f * x0 + qw) / qw;
        sy = (2.0f * y0 + qh) / qh;
    } else if (mode == kFill) {
        sx = sy = x0 != 0.0f ? (2.0f * x0 + qw) / qw : (2.0f * y0 + qh) / qh;
    }
    float ox, oy;
    CenterOffset(sx, sy, ox, oy);
    SetOffsetScale(ox, oy, sx, sy);
}

HRESULT RenderContext::Setup(IDirect3DDevice9* device, uint32_t pw, uint32_t ph, float w, float h, int32_t mode,
                             bool toTarget)
{
    BackBufferSize backBuffer{w, h};
    HRESULT result = S_OK;
    if (!toTarget && !QueryBackBufferSize(device, backBuffer)) result = device ? E_FAIL : E_POINTER;
    Place(pw, ph, w, h, mode, toTarget, backBuffer);
    WriteBorderPositions();
    const HRESULT hr = Apply(device);
    return FAILED(result) ? result : hr;
}

void RenderContext::WriteBorderPositions()
{
    for (int side = 0; side < 4; ++side) {
        if (borders_[side].VertexBuffer()) borders_[side].SetPositions(borderCorners_[side]);
    }
}

HRESULT RenderContext::Apply(IDirect3DDevice9* device) const
{
    if (!device) return E_POINTER;
    HRESULT hr = device->SetTransform(D3DTS_WORLD, &world_);
    if (SUCCEEDED(hr)) hr = device->SetTransform(D3DTS_VIEW, &view_);
    if (SUCCEEDED(hr)) hr = device->SetTransform(D3DTS_PROJECTION, &projection_);
    return hr;
}

D3DXMATRIX RenderContext::WorldFor(const D3DXMATRIX& object) const
{
    const D3DXMATRIX placed = Product(offsetScale_, pictureTransform_);
    if (mode_ == kToTarget) return Product(object, placed);
    return Product(Product(object, camera_), placed);
}

HRESULT RenderContext::SetWorld(IDirect3DDevice9* device, const D3DXMATRIX& object) const
{
    if (!device) return E_POINTER;
    const D3DXMATRIX world = WorldFor(object);
    return device->SetTransform(D3DTS_WORLD, &world);
}

void RenderContext::ToScreen(D3DXMATRIX& out, const D3DXMATRIX& object) const
{
    out = Product(Product(WorldFor(object), view_), projection_);
}

void RenderContext::ToScreen2(D3DXMATRIX& out) const
{
    const D3DXMATRIX picture = mode_ == kToTarget ? Product(offsetScale_, pictureTransform_) : pictureTransform_;
    out = Product(Product(picture, view_), projection_);
}

void RenderContext::GetTransform(D3DXMATRIX& out) const
{
    out = Product(camera_, offsetScale_);
    out._41 = 0.0f;
    out._42 = 0.0f;
}

void RenderContext::ZoomAbout(float a, float b, float c)
{
    if (!(a > 0.0f) || !std::isfinite(a)) a = 1.0f;
    float cx, cy;
    CenterOffset(a, a, cx, cy);
    const D3DXMATRIX m = Product(offsetScale_, pictureTransform_);
    const float tx = m._41 / m._11 / a;
    const float ty = m._42 / m._22 / a;
    const float e = (tx + cx) * (b + 1.0f) - tx;
    const float d = (ty + cy) * (c + 1.0f) - ty;
    D3DXMATRIX translation, scaling;
    D3DXMatrixTranslation(&translation, e, d, 0.0f);
    D3DXMatrixScaling(&scaling, a, a, 1.0f);
    camera_ = Product(translation, scaling);
}

void RenderContext::SetOffsetScale(float ox, float oy, float sx, float sy)
{
    offsetX_ = ox;
    offsetY_ = oy;
    inverseScaleX_ = 1.0f / sx;
    inverseScaleY_ = 1.0f / sy;
    D3DXMATRIX translation, scaling;
    D3DXMatrixTranslation(&translation, ox, oy, 0.0f);
    D3DXMatrixScaling(&scaling, sx, sy, 1.0f);
    offsetScale_ = Product(translation, scaling);
}

void RenderContext::CenterOffset(float sx, float sy, float& ox, float& oy) const
{
    ox = (1.0f - sx) * 0.5f * static_cast<float>(pictureWidth_) / sx;
    oy = (1.0f - sy) * 0.5f * static_cast<float>(pictureHeight_) / sy;
}

void RenderContext::SetViewMetrics(int32_t pictureHeight, const ScreenQuad& fitted, float w, float h,
                                   int32_t pictureWidth, const BackBufferSize& backBuffer)
{
    viewMetrics_.backBufferRatioX = w > 0.0f ? backBuffer.width / w : 1.0f;
    viewMetrics_.backBufferRatioY = h > 0.0f ? backBuffer.height / h : 1.0f;
    viewMetrics_.fittedQuad = fitted;
    viewMetrics_.pictureWidth = pictureWidth;
    viewMetrics_.pictureHeight = pictureHeight;
    hasViewMetrics_ = true;
    ViewMetrics::Instance() = viewMetrics_;
}

HRESULT RenderContext::SetBorderTextures(IDirect3DDevice9* device, IDirect3DTexture9* texture)
{
    static const float kUV[4][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
    HRESULT result = S_OK;
    for (int side = 0; side < 4; ++side) {
        float values[20];
        for (int k = 0; k < 4; ++k) {
            const D3DXVECTOR3& p = borderCorners_[side][k];
            const float corner[5] = {p.x, p.y, p.z, kUV[k][0], kUV[k][1]};
            std::copy(corner, corner + 5, values + 5 * k);
        }
        const HRESULT hr = borders_[side].SetVertices(device, values);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
        borders_[side].SetTextureRef(texture);
    }
    return result;
}

HRESULT RenderContext::DrawBorders(IDirect3DDevice9* device) const
{
    HRESULT hr = Apply(device);
    if (SUCCEEDED(hr)) hr = SetWorld(device, borders_[0].combined);
    for (int side = 0; side < 4 && SUCCEEDED(hr); ++side) {
        const DS_TexturedMesh<PT>& quad = borders_[side];
        if (!quad.VertexBuffer()) continue;
        hr = device->SetTexture(0, quad.Texture());
        if (SUCCEEDED(hr)) hr = quad.BindStream(device);
        if (SUCCEEDED(hr)) hr = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        if (SUCCEEDED(hr)) ++RenderStats::Instance().drawCalls;
    }
    return hr;
}
