#include "engine/render/ScreenQuad.h"

#include "engine/resources/ComPtr.h"

namespace {

float AtLeastOne(float v)
{
    return v >= 1.0f ? v : 1.0f;
}

}  // namespace

bool QueryBackBufferSize(IDirect3DDevice9* device, BackBufferSize& size)
{
    if (!device) return false;
    ComPtr<IDirect3DSurface9> surface;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.ReleaseAndGetAddressOf()))) return false;
    D3DSURFACE_DESC desc = {};
    if (FAILED(surface->GetDesc(&desc))) return false;
    size.width = static_cast<float>(desc.Width);
    size.height = static_cast<float>(desc.Height);
    return true;
}

ScreenQuad::ScreenQuad() : corners{{0, 0, 1, 0, 1}, {0, 0, 1, 0, 0}, {0, 0, 1, 1, 1}, {0, 0, 1, 1, 0}} {}

bool ScreenQuad::FullBackBuffer(IDirect3DDevice9* device)
{
    BackBufferSize size;
    if (!QueryBackBufferSize(device, size)) return false;
    FullBackBuffer(size);
    return true;
}

void ScreenQuad::FullBackBuffer(const BackBufferSize& bb)
{
    corners[0].x = 0;
    corners[0].y = bb.height;
    corners[1].x = 0;
    corners[1].y = 0;
    corners[2].x = bb.width;
    corners[2].y = bb.height;
    corners[3].x = bb.width;
    corners[3].y = 0;
}

void ScreenQuad::FitPicture(float pictureWidth, float pictureHeight, float w, float h)
{
    // A zero side would make the aspect 0/0 or x/0; the picture layer never
    // passes one, but a damaged picture must not poison every matrix.
    const float pw = AtLeastOne(pictureWidth);
    const float ph = AtLeastOne(pictureHeight);
    w = AtLeastOne(w);
    h = AtLeastOne(h);
    const float r = ph / pw;
    float qw, qh, x0, y0;
    if (h / w < r) {
        qw = h / r;
        qh = h;
        x0 = (w - qw) * 0.5f;
        y0 = 0.0f;
    } else {
        qw = w;
        qh = w * r;
        x0 = 0.0f;
        y0 = (h - qh) * 0.5f;
    }
    corners[0].x = x0;
    corners[0].y = y0 + qh;
    corners[1].x = x0;
    corners[1].y = y0;
    corners[2].x = x0 + qw;
    corners[2].y = y0 + qh;
    corners[3].x = x0 + qw;
    corners[3].y = y0;
}

void ScreenQuad::ScaleToBackBuffer(float w, float h, const BackBufferSize& bb)
{
    const float fx = w > 0.0f ? bb.width / w : 1.0f;
    const float fy = h > 0.0f ? bb.height / h : 1.0f;
    for (Corner& c : corners) {
        c.x *= fx;
        c.y *= fy;
    }
}
