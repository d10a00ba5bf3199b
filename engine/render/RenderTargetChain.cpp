#include "engine/render/RenderTargetChain.h"

#include <d3dx9.h>

#include "engine/render/RenderStats.h"
#include "engine/render/TextureUtil.h"

RenderTargetChain::RenderTargetChain(IDirect3DDevice9* device) : device_(device) {}

HRESULT RenderTargetChain::Resize(uint32_t w, uint32_t h)
{
    width_ = w;
    height_ = h;
    ReleaseTextures();
    if (w == 0 || h == 0) {
        return S_FALSE;
    }
    for (ComPtr<IDirect3DTexture9>& texture : textures_) {
        const HRESULT hr = CreateRenderTargetTexture(device_.Get(), texture, w, h);
        if (FAILED(hr)) {
            ReleaseTextures();
            return hr;
        }
    }
    current_ = textures_[index_ & 1];
    D3DSURFACE_DESC desc = {};
    if (SUCCEEDED(current_->GetLevelDesc(0, &desc))) {
        width_ = desc.Width;
        height_ = desc.Height;
    }
    return S_OK;
}

void RenderTargetChain::ReleaseTextures()
{
    current_.Reset();
    textures_[0].Reset();
    textures_[1].Reset();
}

HRESULT RenderTargetChain::CopyFrom(IDirect3DTexture9* source, uint32_t w, uint32_t h)
{
    HRESULT hr = Resize(w, h);
    if (FAILED(hr) || !source || !IsReady()) {
        return hr;
    }
    ComPtr<IDirect3DSurface9> from = TopLevelSurface(source);
    ComPtr<IDirect3DSurface9> to = TopLevelSurface(current_.Get());
    if (!from || !to) {
        return E_FAIL;
    }
    return D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, D3DX_FILTER_TRIANGLE,
                                      0);
}

IDirect3DTexture9* RenderTargetChain::Flip()
{
    if (!IsReady()) {
        return nullptr;
    }
    index_ = (index_ + 1) % 2;
    current_ = textures_[index_];
    ComPtr<IDirect3DSurface9> target = TopLevelSurface(current_.Get());
    if (target && SUCCEEDED(device_->SetRenderTarget(0, target.Get()))) {
        ++RenderStats::Instance().targetSwitches;
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
    }
    return textures_[1 - index_].Get();
}

bool RenderTargetChain::Begin(RenderTargetChain& source)
{
    ComPtr<IDirect3DSurface9> target = TopLevelSurface(source.current_.Get());
    if (!target) {
        return false;
    }
    savedTarget_.Reset();
    savedDepth_.Reset();
    // Render-target and depth surfaces are not state-block state: these two
    // queries answer on pure devices too.
    if (FAILED(device_->GetRenderTarget(0, savedTarget_.ReleaseAndGetAddressOf()))) {
        savedTarget_.Reset();
    }
    // No depth-stencil surface is a valid state (D3DERR_NOTFOUND).
    if (FAILED(device_->GetDepthStencilSurface(savedDepth_.ReleaseAndGetAddressOf()))) {
        savedDepth_.Reset();
    }
    if (FAILED(device_->SetRenderTarget(0, target.Get()))) {
        savedTarget_.Reset();
        savedDepth_.Reset();
        return false;
    }
    ++RenderStats::Instance().targetSwitches;
    device_->SetDepthStencilSurface(nullptr);
    return true;
}

void RenderTargetChain::End()
{
    if (savedTarget_) {
        if (SUCCEEDED(device_->SetRenderTarget(0, savedTarget_.Get()))) ++RenderStats::Instance().targetSwitches;
        device_->SetDepthStencilSurface(savedDepth_.Get());
    }
    savedTarget_.Reset();
    savedDepth_.Reset();
}

void RenderTargetChain::OnLostDevice()
{
    ReleaseTextures();
    savedTarget_.Reset();
    savedDepth_.Reset();
}

HRESULT RenderTargetChain::OnResetDevice()
{
    return Resize(width_, height_);
}
