#include "objects/particles/CallbackParticle.h"

#include <cmath>

#include "engine/params/Random.h"

namespace {

// A missing parameter reads as 0 rather than past the vector's end.
float Param(const std::vector<float>& params, size_t i)
{
    return i < params.size() ? params[i] : 0.0f;
}

}  // namespace

void CallbackParticle::Update(float dt)
{
    life -= dt;
    for (const ParticleCallback& entry : callbacks) {
        if (entry.member) (this->*entry.member)(dt, entry.params);
    }
}

void CallbackParticle::ProcKinetic(float dt, const std::vector<float>&)
{
    position += velocity * dt + acceleration * (dt * dt * 0.5f);
    velocity += acceleration * dt;
}

void CallbackParticle::ProcGrow(float dt, const std::vector<float>& params)
{
    size += Param(params, 0) * dt;
}

void CallbackParticle::ProcFadeIn(float dt, const std::vector<float>& params)
{
    if (life > Param(params, 1)) alpha += Param(params, 0) * dt;
}

void CallbackParticle::ProcFadeOut(float dt, const std::vector<float>& params)
{
    if (life < Param(params, 1)) alpha -= Param(params, 0) * dt;
}

void CallbackParticle::ProcSpin(float dt, const std::vector<float>& params)
{
    // A turn about z, written out: the same as the rotation matrix about z
    // applied to both vectors, without building a matrix per particle.
    const float angle = dt * kPi * Param(params, 0) / 180.0f;
    const float c = std::cos(angle), s = std::sin(angle);
    const auto turn = [c, s](D3DXVECTOR3& v) { v = D3DXVECTOR3(v.x * c - v.y * s, v.x * s + v.y * c, v.z); };
    turn(orientation1);
    turn(orientation2);
}
