// Generator levels that give a particle effect a place in the picture: an
// origin point (DS_StaticGenerator), and on it a rate-driven emitter of
// callback particles inside a direction sector (DS_ParticleOriginGenerator).
// Neither is a document class of its own: they are read as levels of the
// effects built on them. The stored origin always stands (the player's items
// are never new), so InitObject stays the textured level's.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/params/MediaDirection.h"
#include "objects/particles/CallbackParticle.h"
#include "objects/particles/TexParticleGenerator.h"

class DS_StaticGenerator : public DS_TexParticleGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_StaticGenerator";
    static constexpr int32_t kVersion = 1;

    DS_StaticGenerator() = default;
    DS_StaticGenerator(const DS_StaticGenerator& other) = default;

    // Header "DS_StaticGenerator" version 1, the origin (three floats), the
    // textured level's record. Reading stores non-finite coordinates as 0.
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);

    MediaParamT<D3DXVECTOR3> origin;

protected:
    // The three origin floats on their own (the rate emitter stores them
    // inside its own fields).
    void WriteOrigin(DS_IOF_Archive* ar) const;
    bool ReadOrigin(DS_IOF_Archive* ar);
};

class DS_ParticleOriginGenerator : public DS_StaticGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_ParticleOriginGenerator";
    static constexpr int32_t kVersion = 1;

    DS_ParticleOriginGenerator() = default;
    // The parameters, the speed with its clock and the accumulator; a copy
    // starts with no particles.
    DS_ParticleOriginGenerator(const DS_ParticleOriginGenerator& other);

    // The speed's clock, then EmitByRate with its last step.
    void Update(float t, DS_ParticlesObj* object) override;
    // The slot after Clone: a new particle of the kind. The base rule gives
    // the particle life, a velocity of 100 in a random direction of the
    // sector (one draw) and the origin as position, and no callbacks.
    virtual CallbackParticle NewParticle();
    // Reserves the particle list for what the rate and the life keep alive,
    // with kSpareSeconds of emission to spare for a long frame (at most
    // kMaxParticles), so that emission in play does not grow it.
    void ReserveParticles();

    // Updates the particles, adds dt to the accumulator and emits one
    // particle for each whole interval 1 / (opacity x rate) it holds
    // (strictly more than one interval). At kMaxParticles particles the time
    // still owed is dropped, so a tiny interval cannot keep the loop going.
    void EmitByRate(float dt);
    // Updates every particle; those whose life fell below 0 leave the list
    // (order kept).
    void UpdateParticles(float dt);

    // Header "DS_ParticleOriginGenerator" version 1, the fields, the
    // textured level's record (the static level is stored without a header
    // of its own: its origin is among the fields).
    void WriteBody(DS_IOF_Archive* ar);
    void WriteFields(DS_IOF_Archive* ar);
    // The fields of the version (all versions read the same), then the
    // textured level's record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    const std::vector<CallbackParticle>& Particles() const { return particles_; }
    float Accumulator() const { return accumulator_; }
    void SetAccumulator(float seconds) { accumulator_ = seconds; }

    // Seconds = value x 0.04.
    UINTSclaleTo<float> particleLife{0u, 0.04f, 0.0f};
    MediaParamT<unsigned> rate;
    MediaParamT<unsigned> particleSize;
    // Direction and spread in degrees; only the direction is stored.
    MediaSector sector;
    MediaSpeedParam speed{0u, 0.02f, 0.0f};

protected:
    std::vector<CallbackParticle> particles_;
    float accumulator_ = 0.0f;
};
