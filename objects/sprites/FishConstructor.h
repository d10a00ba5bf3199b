// Sprites that swim to and fro across the item's area and turn at its
// edges: fish, birds (which never fly slowly) and ghosts (which fade with
// the item's time line and are placed anew while it is invisible).
#pragma once

#include <cstdint>

#include "objects/sprites/ParticleSystemCtrl.h"

class DS_FishConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_FishConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr float kDefaultMaxSpeedX = 80.0f;
    static constexpr float kDefaultMaxSpeedY = 50.0f;
    // Local seconds between two chances of a new speed.
    static constexpr float kSpeedChangeInterval = 1.0f;

    DS_FishConstructor() = default;
    DS_FishConstructor(const DS_FishConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_FishConstructor(*this); }

    // Draws vx, vy, then the point (x, y): four draws. Mirrored when it
    // swims towards smaller x. The colour is packed here only.
    void InitSprite(SpriteInstance& sprite) override;
    // Moves, turns back when fully outside the left or right bound or when
    // crossing the top or bottom bound, and once a local second may take a
    // new speed with the same heading (one draw, three when it does).
    void UpdateSprite(SpriteInstance& sprite) override;

    void WriteBody(DS_IOF_Archive* ar) const;
    void WriteFields(DS_IOF_Archive* ar) const;
    bool ReadBody(DS_IOF_Archive* ar);
    // The two speeds, then the sprite level's record; the version is not
    // consulted (there is one).
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    float maxSpeedX = kDefaultMaxSpeedX;  // picture pixels per second
    float maxSpeedY = kDefaultMaxSpeedY;
};

class DS_BirdConstructor : public DS_FishConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_BirdConstructor";
    static constexpr int32_t kVersion = 1;
    // Below this share of the maximum a speed counts as slow.
    static constexpr float kSlowShare = 0.7f;

    void Write(DS_IOF_Archive* ar) override;
    DS_ParticleSystemCtrl* Clone() const override { return new DS_BirdConstructor(*this); }
    // The fish rule; then a slow vertical speed becomes a rising one between
    // 0.4 and 1.0 of the maximum (no draw), and a slow horizontal one a new
    // one between 0.7 and 1.0 of the maximum with the same heading (one draw).
    void UpdateSprite(SpriteInstance& sprite) override;
    // The complete fish record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
};

class DS_GhostConstructor : public DS_FishConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_GhostConstructor";
    static constexpr int32_t kVersion = 2;
    // Version 1 records predate the ghost's own time line settings.
    static constexpr int32_t kTimeLineVersion = 2;
    static constexpr uint32_t kUpgradeFadeHundredths = 150;
    // The ghost's own defaults.
    static constexpr float kGhostMaxSpeed = 50.0f;
    static constexpr float kGhostPulseSpeed = 0.66f;
    static constexpr unsigned kGhostTransparency = 50;

    DS_GhostConstructor();
    DS_GhostConstructor(const DS_GhostConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ParticleSystemCtrl* Clone() const override { return new DS_GhostConstructor(*this); }
    // The fish rule, then a random alpha (one more draw).
    void InitSprite(SpriteInstance& sprite) override;
    // The fish rule; placed anew while the time line is invisible; alpha is
    // the time line's opacity and the colour is packed with it (the sprite
    // level's ModulateAlpha applies the opacity a second time).
    void UpdateSprite(SpriteInstance& sprite) override;
    // The complete fish record; a version-1 record then gets a cycling time
    // line with no invisible or visible time and 1.5 s fades.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    void UpgradeVersion1();
};
