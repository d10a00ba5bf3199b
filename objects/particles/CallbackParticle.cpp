#include "objects/particles/CallbackParticle.h"

#include <cmath>

#include "engine/params/Random.h"

void CallbackParticle::Update(float dt)
{
    life -= dt;
    for (const ParticleCallback& entry : callbacks) {
        if (entry.member) (this->*entry.member)(dt, entry.params);
    }
}

void CallbackParticle::ProcKinetic(float dt, const ParticleCallback::Params&)
{
    position += velocity * dt + acceleration * (dt * dt * 0.5f);
    velocity += acceleration * dt;
}

void CallbackParticle::ProcGrow(float dt, const ParticleCallback::Params& params)
{
    size += params[0] * dt;
}

void CallbackParticle::ProcFadeIn(float dt, const ParticleCallback::Params& params)
{
    if (life > params[1]) alpha += params[0] * dt;
}

void CallbackParticle::ProcFadeOut(float dt, const ParticleCallback::Params& params)
{
    if (life < params[1]) alpha -= params[0] * dt;
}

void CallbackParticle::ProcSpin(float dt, const ParticleCallback::Params& params)
{
    // A turn about z, written out: the same as the rotation matrix about z
    // applied to both vectors, without building a matrix per particle.
    const float angle = dt * kPi * params[0] / 180.0f;
    const float c = std::cos(angle), s = std::sin(angle);
    const auto turn = [c, s](D3DXVECTOR3& v) { v = D3DXVECTOR3(v.x * c - v.y * s, v.x * s + v.y * c, v.z); };
    turn(orientation1);
    turn(orientation2);
}
