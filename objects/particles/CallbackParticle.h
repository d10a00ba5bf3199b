// A particle that counts its life down in seconds and runs a list of member
// callbacks with their parameters each update; used by the rate emitters.
// Its creator sets the life, the position and, for a spin, the orientation
// vectors: the constructor leaves the life at -1. The particle holds its
// callbacks in place, so emitters keep particles by value and making one
// allocates nothing.
#pragma once

#include <d3dx9math.h>

#include <array>
#include <cstddef>

class CallbackParticle;

struct ParticleCallback {
    // Parameters p0, p1; one not given reads as 0.
    static constexpr size_t kMaxParams = 2;
    using Params = std::array<float, kMaxParams>;
    using Member = void (CallbackParticle::*)(float dt, const Params& params);
    Params params{};
    Member member = nullptr;
};

class CallbackParticle {
public:
    CallbackParticle() = default;

    // The most callbacks a particle runs (the smoke's five).
    static constexpr size_t kMaxCallbacks = 5;
    using Callbacks = std::array<ParticleCallback, kMaxCallbacks>;

    // life -= dt, then every callback in list order; a slot without a
    // member is skipped.
    void Update(float dt);

    // position += velocity x dt + acceleration x dt^2 / 2; velocity += acceleration x dt.
    void ProcKinetic(float dt, const ParticleCallback::Params& params);
    // size += p0 x dt.
    void ProcGrow(float dt, const ParticleCallback::Params& params);
    // While life > p1: alpha += p0 x dt.
    void ProcFadeIn(float dt, const ParticleCallback::Params& params);
    // While life < p1: alpha -= p0 x dt.
    void ProcFadeOut(float dt, const ParticleCallback::Params& params);
    // Turns both orientation vectors about Z by dt x p0 degrees.
    void ProcSpin(float dt, const ParticleCallback::Params& params);

    float life = -1.0f;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 velocity{0.0f, -200.0f, 0.0f};
    D3DXVECTOR3 acceleration{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 orientation1{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 orientation2{0.0f, 0.0f, 0.0f};
    float size = 100.0f;
    float alpha = 1.0f;
    Callbacks callbacks{};
};
