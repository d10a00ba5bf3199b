// Fireworks: sparks shot from the origin point in every direction of space,
// one burst each time the time line makes the item visible, or a steady
// stream of sparks when the time line is always visible. Sparks leave trails
// that fade and grow. Sparks and trails are drawn as sprites in one layer and
// as larger glow sprites in a second, and the two layers are added over the
// scene (the two-layer render, also used by the lightning).
//
// DS_Firework is the abstract level (it has no record of its own);
// DS_FireworkSimple is the stored kind and supplies the spark and trail
// particles. The rate emitter's stored life, rate, size and sector are kept
// but unused: its speed drives the sparks and its origin is the burst point.
#pragma once

#include <cstdint>

#include "objects/particles/StaticGenerator.h"

class DS_Firework : public DS_ParticleOriginGenerator {
public:
    DS_Firework();
    DS_Firework(const DS_Firework& other) = default;

    // The two-layer render of buffers 0 (sparks and trails) and 1 (their
    // glows), both with picture 0.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // The emitter speed's clock, Emit with its last step, FillBuffers.
    void Update(float t, DS_ParticlesObj* object) override;
    // The textured level's InitObject, the private target, no stored
    // particles, the lists reserved for MostSparksAlive and their trails,
    // two buffers.
    void InitObject(DS_ParticlesObj* object) override;
    // Most sparks alive at once: in a stream, the burst count over half a
    // second with kSpareSeconds to spare; in bursts, the count for each
    // cycle a spark's life spans at the emitter speed and one more
    // (unbounded when the speed is 0 or less).
    double MostSparksAlive() const;
    // The render redraws the whole picture from the scene texture: true
    // whenever it composes (an effect and a ready private target), whatever
    // the blend mode; without them the sprites are drawn plainly.
    bool NeedsSceneTexture() const override { return CanCompose(); }

    // Gives a new spark its life of `life` seconds and its motion; the
    // result is not used.
    virtual float InitBurstParticle(PParticle& particle, float life) = 0;

    // Advances sparks and trails by dt, emits trails, then one burst at the
    // first visible update after an invisible phase (time-line modes other
    // than 0; the sparks live one cycle), or in mode 0 one spark every
    // 0.5 / burst count seconds of the emitter clock living 0.5 s. Sparks
    // and trails together stop at kMaxParticles.
    void Emit(float dt);
    // Buffer 0: a sprite per spark, then per trail particle; buffer 1 their
    // glows, in the same order. One discard lock per buffer.
    void FillBuffers(DS_ParticlesObj* object);

    // The two-layer render of buffers 0 and 1 with picture 0, for every
    // kind that draws sprites and glows that way.
    static void RenderTwoLayers(DS_ABRender* service, DS_TexParticleGenerator* generator, DS_ParticlesObj* object);

    MediaParamT<unsigned> burstCount;
    MediaParamT<unsigned> sparkSize;
    UINTSclaleTo<float> burstSpeed{0u, 4.0f, 0.0f};
    UINTSclaleTo<float> glowFactor{0u, 0.04f, 1.0f};
    // Not stored: sparks fly in straight lines.
    UINTSclaleTo<float> gravity{0u, 4.0f, 0.0f};
    bool burstDue = true;
    float nextStreamTime = 0.0f;
};

class DS_FireworkSimple : public DS_Firework {
public:
    static constexpr const wchar_t* kClassName = L"DS_FireworkSimple";
    static constexpr int32_t kVersion = 1;

    DS_FireworkSimple() = default;
    DS_FireworkSimple(const DS_FireworkSimple& other) = default;

    DS_ParticleGenerator* Clone() const override { return new DS_FireworkSimple(*this); }
    // Life 0, size 1, a life clock of `life` seconds and a motion at the
    // burst speed in a random direction (two draws).
    float InitBurstParticle(PParticle& particle, float life) override;
    // A trail particle starts at the time line's opacity, fades by 1 and
    // grows by the trail size over the trail life, and drifts at up to the
    // trail speed. Draws: the speed, then the direction's two.
    void InitParticle(PParticle& trail, const PParticle& source) override;

    // Header "DS_FireworkSimple" version 1, the burst fields, the emitter
    // fields (without their header), the textured level's record.
    void Write(DS_IOF_Archive* ar) override;
    // Every version is read the same.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
};
