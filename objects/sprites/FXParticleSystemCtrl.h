// The sprite level that draws with an HLSL effect: an effect link and the
// effect loaded from it. Glowing sprites and the effect sprites with a
// position build on it; it is never stored on its own, only as the inner
// record of those kinds.
#pragma once

#include <d3dx9.h>

#include "engine/resources/ComPtr.h"
#include "engine/resources/FileLink.h"
#include "objects/sprites/ParticleSystemCtrl.h"

class DS_FXParticleSystemCtrl : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_FXParticleSystemCtrl";
    static constexpr int32_t kVersion = 1;
    // The sibling library that holds the default effects and pictures.
    static constexpr const wchar_t* kEffectModule = L"common_res.dll";

    DS_FXParticleSystemCtrl() = default;
    // Copies the link and takes a further reference on the effect.
    DS_FXParticleSystemCtrl(const DS_FXParticleSystemCtrl& other) = default;

    // 6. The moving form: a DS_SpriteArrayObj around Clone().
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }

    // 21. The effect of the link from the current resource manager; null
    // without a manager or when the effect cannot be made.
    virtual void LoadEffect();

    // Header, the effect link, then the "DS_BaseSpriteProp" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // Header, the effect link, then DS_BaseSpriteProp::ReadBody. False
    // (archive failed) when the record runs short.
    bool ReadBody(DS_IOF_Archive* ar);

    ID3DXEffect* Effect() const { return effect_.Get(); }

    DS_HLSLEffectFile effectLink;

protected:
    ComPtr<ID3DXEffect> effect_;
};
