// God rays: slanted quads as high as the picture that drift sideways, take a
// new random drift now and then, and pulse; a ray that fades out is placed
// anew.
#pragma once

#include "objects/sprites/ParticleSystemCtrl.h"

class DS_GodRayConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_GodRayConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr unsigned kDefaultRayAngle = 80;
    // Seconds of speed clock between two chances of a new drift.
    static constexpr float kDriftInterval = 0.25f;
    // Sideways drift, picture pixels per second, drawn in [-kMaxDrift, kMaxDrift].
    static constexpr float kMaxDrift = 10.0f;

    DS_GodRayConstructor();
    DS_GodRayConstructor(const DS_GodRayConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_GodRayConstructor(*this); }
    // Draws, in order: x, the drift, the alpha.
    void InitSprite(SpriteInstance& sprite) override;
    // Draws one number every kDriftInterval (and the drift when it is odd),
    // then whatever a re-placing InitSprite draws.
    void UpdateSprite(SpriteInstance& sprite) override;

    // The ray angle, then the sprite levels' record. The version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Half width size / 2 (the sprite's scale is not applied), half height
    // half the picture height, first axis (1, 0, 0) and the second axis
    // leaning by the ray angle: (1 / tan t, 1, 0) with t = 180 - angle
    // (angles below 180) or 360 - angle degrees; at 0 and 180, where the
    // tangent vanishes, ClampedShear's finite lean.
    void SetRayShape(SpriteInstance& sprite) const;

    // Degrees; 90 is upright. Not limited.
    MediaParamT<unsigned> rayAngle{kDefaultRayAngle};
};
