// Sprites that stream in one direction with a side drift of their own:
// flows, and rain (a flow falling fast, with pulsing drops that are placed
// anew when they fade out). Each side of the item's area has its own edge
// behaviour (DS_BoundControl).
#pragma once

#include <d3dx9math.h>

#include <array>
#include <cstdint>

#include "engine/params/FunLightCtrl.h"
#include "engine/params/UINTSclaleTo.h"
#include "objects/sprites/BoundControl.h"
#include "objects/sprites/ParticleSystemCtrl.h"

class DS_FlowConstructor : public DS_ParticleSystemCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_FlowConstructor";
    static constexpr int32_t kVersion = 4;
    // What each stored version added.
    static constexpr int32_t kFlagVersion = 2;         // an orientation flag
    static constexpr int32_t kOrientationVersion = 3;  // the orientation mode
    static constexpr int32_t kBoundsVersion = 4;       // the four edge controls
    enum Orientation : int32_t { kUpright = 0, kTurned = 1, kMirrorByVx = 2, kMirrorByVy = 3 };
    static constexpr float kSideSpeedScale = 3.0f;
    static constexpr float kSideChangeScale = 0.25f;

    // Direction 0, no speed; each edge control bound to its side and this item.
    DS_FlowConstructor();
    // Copies the fields; the copy binds its edge controls and its direction
    // listener to itself, and the listener computes the vectors at once.
    DS_FlowConstructor(const DS_FlowConstructor& other);
    ~DS_FlowConstructor() override;

    void Write(DS_IOF_Archive* ar) override;
    DS_ABObj* CreateObject() override { return CreateSpriteArrayObject(); }
    DS_ParticleSystemCtrl* Clone() const override { return new DS_FlowConstructor(*this); }

    // Draws the side factor, then the point (x, y): three draws.
    void InitSprite(SpriteInstance& sprite) override;
    // Streams along the flow vector (times the direction factors) plus the
    // side drift, unless paused; the edge controls of sides 0 to 3 in turn
    // until one acts; the orientation; now and then a new side factor (one
    // draw when due, two when it changes).
    void UpdateSprite(SpriteInstance& sprite) override;
    // The count below 2; otherwise count x the time line's opacity,
    // truncated: flows fade by drawing fewer sprites.
    unsigned GetCount() override;

    // Flow rotation, flow vector and side vector from the angle (degrees)
    // and the current speed.
    void OnDirectionChanged(unsigned angle);
    // Attaches the direction listener and fires it once.
    void BindDirection();
    // Half extents and colour; then the axes by the orientation mode.
    void ApplyOrientation(SpriteInstance& sprite) const;

    void WriteBody(DS_IOF_Archive* ar) const;
    void WriteFields(DS_IOF_Archive* ar) const;
    bool ReadBody(DS_IOF_Archive* ar);
    // The fields of the stored version (no notification: the vectors stay
    // as they are until the item is copied), then the sprite level's record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const D3DXMATRIX& FlowRotation() const { return flowRotation_; }
    const D3DXVECTOR4& FlowVector() const { return flowVector_; }
    const D3DXVECTOR4& SideVector() const { return sideVector_; }

    MediaParamT<unsigned> direction{0};                              // degrees
    MediaFloat<unsigned> sideSpeed{0, kSideSpeedScale, 0.0f};        // derived: pixels per second
    MediaFloat<unsigned> sideChangeRate{0, kSideChangeScale, 0.0f};  // derived: changes per second
    float flowSpeed = 0.0f;                                          // picture pixels per second
    MediaParamT<int> orientation{kUpright};
    std::array<DS_BoundControl, 4> bounds;  // sides 0 top, 1 bottom, 2 left, 3 right

private:
    void BindBounds();

    D3DXMATRIX flowRotation_;
    D3DXVECTOR4 flowVector_{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 sideVector_{0.0f, 1.0f, 0.0f, 0.0f};
    DS_FunLightLinks directionListener_;
};

class DS_RainConstructor : public DS_FlowConstructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_RainConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr unsigned kDefaultDirection = 270;  // falling towards the bottom bound
    static constexpr float kDefaultSpeed = 2000.0f;
    static constexpr float kDefaultMinScale = 0.5f;
    static constexpr float kRainTurn = 4.712389f;  // a quarter turn the other way (3 pi / 2)

    DS_RainConstructor();
    DS_RainConstructor(const DS_RainConstructor& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    DS_ParticleSystemCtrl* Clone() const override { return new DS_RainConstructor(*this); }

    // The flow rule, then a random alpha (one more draw), the orientation
    // again and, when turned with the flow, a further quarter turn.
    void InitSprite(SpriteInstance& sprite) override;
    // The flow rule with alpha 1, then the pulse, which places a drop anew
    // when it fades below the minimum alpha.
    void UpdateSprite(SpriteInstance& sprite) override;
    // The complete flow record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const D3DXMATRIX& RainRotation() const { return rainRotation_; }

private:
    D3DXMATRIX rainRotation_;
};
