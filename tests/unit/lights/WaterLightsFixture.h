// A water light on the 256 x 256 test device, with the current device,
// render context and resource manager set, pictures made from functions,
// and frames drawn and read back as a slide draws them.
#pragma once

#include <d3dx9.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "engine/render/RenderContext.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/Light2D.h"
#include "unit/D3DTestDevice.h"

class WaterLightsFixture : public D3DTestDevice {
protected:
    static constexpr int kSize = static_cast<int>(kBackBufferSize);

    void SetUp() override
    {
        D3DTestDevice::SetUp();
        if (HasFatalFailure()) return;
        SetCurrentDevice(Device());
        SetCurrentRenderContext(&context_);
        manager_ = std::make_unique<DS_DocResManager>(Device());
        SetCurrentDocResManager(manager_.get());
    }

    void TearDown() override
    {
        layer_.reset();
        manager_.reset();
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        D3DTestDevice::TearDown();
    }

    // A managed A8R8G8B8 texture whose pixel (x, y) is colour(x, y).
    ComPtr<IDirect3DTexture9> MakeTexture(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& colour)
    {
        ComPtr<IDirect3DTexture9> texture;
        if (FAILED(Device()->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           texture.ReleaseAndGetAddressOf(), nullptr)))
            return {};
        D3DLOCKED_RECT rect = {};
        if (FAILED(texture->LockRect(0, &rect, nullptr, 0))) return {};
        for (UINT y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch);
            for (UINT x = 0; x < w; ++x) row[x] = colour(x, y);
        }
        texture->UnlockRect(0);
        return texture;
    }

    // A picture of w x h under a link of its own; its texture has the
    // picture's size up to 256 texels a side (colour takes texel positions).
    FileLinkValue AddPicture(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& colour)
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

    RenderContext context_;
    std::unique_ptr<DS_DocResManager> manager_;
    std::unique_ptr<DS_2D_Light> layer_;
    int pictures_ = 0;
};
