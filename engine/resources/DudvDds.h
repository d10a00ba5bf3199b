// du/dv maps stored as uncompressed V8U8 DDS files (pixel format flag
// DDPF_BUMPDUDV, 16 bits, U in the low byte). Some D3DX builds cannot read
// that format; the texture loader falls back on this reader for them.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>

#include "engine/resources/ComPtr.h"

// Whether bytes hold a whole V8U8 DDS: header, pixel format and every
// texel of level 0 (a file that ends early is not one).
bool IsV8U8Dds(const void* bytes, size_t size, uint32_t* width = nullptr, uint32_t* height = nullptr);

// A one-level managed V8U8 texture with level 0 of the file. E_FAIL for
// bytes IsV8U8Dds refuses; the device's error when it cannot make or lock
// the texture.
HRESULT LoadV8U8Dds(IDirect3DDevice9* device, const void* bytes, size_t size, ComPtr<IDirect3DTexture9>& texture,
                    uint32_t& width, uint32_t& height);
