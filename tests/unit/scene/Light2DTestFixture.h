// A picture layer on a real 600 x 400 device, with the current device,
// render context and resource manager set, and helpers to make pictures
// and read pixels.
#pragma once

#include <cstdlib>
#include <functional>
#include <memory>

#include "engine/render/RenderContext.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/Light2D.h"
#include "unit/render/RenderTestDevice.h"

class Light2DFixture : public RenderTestDevice {
protected:
    static constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
    static constexpr uint32_t kYellow = 0xFFFF00, kBlack = 0x000000;
    static constexpr uint32_t kBackground = DS_2D_Light::kBackgroundClear & 0xFFFFFF;

    void SetUp() override
    {
        RenderTestDevice::SetUp();
        if (HasFatalFailure()) return;
        SetCurrentDevice(Device());
        SetCurrentRenderContext(&context_);
        manager_ = std::make_unique<DS_DocResManager>(Device());
        SetCurrentDocResManager(manager_.get());
    }

    void TearDown() override
    {
        layer_.reset();
        manager_.reset();  // stops being current
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        RenderTestDevice::TearDown();
    }

    // A managed texture of w x h whose pixel (x, y) is colour(x, y) (ARGB).
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

    // Puts a one-picture texture set under link in the manager.
    void AddPicture(const FileLinkValue& link, const ComPtr<IDirect3DTexture9>& texture, UINT w, UINT h)
    {
        TextureFrames& set = manager_->Store().textureSets[link];
        set.textures = {texture};
        set.SetSize(w, h);
    }

    // A layer showing link in mode, built and made current as a slide does.
    DS_2D_Light& MakeLayer(const FileLinkValue& link, int32_t mode)
    {
        layer_ = std::make_unique<DS_2D_Light>();
        layer_->PictureLink().StoreValue(link);
        layer_->RestoreDeviceObjects();
        layer_->Resize(1, 1);
        layer_->Resize(static_cast<int32_t>(width_), static_cast<int32_t>(height_));
        layer_->ResetCamera();
        layer_->ResetDeviceState();
        layer_->SetPicturePosition(mode);
        return *layer_;
    }

    // One frame as the slide composes it.
    void DrawFrame(std::vector<CountedPtr<DS_ABObj>>& objects)
    {
        int32_t n = layer_->NeedsSceneTexture() ? 1 : 0;
        for (auto& object : objects)
            if (object->NeedsSceneTexture()) ++n;
        ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
        if (n > 0) layer_->BeginFrame();
        layer_->RenderBackground(false);
        layer_->RenderObjects(objects, n);
        Device()->EndScene();
    }

    static bool Near(uint32_t a, uint32_t b)
    {
        for (int shift = 0; shift < 24; shift += 8) {
            const int ca = static_cast<int>((a >> shift) & 0xFF);
            const int cb = static_cast<int>((b >> shift) & 0xFF);
            if (std::abs(ca - cb) > 3) return false;
        }
        return true;
    }

    RenderContext context_;
    std::unique_ptr<DS_DocResManager> manager_;
    std::unique_ptr<DS_2D_Light> layer_;
};
