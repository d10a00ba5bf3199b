#include "objects/particles/AirBrush.h"

#include <d3dx9math.h>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

// ---------------------------------------------------------------------------
// DS_AirBrush

DS_AirBrush::DS_AirBrush(const DS_AirBrush& other)
    : DS_TexParticleGenerator(other), size(other.size), aspect(other.aspect), points(other.points)
{
}

void DS_AirBrush::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    RenderBlendMask(service, this, CurrentTexture(0), object);
}

void DS_AirBrush::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    if (object) object->SetBufferCount(1);
    AcquireRenderTarget();
    RebuildSprites();
}

void DS_AirBrush::AddStrokePoint(const D3DXVECTOR3& point)
{
    if (points.size() >= kMaxParticles) return;
    points.emplace_back(point.x, point.y, point.z);
    RebuildSprites();
}

void DS_AirBrush::RebuildSprites()
{
    DS_ParticlesObj* object = ParticlesObject();
    if (!object) return;
    const UINT n = static_cast<UINT>(points.size());
    object->ReserveQuads(0, n);
    DX_V::PCT* vertices = object->LockBuffer(0);
    if (!vertices) return;
    const float side = static_cast<float>(size.GetValue());
    const float colorAlpha = static_cast<float>(color.GetAlpha()) / 255.0f;
    for (UINT k = 0; k < object->QuadCount(0); ++k) {
        const PParticle& p = points[k];
        const float w = side * p.channels[PParticle::kSize];
        ParticleQuad quad = BuildQuadCentered(p.position, w, w * aspect);
        SetQuadColor(quad, VertexColor(color.GetValue(), colorAlpha * p.channels[PParticle::kAlpha]));
        WriteQuadVertices(vertices, k, quad);
    }
    object->UnlockBuffer(0);
}

void DS_AirBrush::WriteBody(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, size);
    WriteParticlePoints(ar, points);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_AirBrush::ReadBody(DS_IOF_Archive* ar)
{
    ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    ReadParam(*ar, size);
    if (!ReadPParticleList(ar, points)) return false;
    return DS_TexParticleGenerator::ReadBody(ar);
}

// ---------------------------------------------------------------------------
// DS_Bling

DS_Bling::DS_Bling() = default;

void DS_Bling::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, speed);
    WriteParam(*ar, shrinkTime);
    WriteParam(*ar, growTime);
    WriteParam(*ar, rotationSpeed);
    WriteParam(*ar, minimumSize);
    DS_AirBrush::WriteBody(ar);
}

bool DS_Bling::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    speed.Read(*ar);
    shrinkTime.Read(*ar);
    growTime.Read(*ar);
    if (version >= kRotationVersion) {
        rotationSpeed.Read(*ar);
        minimumSize.Read(*ar);
    }
    if (ar->Failed()) return false;
    return DS_AirBrush::ReadBody(ar);
}

float DS_Bling::StartGlint(PParticle& p) const
{
    const float g = growTime.GetDerived();
    const float s = shrinkTime.GetDerived();
    const float cycle = g + s;
    p.channels[PParticle::kLife] = 0.0f;
    if (!(cycle > 0.0f)) {
        // No cycle to run: the glint stays at full size.
        p.channels[PParticle::kSize] = 1.0f;
        return 0.0f;
    }
    // Without a grow time the glint starts at full size and only shrinks.
    p.channels[PParticle::kSize] = g > 0.0f ? 0.0f : 1.0f;
    p.AddProcess(new PLifeConst(1.0f / cycle));
    if (g > 0.0f) p.AddProcess(new PSteady(PParticle::kSize, 0.0f, g / cycle, 1.0f / g));
    if (s > 0.0f) p.AddProcess(new PSteady(PParticle::kSize, g / cycle, g / cycle + s / cycle, -1.0f / s));
    return cycle;
}

void DS_Bling::StartGlintAtRandomPhase(PParticle& p) const
{
    const float cycle = StartGlint(p);
    // One draw for all ten steps.
    const float step = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * cycle * 0.1f;
    for (int i = 0; i < kPreAgeSteps; ++i) p.Apply(step);
}

float DS_Bling::GlintSide(const PParticle& p) const
{
    const float m = minimumSize.GetDerived();
    return static_cast<float>(size.GetValue()) * (m + (1.0f - m) * p.channels[PParticle::kSize]);
}

void DS_Bling::AddStrokePoint(const D3DXVECTOR3& point)
{
    if (points.size() >= kMaxParticles) return;
    PParticle p(point.x, point.y, point.z);
    StartGlintAtRandomPhase(p);
    points.push_back(std::move(p));
}

void DS_Bling::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    if (object) object->SetBufferCount(2);
    AcquireRenderTarget();
    for (PParticle& p : points) {
        p.ClearProcesses();
        StartGlintAtRandomPhase(p);
    }
}

