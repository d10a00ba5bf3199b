// Lightning flashes: tilted pictures that flash at full opacity, fade fast
// and flicker back, then stay dark for a pause drawn from the time line's
// invisible duration before lighting up somewhere else.
#pragma once

#include "objects/sprites/ParticleSystemCtrl.h"

class DS_LightingConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_LightingConstructor";
    static constexpr int32_t kVersion = 1;
    // Alpha lost per second of speed clock while lit.
    static constexpr float kFadeRate = 6.0f;
    // Seconds of speed clock between two chances of flickering back to 1.
    static constexpr float kFlickerInterval = 0.15f;
    // Dark pause, hundredths of a second.
    static constexpr unsigned kDefaultPauseMin = 100;
    static constexpr unsigned kDefaultPauseMax = 500;

    // Blend mode 1, the view flag set, time line cycling (mode 1) with
    // speed mode 0 and a dark pause of 1 to 5 s.
    DS_LightingConstructor();
    DS_LightingConstructor(const DS_LightingConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_LightingConstructor(*this); }
    // A point that keeps the sprite inside the rectangle (x, y), a tilt
    // within +-22.5 degrees, a mirror; alpha 0 (dark).
    void InitSprite(SpriteInstance& sprite) override;
    // The lit and dark cycle; the first timer holds the flicker (speed
    // clock) or the start of the dark pause (local time), the second the
    // pause length in seconds.
    void UpdateSprite(SpriteInstance& sprite) override;
    // The colour unchanged: the time line's opacity does not dim flashes.
    uint32_t ModulateAlpha(uint32_t argb) override { return argb; }

    // The sprite levels' record. The version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version) { return DS_BaseSpriteProp::ReadBody(ar); }
};
