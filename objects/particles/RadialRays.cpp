#include "objects/particles/RadialRays.h"

#include <algorithm>
#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

namespace {

constexpr float kRandScale = 1.0f / static_cast<float>(kRandMax);
// UVs stay this far inside the picture so its edge texels never smear.
constexpr float kUVInset = 0.01f;

}  // namespace

DS_RadialRays::DS_RadialRays()
{
    D3DXMatrixIdentity(&rotation);
}

void DS_RadialRays::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, rayLength);
    WriteParam(*ar, rayWidth);
    WriteParam(*ar, rayCount);
    WriteParam(*ar, textureIndex);
    WriteParam(*ar, random);
    WriteParam(*ar, seed);
    spread.Write(*ar);
    rotationSpeed.Write(*ar);
    WriteParam(*ar, rotationMode);
    fadeFloor.Write(*ar);
    swingAmplitude.Write(*ar);
    DS_StaticGenerator::WriteBody(ar);
}

bool DS_RadialRays::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    uint32_t length = 0, width = 0, count = 0, storedSeed = 0;
    int32_t index = 0, isRandom = 0, mode = 0;
    in.ReadUInt(length);
    in.ReadUInt(width);
    in.ReadUInt(count);
    in.ReadInt32(index);
    in.ReadInt32(isRandom);
    in.ReadUInt(storedSeed);
    spread.Read(*ar);
    rotationSpeed.Read(*ar);
    in.ReadInt32(mode);
    fadeFloor.Read(*ar);
    swingAmplitude.Read(*ar);
    if (ar->Failed()) return false;
    rayLength.StoreValue(length);
    rayWidth.StoreValue(width);
    rayCount.StoreValue(count);
    textureIndex.StoreValue(index);
    random.StoreValue(isRandom);
    seed.StoreValue(storedSeed);
    rotationMode.StoreValue(mode);
    return DS_StaticGenerator::ReadBody(ar);
}

void DS_RadialRays::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    AcquireRenderTarget();
    if (object) object->SetBufferCount(1);
    BuildRays();
}

void DS_RadialRays::Update(float t, DS_ParticlesObj*)
{
    rotationSpeed.Update(t);
    const float c = rotationSpeed.GetLocalTime();
    float angle = c;
    if (rotationMode.GetValue() == kTurnBackward) angle = -c;
    if (rotationMode.GetValue() == kSwing) angle = std::sin(c) * swingAmplitude.GetDerived();
    D3DXMatrixRotationZ(&rotation, angle);
}

void DS_RadialRays::BuildRays()
{
    const int r0 = DS_Rand();
    const bool randomRays = random.GetValue() != 0;
    if (randomRays) DS_SRand(seed.GetValue());

    DS_ParticlesObj* object = ParticlesObject();
    const D3DXVECTOR3 o = origin.GetValue();
    bool drawable = object && object->BufferCount() >= 1 && IsFinitePoint(o);
    for (int k = 0; drawable && k < 16; ++k) drawable = std::isfinite(rotation.m[k / 4][k % 4]);
    // One buffer's worth at most; the fan stays a whole turn.
    const unsigned n = drawable ? std::min<unsigned>(rayCount.GetValue(), DS_ParticlesObj::QuadMesh::kMaxQuads) : 0u;
    if (object) object->ReserveQuads(0, n);
    DX_V::PCT* vertices = n > 0 ? object->LockBuffer(0) : nullptr;
    if (vertices) {
        const unsigned quads = object->QuadCount(0);
        float L = static_cast<float>(rayLength.GetValue());
        float W = static_cast<float>(rayWidth.GetValue());
        float A = static_cast<float>(color.GetAlpha());
        const float f = fadeFloor.GetDerived();
        const float level = TimeLine().GetAlpha() * (1.0f - f) + f;
        if (TimeLine().speedMode == 0) {
            L *= level;
            W *= level;
        } else if (TimeLine().speedMode == 1) {
            A = std::floor(A * level);
        }
        const uint32_t argb = VertexColor(color.GetValue(), A / 255.0f);
        D3DXVECTOR3 base(L, 0.0f, 0.0f);
        D3DXVec3TransformCoord(&base, &base, &rotation);
        const float step = 2.0f * kPi / static_cast<float>(n);
        // The turn between rays about z, as its cosine and sine (a plain
        // 2D turn: the base vector stays in the picture plane).
        float turnCos = std::cos(step), turnSin = std::sin(step);
        const float m = spread.GetDerived();
        for (unsigned i = 0; i < quads; ++i) {
            const float e = randomRays ? m + static_cast<float>(DS_Rand()) * kRandScale * (1.0f - m) : 1.0f;
            // A ray of length 0 collapses on the origin (BuildQuadRay keeps
            // its normal at 0 rather than dividing by the length).
            ParticleQuad quad = BuildQuadRay(o, base * e, L * e, W * e, W * e);
            SetQuadUV(quad, kUVInset, 1.0f - kUVInset, kUVInset, 1.0f - kUVInset);
            SetQuadColor(quad, argb);
            if (randomRays) {
                const float r = static_cast<float>(DS_Rand()) * kRandScale;
                const float angle = m * step + r * (2.0f - m - m) * step;
                turnCos = std::cos(angle);
                turnSin = std::sin(angle);
            }
            base = D3DXVECTOR3(base.x * turnCos - base.y * turnSin, base.x * turnSin + base.y * turnCos, base.z);
            WriteQuadVertices(vertices, i, quad);
        }
        object->UnlockBuffer(0);
    }
    if (randomRays) DS_SRand(static_cast<uint32_t>(r0));
}

void DS_RadialRays::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    BuildRays();
    const int32_t index = textureIndex.GetValue();
    if (index < 0 || static_cast<size_t>(index) >= textureSets.size()) return;
    IDirect3DTexture9* texture = CurrentTexture(static_cast<size_t>(index));
    if (!texture) return;
    RenderBlendMask(service, this, texture, object);
}
