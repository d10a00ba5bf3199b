// A water light on the 256 x 256 test device (the picture-layer fixture
// with its current device, render context and resource manager), pictures
// made from functions, and frames drawn and read back as a slide draws
// them.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "unit/scene/Light2DTestFixture.h"

class WaterLightsFixture : public Light2DFixture {
protected:
    static constexpr int kSize = static_cast<int>(kBackBufferSize);

    WaterLightsFixture() : Light2DFixture(kBackBufferSize, kBackBufferSize) {}

    // A picture of w x h under a link of its own; its texture has the
    // picture's size up to 256 texels a side (colour takes texel positions).
    FileLinkValue NewPicture(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& colour)
    {
        const FileLinkValue link{L"picture" + std::to_wstring(++pictures_) + L".png", 0};
        TextureFrames& set = manager_->Store().textureSets[link];
        set.textures = {MakeTexture(std::min(w, kBackBufferSize), std::min(h, kBackBufferSize), colour)};
        set.SetSize(w, h);
        return link;
    }

    // The layer built and made current as a slide does it, in picture
    // position mode over the whole back buffer.
    template <class Layer>
    Layer& Build(std::unique_ptr<Layer> layer, const FileLinkValue& link, int32_t mode)
    {
        Layer& built = *layer;
        layer_ = std::move(layer);
        built.PictureLink().StoreValue(link);
        built.RestoreDeviceObjects();
        built.Resize(1, 1);
        built.Resize(kSize, kSize);
        built.ResetCamera();
        built.ResetDeviceState();
        built.SetPicturePosition(mode);
        return built;
    }

    // One frame at time t as the slide and slideshow draw it; the back
    // buffer's pixels (0x00RRGGBB).
    std::vector<uint32_t> Frame(float t)
    {
        layer_->FrameMove(t);
        std::vector<CountedPtr<DS_ABObj>> objects;
        EXPECT_TRUE(SUCCEEDED(Device()->BeginScene()));
        if (layer_->NeedsSceneTexture()) layer_->BeginFrame();
        layer_->RenderBackground(false);
        layer_->RenderObjects(objects, layer_->NeedsSceneTexture() ? 1 : 0);
        layer_->DrawBorders(false);
        Device()->EndScene();
        std::vector<uint32_t> pixels = BackBufferPixels();
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[y * kSize + x]; }

    static bool Near(uint32_t a, uint32_t b, int tolerance)
    {
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
                return false;
        }
        return true;
    }

    using Light2DFixture::Near;
    int pictures_ = 0;
};
