#include "objects/particles/CallbackParticle.h"

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
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, dt * kPi * Param(params, 0) / 180.0f);
    D3DXVec3TransformCoord(&orientation1, &orientation1, &rotation);
    D3DXVec3TransformCoord(&orientation2, &orientation2, &rotation);
}
