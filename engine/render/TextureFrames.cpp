#include "engine/render/TextureFrames.h"

void TextureFrames::SetSize(uint32_t newWidth, uint32_t newHeight)
{
    width = newWidth;
    height = newHeight;
    aspect = newWidth != 0 ? static_cast<float>(newHeight) / static_cast<float>(newWidth) : 1.0f;
}

bool TextureFrames::Due(float t)
{
    if (t - lastSwitch < 0.0f) {
        lastSwitch = t;
    }
    if (durations.empty()) {
        return false;
    }
    const int32_t count = static_cast<int32_t>(durations.size());
    if (current < 0 || current >= count) {
        current = 0;
    }
    if (durations[static_cast<size_t>(current)] < t - lastSwitch) {
        lastSwitch = t;
        return true;
    }
    return false;
}

void TextureFrames::StepForward(float t)
{
    if (Due(t)) {
        current = (current + 1) % static_cast<int32_t>(durations.size());
    }
}

void TextureFrames::StepBackward(float t)
{
    if (Due(t)) {
        current = current == 0 ? static_cast<int32_t>(durations.size()) - 1 : current - 1;
    }
}

IDirect3DTexture9* TextureFrames::CurrentTexture() const
{
    if (current < 0 || static_cast<size_t>(current) >= textures.size()) {
        return nullptr;
    }
    return textures[static_cast<size_t>(current)].Get();
}