void DS_Bling::Update(float t, DS_ParticlesObj* object)
{
    speed.Update(t);
    rotationSpeed.Update(t);
    const float dt = speed.GetLastStep();
    for (PParticle& p : points) {
        if (p.Apply(dt)) continue;
        // The cycle is over. A glint's processes hold no running state, so
        // the cycle starts again by resetting the channels StartGlint sets
        // (the same as clearing the processes and starting anew, without
        // making them again every cycle).
        p.channels[PParticle::kLife] = 0.0f;
        p.channels[PParticle::kSize] = growTime.GetDerived() > 0.0f ? 0.0f : 1.0f;
    }
    if (!object) return;
    const UINT n = static_cast<UINT>(points.size());
    object->ReserveQuads(0, n);
    object->ReserveQuads(1, n);
    DX_V::PCT* glow = object->LockBuffer(0);
    DX_V::PCT* glint = glow ? object->LockBuffer(1) : nullptr;
    if (!glow || !glint) {
        if (glow) object->UnlockBuffer(0);
        return;
    }
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, rotationSpeed.GetLocalTime());
    D3DXVECTOR3 axis1(1.0f, 0.0f, 0.0f), axis2(0.0f, 1.0f, 0.0f);
    D3DXVec3TransformCoord(&axis1, &axis1, &turn);
    D3DXVec3TransformCoord(&axis2, &axis2, &turn);
    const float opacity = TimeLine().GetAlpha();
    const float glowAlpha = static_cast<float>(glowColor.GetAlpha()) / 255.0f;
    const float colorAlpha = static_cast<float>(color.GetAlpha()) / 255.0f;
    const UINT quads = object->QuadCount(0) < object->QuadCount(1) ? object->QuadCount(0) : object->QuadCount(1);
    // Glints keep the alpha channel they start with, so the two colours
    // are packed again only when a point's alpha differs from the last.
    float packedFor = -1.0f;
    uint32_t glowArgb = 0, glintArgb = 0;
    for (UINT k = 0; k < quads; ++k) {
        const PParticle& p = points[k];
        ParticleQuad quad = BuildQuadAxes(p.position, axis1, axis2, GlintSide(p));
        const float f = opacity * p.channels[PParticle::kAlpha];
        if (f != packedFor) {
            glowArgb = VertexColor(glowColor.GetValue(), glowAlpha * f);
            glintArgb = VertexColor(color.GetValue(), colorAlpha * f);
            packedFor = f;
        }
        SetQuadColor(quad, glowArgb);
        WriteQuadVertices(glow, k, quad);
        SetQuadColor(quad, glintArgb);
        WriteQuadVertices(glint, k, quad);
    }
    object->UnlockBuffer(1);
    object->UnlockBuffer(0);
}

void DS_Bling::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    if (CanCompose()) {
        RenderJoinMask(this, service, object);
        ComposeLayer(this, service);
        return;
    }
    // Without an effect or a ready target the glows and then the glints are
    // drawn plainly, with alpha blending, straight into the current target.
    for (size_t i = 0; i < 2; ++i) DrawBufferPlainly(service, object, i, CurrentTexture(i));
}

// ---------------------------------------------------------------------------
// DS_CustomAirBrush

void DS_CustomAirBrush::Write(DS_IOF_Archive* ar)
{
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(pictureLink);
    WriteRecordHeader(ar, kClassName, kVersion);
    pictureLink.Write(*ar);
    WriteParam(*ar, frameSpeed);
    DS_AirBrush::WriteBody(ar);
}

bool DS_CustomAirBrush::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    pictureLink.Read(*ar);
    frameSpeed.Read(*ar);
    if (ar->Failed()) return false;
    return DS_AirBrush::ReadBody(ar);
}

void DS_CustomAirBrush::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    if (object) object->SetBufferCount(1);
    AcquireRenderTarget();
    LoadFrames();
}

void DS_CustomAirBrush::LoadFrames()
{
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        frames = manager->GetTextureSet(pictureLink);
        aspect = frames.aspect;
    }
    RebuildSprites();
}

void DS_CustomAirBrush::Update(float t, DS_ParticlesObj* object)
{
    frameSpeed.Update(t);
    frames.StepForward(frameSpeed.GetLocalTime());
    // The sprites are written once; a device reset releases their buffer,
    // so they are written again when it is gone.
    const DS_ParticlesObj::QuadMesh* buffer = object ? object->Buffer(0) : nullptr;
    if (buffer && !buffer->VertexBuffer() && !points.empty()) RebuildSprites();
}

void DS_CustomAirBrush::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    RenderBlendMask(service, this, frames.CurrentTexture(), object);
}

// ---------------------------------------------------------------------------
// DS_TwinklingStars

void DS_TwinklingStars::Write(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, speed);
    DS_AirBrush::WriteBody(ar);
}

bool DS_TwinklingStars::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    speed.Read(*ar);
    if (ar->Failed()) return false;
    return DS_AirBrush::ReadBody(ar);
}

void DS_TwinklingStars::MakeTwinkling(PParticle& p)
{
    // Two draws, in this order: size, then alpha.
    p.channels[PParticle::kSize] = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * 0.5f + 0.5f;
    p.channels[PParticle::kAlpha] = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * 0.5f + 0.5f;
    p.AddProcess(new PTwinkle(PParticle::kSize, 0.0f, p.channels[PParticle::kSize], 0.0f));
}

void DS_TwinklingStars::AddStrokePoint(const D3DXVECTOR3& point)
{
    if (points.size() >= kMaxParticles) return;
    PParticle p(point.x, point.y, point.z);
    MakeTwinkling(p);
    points.push_back(std::move(p));
}

void DS_TwinklingStars::InitObject(DS_ParticlesObj* object)
{
    for (PParticle& p : points) {
        if (p.ProcessCount() == 0) MakeTwinkling(p);
    }
    DS_AirBrush::InitObject(object);
}

void DS_TwinklingStars::Update(float t, DS_ParticlesObj*)
{
    speed.Update(t);
    const float dt = speed.GetLastStep();
    // Points never die: the result is of no use here.
    for (PParticle& p : points) p.Apply(dt);
    RebuildSprites();
}
