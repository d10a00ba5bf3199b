// Fog patches: sprites that drift across the item's area, bounce when their
// centre leaves it, pulse between the item's alpha bounds and turn slowly
// by a small angle of their own.
#pragma once

#include <cstdint>

#include "objects/sprites/ParticleSystemCtrl.h"

class DS_FogConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_FogConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr float kDefaultMaxSpeed = 40.0f;
    // The turn per update is drawn in [-kMaxTurn, kMaxTurn) radians.
    static constexpr float kMaxTurn = 0.004f;
    static constexpr float kDefaultMinAlpha = 0.2f;
    static constexpr unsigned kDefaultTransparency = 50;

    DS_FogConstructor();
    DS_FogConstructor(const DS_FogConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_FogConstructor(*this); }

    // Draws the point (x, y), vx, vy, alpha and the turn: six draws.
    void InitSprite(SpriteInstance& sprite) override;
    // Moves, pulses, bounces on its centre, turns, packs its colour. No draw.
    void UpdateSprite(SpriteInstance& sprite) override;

    // The two speeds, then the sprite level's record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    float maxSpeedX = kDefaultMaxSpeed;  // picture pixels per second
    float maxSpeedY = kDefaultMaxSpeed;
};
