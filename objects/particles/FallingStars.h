// Falling stars: stars appear at random points of a rectangle, fade in,
// drift in one direction while they spin, leave trails and fade out. Every
// star and trail particle is drawn as a sharp sprite and as a larger glow;
// the two layers are added over the scene by the two-layer render.
#pragma once

#include <cstdint>

#include "engine/params/MediaDirection.h"
#include "objects/particles/ParticleRctRgnGenerator.h"

class DS_FallingStars : public DS_ParticleRctRgnGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_FallingStars";
    static constexpr int32_t kVersion = 1;
    // Pictures: star, trail, star glow, trail glow. Buffers: star sprites,
    // trail sprites, star glows, trail glows.
    static constexpr size_t kStarPicture = 0, kTrailPicture = 1, kStarGlowPicture = 2, kTrailGlowPicture = 3;
    static constexpr size_t kStarBuffer = 0, kTrailBuffer = 1, kStarGlowBuffer = 2, kTrailGlowBuffer = 3;

    DS_FallingStars();
    DS_FallingStars(const DS_FallingStars& other) = default;

    // Stars and trails into the sharp layer, their glows into the glow
    // layer, added over the scene (plainly, glows first, without an effect).
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // Simulates, emits trails and stars, fills the buffers.
    void Update(float t, DS_ParticlesObj* object) override;
    // The textured level's InitObject, the private target, no stored
    // stars, the lists reserved for the most stars the rate and the star
    // life keep alive and their trails, four buffers.
    void InitObject(DS_ParticlesObj* object) override;
    // The render redraws the whole picture from the scene texture whenever
    // it composes (an effect and a ready private target).
    bool NeedsSceneTexture() const override { return CanCompose(); }
    DS_ParticleGenerator* Clone() const override { return new DS_FallingStars(*this); }

    // Trails owed at the clock, then k := star rate x the time since the
    // last star emission (whole stars) and one draw for n in 0 to 2k; each
    // star made draws its point (y, x), its angle and its spin sign. Stars
    // and trails each stop at kMaxParticles; a star not made draws nothing.
    void EmitStars();
    // Stars (rotated) and their glows (not rotated) into buffers 0 and 2,
    // trails and their glows into 1 and 3, faded by the time line's
    // opacity; one discard lock per buffer.
    void FillBuffers(DS_ParticlesObj* object);

    // Header "DS_FallingStars" version 1, the eight fields, the rectangle
    // without its level's header, the textured level's record.
    void Write(DS_IOF_Archive* ar) override;
    // Every version is read the same.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Units per second.
    UINTSclaleTo<float> fallSpeed{0u, 8.0f, 0.0f};
    // Mean new stars per second.
    PerSecondCounterRnd starRate{0u, 0.02f, 0.0f};
    float lastStarTime = 0.0f;
    MediaDirection direction;
    // Sprite side in pixels.
    MediaParamT<unsigned> starSize;
    // Glow side relative to the sprite: 1 + value / 25.
    UINTSclaleTo<float> glowFactor{0u, 0.04f, 1.0f};
    TimeParam showTime;
    TimeParam fadeInTime;
    TimeParam fadeOutTime;
};
