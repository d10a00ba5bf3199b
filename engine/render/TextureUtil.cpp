#include "engine/render/TextureUtil.h"

#include <d3dx9.h>

HRESULT CreateRenderTargetTexture(IDirect3DDevice9* device, ComPtr<IDirect3DTexture9>& texture, uint32_t width,
                                  uint32_t height)
{
    texture.Reset();
    if (!device || width == 0 || height == 0) {
        return E_INVALIDARG;
    }
    return device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                 texture.ReleaseAndGetAddressOf(), nullptr);
}

ComPtr<IDirect3DSurface9> TopLevelSurface(IDirect3DTexture9* texture)
{
    ComPtr<IDirect3DSurface9> surface;
    if (texture && FAILED(texture->GetSurfaceLevel(0, surface.ReleaseAndGetAddressOf()))) {
        surface.Reset();
    }
    return surface;
}

HRESULT CopyTexture(IDirect3DDevice9* device, uint32_t width, uint32_t height, D3DFORMAT format,
                    IDirect3DTexture9* source, ComPtr<IDirect3DTexture9>& result)
{
    result.Reset();
    if (!source) {
        return S_FALSE;
    }
    if (!device || width == 0 || height == 0) {
        return E_INVALIDARG;
    }
    ComPtr<IDirect3DTexture9> copy;
    HRESULT hr = D3DXCreateTexture(device, width, height, 0, 0, format, D3DPOOL_MANAGED, copy.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IDirect3DSurface9> from = TopLevelSurface(source);
    ComPtr<IDirect3DSurface9> to = TopLevelSurface(copy.Get());
    if (!from || !to) {
        return E_FAIL;
    }
    hr = D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, D3DX_FILTER_TRIANGLE, 0);
    if (FAILED(hr)) {
        return hr;
    }
    result = std::move(copy);
    return S_OK;
}

HRESULT GetBackBufferDesc(IDirect3DDevice9* device, D3DSURFACE_DESC& desc)
{
    desc = {};
    if (!device) {
        return E_INVALIDARG;
    }
    ComPtr<IDirect3DSurface9> backBuffer;
    HRESULT hr = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    hr = backBuffer->GetDesc(&desc);
    if (FAILED(hr)) {
        desc = {};
    }
    return hr;
}
