#include "objects/particles/Smoke.h"

#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

namespace {

constexpr float kRandScale = 1.0f / static_cast<float>(kRandMax);

}  // namespace

void DS_Smoke::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    xAcceleration.Write(*ar);
    DS_ParticleOriginGenerator::WriteFields(ar);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_Smoke::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    xAcceleration.Read(*ar);
    if (ar->Failed()) return false;
    return DS_ParticleOriginGenerator::ReadFields(ar, DS_ParticleOriginGenerator::kVersion);
}

CallbackParticle DS_Smoke::NewParticle()
{
    CallbackParticle p = DS_ParticleOriginGenerator::NewParticle();
    const float life = p.life;
    p.acceleration.x = xAcceleration.GetDerived();
    const float growth = life > 0.0f ? 1.0f / life : 0.0f;
    const float opacity = TimeLine().GetAlpha();
    p.callbacks = {{
        {{}, &CallbackParticle::ProcKinetic},
        {{growth}, &CallbackParticle::ProcGrow},
        {{5.0f * opacity, 0.8f * life}, &CallbackParticle::ProcFadeIn},
        {{1.0f, life}, &CallbackParticle::ProcFadeOut},
        {{static_cast<float>(DS_Rand()) * kRandScale * 100.0f - 50.0f}, &CallbackParticle::ProcSpin},
    }};
    p.size = 0.5f;
    p.alpha = 0.0f;
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, DegreesToRadians(static_cast<float>(DS_Rand()) * kRandScale * 360.0f));
    const D3DXVECTOR3 x(1.0f, 0.0f, 0.0f), y(0.0f, 1.0f, 0.0f);
    D3DXVec3TransformCoord(&p.orientation1, &x, &turn);
    D3DXVec3TransformCoord(&p.orientation2, &y, &turn);
    return p;
}

void DS_Smoke::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    if (object) object->SetBufferCount(1);
    ReserveParticles();
    for (int i = 0; i < kPreEmissionSteps; ++i) EmitByRate(kPreEmissionStep);
}

void DS_Smoke::Update(float t, DS_ParticlesObj* object)
{
    DS_ParticleOriginGenerator::Update(t, object);
    FillBuffer(object);
}

void DS_Smoke::FillBuffer(DS_ParticlesObj* object)
{
    if (!object || object->BufferCount() < 1) return;
    object->ReserveQuads(0, static_cast<unsigned>(particles_.size()));
    if (object->QuadCount(0) == 0) return;
    DX_V::PCT* vertices = object->LockBuffer(0);
    if (!vertices) return;
    const float side = static_cast<float>(particleSize.GetValue());
    const float colorAlpha = static_cast<float>(color.GetAlpha()) / 255.0f;
    for (unsigned k = 0; k < object->QuadCount(0); ++k) {
        const CallbackParticle& p = particles_[k];
        ParticleQuad quad = {};
        const float s = p.size * side;
        if (IsFinitePoint(p.position) && std::isfinite(s)) {
            quad = BuildQuadAxes(p.position, p.orientation1, p.orientation2, s);
            SetQuadColor(quad, VertexColor(color.GetValue(), p.alpha * colorAlpha));
        }
        WriteQuadVertices(vertices, k, quad);
    }
    object->UnlockBuffer(0);
}
