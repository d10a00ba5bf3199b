// A picture sequence shown as a number of sprites that wander at random
// inside the generator's rectangle, each moved by a PBrownian process that
// reads the item's wander settings afresh at every step.
#pragma once

#include <cstdint>

#include "objects/particles/ParticleRctRgnGenerator.h"

class DS_BrownAnimation : public DS_ParticleRctRgnGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_BrownAnimation";
    static constexpr int32_t kVersion = 1;

    DS_BrownAnimation();
    // Every parameter and the sprites; the copy's wander settings (and the
    // processes of its sprites) refer to the copy's own rectangle and
    // parameters.
    DS_BrownAnimation(const DS_BrownAnimation& other);
    DS_BrownAnimation& operator=(const DS_BrownAnimation&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // The first sequence drawn plainly.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // The first sequence steps forward with t, the generator level moves
    // every sprite, then Populate and FillBuffer.
    void Update(float t, DS_ParticlesObj* object) override;
    // The textured level's InitObject, no sprites, one quad buffer: sprites
    // appear at the first update.
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_BrownAnimation(*this); }

    // The sprite count, at most kMaxParticles.
    size_t TargetCount() const;
    // Cuts the sprite list to the count (the newest go) or tops it up with
    // sprites at random points of the rectangle, each with a new PBrownian.
    // Draws per new sprite, in order: RandomPointInRect's two, then the
    // PBrownian's three.
    void Populate();
    // Buffer 0 := one axis-aligned quad per sprite, in list order, centred on
    // it, sprite scale x the first sequence's picture size, in the particle
    // colour. Sprites whose position is not finite are left out; nothing
    // without a picture in the first sequence.
    void FillBuffer(DS_ParticlesObj* object);

    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    MediaParamT<unsigned> spriteCount{0u};
    UINTSclaleTo<float> spriteScale{0u, 0.01f, 0.0f};
    UINTSclaleTo<float> wanderSpeed{0u, 0.04f, 0.0f};
    // Seconds.
    UINTSclaleTo<float> wanderPeriod{0u, 0.08f, 0.25f};
    // Seconds.
    UINTSclaleTo<float> steeringTime{0u, 0.02f, 0.02f};
    // Handed to every sprite's PBrownian; refers to this item's members.
    BrownianSteering steering;

private:
    void BindSteering();
};
