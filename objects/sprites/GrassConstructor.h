// Grass: blades standing on the bottom bound of the rectangle that sway by
// shearing about their roots.
#pragma once

#include "objects/sprites/ParticleSystemCtrl.h"

class DS_GrassConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_GrassConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr float kDefaultSwayAmplitude = 3.0f;

    // Sway amplitude 3 degrees, time-line speed mode 2.
    DS_GrassConstructor();
    DS_GrassConstructor(const DS_GrassConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_GrassConstructor(*this); }
    // Draws, in order: the root x, the phase, the mirror. The root x is kept
    // in the velocity's z, the phase in its y.
    void InitSprite(SpriteInstance& sprite) override;
    // Shears the blade by the sway (SwayShear) with its foot at the root.
    // The colour packed at creation stays.
    void UpdateSprite(SpriteInstance& sprite) override;
    uint32_t ModulateAlpha(uint32_t argb) override;

    // The sway amplitude (non-finite reads as 0), then the sprite levels'
    // record. The version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    float swayAmplitude = kDefaultSwayAmplitude;  // degrees
};
