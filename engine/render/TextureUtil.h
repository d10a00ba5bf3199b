// Small texture helpers of the scene: render-target textures, managed
// copies of textures and the back-buffer description. Each works on the
// device it is given (the render unit's current device).
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "engine/resources/ComPtr.h"

// Releases what texture holds, then creates a w x h render-target texture
// (one level, A8R8G8B8, default pool) into it. On failure texture stays null
// and the device's result is returned.
HRESULT CreateRenderTargetTexture(IDirect3DDevice9* device, ComPtr<IDirect3DTexture9>& texture, uint32_t width,
                                  uint32_t height);

// Clears result; when source is not null, makes a managed texture of the size
// and format given (D3DFMT_UNKNOWN lets D3DX choose) with a full mip chain and
// copies level 0 of source into its level 0 with triangle filtering. Any
// failure leaves result null and is returned; a null source returns S_FALSE.
HRESULT CopyTexture(IDirect3DDevice9* device, uint32_t width, uint32_t height, D3DFORMAT format,
                    IDirect3DTexture9* source, ComPtr<IDirect3DTexture9>& result);

// The description of back buffer 0 of swap chain 0; zeroed on failure.
HRESULT GetBackBufferDesc(IDirect3DDevice9* device, D3DSURFACE_DESC& desc);

// Level 0 of a texture as a surface, or null.
ComPtr<IDirect3DSurface9> TopLevelSurface(IDirect3DTexture9* texture);
