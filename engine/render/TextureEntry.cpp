#include "engine/render/TextureEntry.h"

#include "engine/render/TextureFrames.h"

void TextureEntry::Set(IDirect3DTexture9* newTexture, uint32_t newWidth, uint32_t newHeight)
{
    texture.Set(newTexture);
    width = newWidth;
    height = newHeight;
    ratio = newWidth != 0 ? static_cast<float>(newHeight) / static_cast<float>(newWidth) : 1.0f;
}

void TextureEntry::Set(IDirect3DTexture9* newTexture, const D3DXIMAGE_INFO& info)
{
    Set(newTexture, info.Width, info.Height);
}

void TextureEntry::FromSet(const TextureFrames& frames)
{
    Clear();
    if (frames.textures.empty() || !frames.textures.front()) {
        return;
    }
    texture = frames.textures.front();
    width = frames.width;
    height = frames.height;
    ratio = frames.aspect;
}

void TextureEntry::Clear()
{
    texture.Reset();
    width = 0;
    height = 0;
    ratio = 1.0f;
}
