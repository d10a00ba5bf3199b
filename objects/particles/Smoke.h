// Smoke: a rate emitter whose particles drift with a sideways acceleration,
// grow, fade in and out and spin, drawn plainly with picture 0.
#pragma once

#include <cstdint>

#include "objects/particles/StaticGenerator.h"

class DS_Smoke : public DS_ParticleOriginGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_Smoke";
    static constexpr int32_t kVersion = 1;
    // Emission before the first frame: this many steps of kPreEmissionStep.
    static constexpr int kPreEmissionSteps = 100;
    static constexpr float kPreEmissionStep = 0.05f;

    DS_Smoke() = default;
    DS_Smoke(const DS_Smoke& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override { RenderPlain(service, this, object); }
    // Emits by the speed's step, then buffer 0 gets one square per particle
    // in list order (none when the list is empty).
    void Update(float t, DS_ParticlesObj* object) override;
    // The textured level's InitObject, one buffer, the particle list
    // reserved, then 5 s of emission.
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_Smoke(*this); }
    // The emitter's particle (one draw), with the x acceleration and the
    // callbacks kinetic, grow (1 / life), fade-in (5 x opacity while life >
    // 0.8 life), fade-out (1 while life < life at birth) and spin (one draw,
    // -50 to 50 degrees a second); size 0.5, alpha 0; both orientation
    // vectors turned by a random angle (one draw). A life of 0 or less
    // does not grow.
    CallbackParticle NewParticle() override;

    // Buffer 0 := the particles' squares. A particle with a non-finite
    // position or size gets an empty quad.
    void FillBuffer(DS_ParticlesObj* object);

    // X acceleration, then the emitter's fields without their header (which
    // end with the textured level's record). The version is not looked at.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Pixels per second squared: value 50 gives 0.
    UINTSclaleTo<float> xAcceleration{0u, 2.0f, -100.0f};
};
