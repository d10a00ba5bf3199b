// A particle that counts its life down in seconds and runs a list of member
// callbacks with parameter vectors each update; used by the rate emitters.
// Its creator sets the life, the position and, for a spin, the orientation
// vectors: the constructor leaves the life at -1.
#pragma once

#include <d3dx9math.h>

#include <vector>

class CallbackParticle;

struct ParticleCallback {
    using Member = void (CallbackParticle::*)(float dt, const std::vector<float>& params);
    std::vector<float> params;  // p0, p1, ...
    Member member = nullptr;
};

class CallbackParticle {
public:
    CallbackParticle() = default;

    // life -= dt, then every callback in list order.
    void Update(float dt);

    // position += velocity x dt + acceleration x dt^2 / 2; velocity += acceleration x dt.
    void ProcKinetic(float dt, const std::vector<float>& params);
    // size += p0 x dt.
    void ProcGrow(float dt, const std::vector<float>& params);
    // While life > p1: alpha += p0 x dt.
    void ProcFadeIn(float dt, const std::vector<float>& params);
    // While life < p1: alpha -= p0 x dt.
    void ProcFadeOut(float dt, const std::vector<float>& params);
    // Turns both orientation vectors about Z by dt x p0 degrees.
    void ProcSpin(float dt, const std::vector<float>& params);

    float life = -1.0f;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 velocity{0.0f, -200.0f, 0.0f};
    D3DXVECTOR3 acceleration{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 orientation1{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 orientation2{0.0f, 0.0f, 0.0f};
    float size = 100.0f;
    float alpha = 1.0f;
    std::vector<ParticleCallback> callbacks;
};
