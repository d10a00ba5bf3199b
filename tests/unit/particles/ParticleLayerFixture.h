// Particle layers drawn for real under Wine: a picture layer on the 600 x
// 400 test device showing a grey picture over the whole back buffer, the
// build's particles effect stored as a document stores it, and the runtime
// objects of the items under test, updated and drawn a frame at a time.
#pragma once

#include <vector>

#include "engine/scene/CountedPtr.h"
#include "objects/particles/ParticleGenerator.h"
#include "objects/particles/ParticlesObj.h"
#include "unit/BuildFiles.h"
#include "unit/scene/Light2DTestFixture.h"

class ParticleLayerFixture : public Light2DFixture {
protected:
    static constexpr uint32_t kGrey = 0x404040;
    const FileLinkValue kPictureLink{L"particle-test-picture", 1};
    const FileLinkValue kEffectLink{L"particle-test-effect", 1};

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        picture_ = MakeTexture(8, 8, [](UINT, UINT) { return 0xFF000000u | kGrey; });
        AddPicture(kPictureLink, picture_, 600, 400);
        MakeLayer(kPictureLink, RenderContext::kStretch);
        ResourceBlob blob;
        blob.data = ReadBuiltEffect("document/particles");
        ASSERT_FALSE(blob.data.empty()) << "document/particles.fxo is missing from the build";
        manager_->Store().byteCache[kEffectLink] = {blob};
    }

    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
    }

    // The item's runtime object, drawn from now on.
    DS_ParticlesObj* Make(DS_ParticleGenerator& item)
    {
        auto* object = static_cast<DS_ParticlesObj*>(item.CreateObject());
        objects_.emplace_back(object);
        return object;
    }

    // A 16 x 16 white picture stored under kWhiteSpriteLink, so that sprites
    // show their colours; kept until the test ends.
    const FileLinkValue kWhiteSpriteLink{L"particle-test-white-sprite", 1};
    void AddWhiteSprite()
    {
        whiteSprite_ = MakeTexture(16, 16, [](UINT, UINT) { return 0xFFFFFFFFu; });
        AddPicture(kWhiteSpriteLink, whiteSprite_, 16, 16);
    }

    // Every object updated to t, then one frame as the slide composes it.
    void Frame(float t)
    {
        for (auto& object : objects_) object->Update(t);
        DrawFrame(objects_);
    }

    ComPtr<IDirect3DTexture9> picture_;
    ComPtr<IDirect3DTexture9> whiteSprite_;
    std::vector<CountedPtr<DS_ABObj>> objects_;
};
