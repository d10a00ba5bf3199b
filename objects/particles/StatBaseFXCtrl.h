// The effect sprites with a position: sprite items that draw their quads
// through an HLSL effect whose parameters they set just before every draw.
// DS_BaseFXCtrl is a record level with no fields of its own; the still form
// DS_StatBaseFXCtrl adds a position and a box size and draws through a
// DS_FXObj. The explosion and the text items are its kinds.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "engine/params/MediaParam.h"
#include "objects/sprites/FXParticleSystemCtrl.h"

class DS_ABRender;

class DS_BaseFXCtrl : public DS_FXParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_BaseFXCtrl";
    static constexpr int32_t kVersion = 1;

    // Header, then the "DS_FXParticleSystemCtrl" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // Header (name and version ignored), then the inner record. False
    // (archive failed) on short data.
    bool ReadBody(DS_IOF_Archive* ar);
};

class DS_StatBaseFXCtrl : public DS_BaseFXCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_StatBaseFXCtrl";
    static constexpr int32_t kVersion = 2;
    // The version that added the box size.
    static constexpr int32_t kBoxVersion = 2;

    // Position at the middle of the current picture; box 0 x 0.
    DS_StatBaseFXCtrl();
    DS_StatBaseFXCtrl(const DS_StatBaseFXCtrl& other) = default;

    // 6. A DS_FXObj around Clone(); the object loads the clone's effect.
    DS_ABObj* CreateObject() override;
    // 14. Effect sprites are never hit.
    bool HitTest(float, float) override { return false; }
    // 21. The effect of the link; the stored position stands.
    void LoadEffect() override;
    // Sets the effect's parameters just before the object draws with it.
    virtual void SetEffectParams(DS_ABRender* service) = 0;

    // Header, position, box height and width, then the "DS_BaseFXCtrl" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // Header, then the fields of the stored version (a version 1 record has
    // no box and leaves it as it is), then the inner record. Non-finite
    // coordinates read as 0. False (archive failed) on short data.
    bool ReadBody(DS_IOF_Archive* ar);

    MediaParamT<D3DXVECTOR3> position{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};  // picture pixels
    MediaParamT<unsigned> boxHeight{0};
    MediaParamT<unsigned> boxWidth{0};
};
