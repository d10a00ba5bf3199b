// Sparkles: small glints that drift, pulse and grow as they brighten; a
// sparkle that fades out is placed anew.
#pragma once

#include "objects/sprites/ParticleSystemCtrl.h"

class DS_SparkleConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_SparkleConstructor";
    static constexpr int32_t kVersion = 1;
    // Each velocity component is drawn in [-kMaxDrift, kMaxDrift] pixels per second.
    static constexpr float kMaxDrift = 25.0f;

    // The view flag set, time-line speed mode 0.
    DS_SparkleConstructor();
    DS_SparkleConstructor(const DS_SparkleConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_SparkleConstructor(*this); }
    // Draws, in order: vx, vy, the point (x, y), the alpha.
    void InitSprite(SpriteInstance& sprite) override;
    // Moves, pulses (re-placing), packs the colour, then sizes the quad by
    // the alpha: d = scale x size / 2; half width d / 2 x (1 + alpha), half
    // height alpha x half width / 2 + d / 2.
    void UpdateSprite(SpriteInstance& sprite) override;

    // The sprite levels' record. The version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version) { return DS_BaseSpriteProp::ReadBody(ar); }
};
