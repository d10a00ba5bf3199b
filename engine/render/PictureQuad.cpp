#include "engine/render/PictureQuad.h"

HRESULT PictureQuad::FillBuffer(IDirect3DDevice9* device)
{
    const float w = static_cast<float>(entry_.width);
    const float h = static_cast<float>(entry_.height);
    const float values[20] = {
        0.0f, h, 0.0f, 0.0f, 1.0f,  //
        0.0f, 0.0f, 0.0f, 0.0f, 0.0f,  //
        w, h, 0.0f, 1.0f, 1.0f,  //
        w, 0.0f, 0.0f, 1.0f, 0.0f,
    };
    return SetVertices(device, values);
}

bool PictureQuad::SetSize(uint32_t w, uint32_t h)
{
    const float fw = static_cast<float>(w);
    const float fh = static_cast<float>(h);
    const D3DXVECTOR3 corners[4] = {{0.0f, fh, 0.0f}, {0.0f, 0.0f, 0.0f}, {fw, fh, 0.0f}, {fw, 0.0f, 0.0f}};
    return SetPositions(corners);
}

void PictureQuad::SetTexture(const TextureEntry& entry)
{
    entry_ = entry;
    SetTextureRef(entry.texture.Get());
    SetSize(entry.width, entry.height);
}
