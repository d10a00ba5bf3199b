// Brush tests on a real device: a picture layer with a picture of a chosen
// size, the current resource manager, a recording effect placed in the
// manager's effect cache under a link, and a plain brush kind that draws
// with the base's shared operations.
#pragma once

#include <memory>

#include "effects/brushes/FXConstructor.h"
#include "unit/brushes/RecordingEffect.h"
#include "unit/scene/Light2DTestFixture.h"

// The smallest concrete brush: RenderCommon (mode 0) or SetCommonParams with
// RenderMesh (mode 1).
class PlainBrush : public DS_FX_Constructor {
public:
    int mode = 0;
    void Render(DS_ABRender* service) override
    {
        if (mode == 0) {
            RenderCommon(service);
        } else {
            SetCommonParams(service);
            RenderMesh(service);
        }
    }
    void Init(MaskEntry& mask) override
    {
        DS_FX_Constructor::Init(mask);
        if (mode == 1) {
            BuildGrid(2, 2);
            BuildGeometry();
        }
    }
    DS_FX_Constructor* Clone() const override { return new PlainBrush(*this); }
    bool ReadFields(DS_IOF_Archive* ar, int32_t) { return DS_FX_Constructor::ReadBody(ar); }
};

class BrushFixture : public Light2DFixture {
protected:
    const FileLinkValue kPictureLink{L"brush-test-picture", 1};
    const FileLinkValue kEffectLink{L"brush-test-effect", 1};

    // A layer showing a w x h picture (a small texture standing for it).
    DS_2D_Light& MakePictureLayer(UINT w, UINT h)
    {
        picture_ = MakeTexture(8, 8, [](UINT, UINT) { return 0xFF808080u; });
        AddPicture(kPictureLink, picture_, w, h);
        return MakeLayer(kPictureLink, RenderContext::kStretch);
    }

    // A recorder under link in the manager's effect cache (the cache holds
    // one reference, the returned pointer is borrowed).
    RecordingEffect* AddRecorder(const FileLinkValue& link)
    {
        auto* effect = new RecordingEffect;
        manager_->Store().effects[link].Attach(effect);
        return effect;
    }

    // The runtime object of item, built as a slide builds it and kept in
    // the fixture's object list (the pointer is borrowed).
    DS_BrushObj* MakeObject(DS_FX_Constructor& item)
    {
        auto* object = static_cast<DS_BrushObj*>(item.CreateObject());
        objects_.emplace_back(object);
        return object;
    }

    // Draws the object list through the layer as a slide does (outside a
    // scene: the recorder sees the effect calls, the device draws nothing).
    void RenderObjects(DS_2D_Light& layer)
    {
        int32_t n = 0;
        for (auto& object : objects_)
            if (object->NeedsSceneTexture()) ++n;
        layer.RenderObjects(objects_, n);
    }

    void TearDown() override
    {
        objects_.clear();  // before the manager that holds their effects
        Light2DFixture::TearDown();
    }

    ComPtr<IDirect3DTexture9> picture_;
    std::vector<CountedPtr<DS_ABObj>> objects_;
};
