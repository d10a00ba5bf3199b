// A texture with the size of the image it was made from.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "engine/resources/ComPtr.h"

class TextureFrames;

struct TextureEntry {
    ComPtr<IDirect3DTexture9> texture;  // null when empty
    uint32_t width = 0;                 // pixels of the source image
    uint32_t height = 0;
    float ratio = 1.0f;  // height / width; 1.0 when the width is 0

    // Holds texture (a new reference; the previous one is released) with the
    // size given. A zero width gives ratio 1.0 instead of a division by zero.
    void Set(IDirect3DTexture9* newTexture, uint32_t newWidth, uint32_t newHeight);
    // The same with the size D3DX reported for the source image.
    void Set(IDirect3DTexture9* newTexture, const D3DXIMAGE_INFO& info);
    // Empties the entry, then takes the set's first texture and the set's
    // size; a set without textures leaves the entry empty.
    void FromSet(const TextureFrames& frames);
    void Clear();
};
