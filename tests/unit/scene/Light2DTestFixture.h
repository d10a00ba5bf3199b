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
#include "unit/BuildFiles.h"
#include "unit/D3DTestDevice.h"

class Light2DFixture : public D3DTestDevice {
protected:
    Light2DFixture() : D3DTestDevice(kWideWidth, kWideHeight) {}
    Light2DFixture(UINT width, UINT height) : D3DTestDevice(width, height) {}

    static constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
    static constexpr uint32_t kYellow = 0xFFFF00, kBlack = 0x000000;
    static constexpr uint32_t kBackground = DS_2D_Light::kBackgroundClear & 0xFFFFFF;

    void SetUp() override
    {
        D3DTestDevice::SetUp();
        if (HasFatalFailure()) return;
        SetCurrentDevice(Device());
        SetCurrentRenderContext(&context_);
        manager_ = std::make_unique<DS_DocResManager>(Device());
        SetCurrentDocResManager(manager_.get());
        savedMetrics_ = ViewMetrics::Instance();
    }

    void TearDown() override
    {
        layer_.reset();
        manager_.reset();  // stops being current
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        D3DTestDevice::TearDown();
        ViewMetrics::Instance() = savedMetrics_;
    }

    // Puts a one-picture texture set under link in the manager.
    void AddPicture(const FileLinkValue& link, const ComPtr<IDirect3DTexture9>& texture, UINT w, UINT h)
    {
        TextureFrames& set = manager_->Store().textureSets[link];
        set.textures = {texture};
        set.SetSize(w, h);
    }

    // The bytes of ${CMAKE_BINARY_DIR}/fx/<stem>.fxo under link in the
    // manager's byte cache, as a document would hold them.
    void StoreEffect(const FileLinkValue& link, const char* stem)
    {
        ResourceBlob blob;
        blob.data = ReadBuiltEffect(stem);
        ASSERT_FALSE(blob.data.empty()) << stem << ".fxo is missing from the build";
        manager_->Store().byteCache[link] = {blob};
    }

    // A layer showing link in mode, built and made current as a slide does;
    // kind, when given, is the light kind to use instead of the plain layer.
    DS_2D_Light& MakeLayer(const FileLinkValue& link, int32_t mode, std::unique_ptr<DS_2D_Light> kind = nullptr)
    {
        layer_ = kind ? std::move(kind) : std::make_unique<DS_2D_Light>();
        layer_->PictureLink().StoreValue(link);
        layer_->RestoreDeviceObjects();
        layer_->Resize(1, 1);
        layer_->Resize(static_cast<int32_t>(BackBufferWidth()), static_cast<int32_t>(BackBufferHeight()));
        layer_->ResetCamera();
        layer_->ResetDeviceState();
        layer_->SetPicturePosition(mode);
        return *layer_;
    }

    // A layer showing a plain picture of one colour (0xAARRGGBB) stretched
    // over the whole back buffer, with the picture size the back buffer's:
    // picture pixels are back-buffer pixels.
    void ShowPlainPicture(const FileLinkValue& link, uint32_t argb)
    {
        AddPicture(link, MakeTexture(8, 8, [argb](UINT, UINT) { return argb; }), BackBufferWidth(),
                   BackBufferHeight());
        MakeLayer(link, RenderContext::kStretch);
        ViewMetrics::Instance().pictureWidth = static_cast<int32_t>(BackBufferWidth());
        ViewMetrics::Instance().pictureHeight = static_cast<int32_t>(BackBufferHeight());
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
    // Put back after each test: the layers write the process-wide record.
    ViewMetrics savedMetrics_;
};
