// Sprite systems drawn for real through the picture layer: a picture
// stretched over the 600 x 400 back buffer with the process-wide picture
// size set to 600 x 400, so picture pixels are back-buffer pixels; the
// runtime objects made by a test, updated and drawn one frame at a time.
#pragma once

#include <vector>

#include "engine/render/ViewMetrics.h"
#include "engine/scene/CountedPtr.h"
#include "unit/scene/Light2DTestFixture.h"

class SpriteDrawFixture : public Light2DFixture {
protected:
    const FileLinkValue kPictureLink{L"sprite-test-picture", 1};

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
    }

    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
    }

    // The layer shows a picture of one colour (0xRRGGBB) over the whole view.
    void MakeBackground(uint32_t colour)
    {
        background_ = MakeTexture(8, 8, [colour](UINT, UINT) { return 0xFF000000u | colour; });
        AddPicture(kPictureLink, background_, 600, 400);
        MakeLayer(kPictureLink, RenderContext::kStretch);
        ViewMetrics::Instance().pictureWidth = 600;
        ViewMetrics::Instance().pictureHeight = 400;
    }

    // The runtime object of item, replacing the ones made before.
    template <class Object, class Item>
    Object& BuildObject(Item& item)
    {
        objects_.clear();
        auto* object = static_cast<Object*>(item.CreateObject());
        objects_.emplace_back(object);
        return *object;
    }

    // Every object updated to local time t, then one frame.
    void Frame(float t)
    {
        for (auto& object : objects_) object->Update(t);
        DrawFrame(objects_);
    }

    bool PixelIs(UINT x, UINT y, uint32_t colour)
    {
        const uint32_t pixel = ReadPixel(x, y);
        EXPECT_TRUE(Near(pixel, colour)) << "(" << x << ", " << y << ") is " << std::hex << pixel << ", not "
                                         << colour;
        return Near(pixel, colour);
    }

    ComPtr<IDirect3DTexture9> background_;
    std::vector<CountedPtr<DS_ABObj>> objects_;
};
