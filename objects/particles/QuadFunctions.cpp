#include "objects/particles/QuadFunctions.h"

#include <utility>

#include "engine/params/MediaColor.h"
#include "engine/params/MediaQuad.h"
#include "objects/particles/PParticle.h"

namespace {

uint32_t ColorByte(float c)
{
    if (!(c > 0.0f)) return 0;  // also NaN
    if (c >= 1.0f) return 255;
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

void SetVertex(DX_V::PCT& v, const D3DXVECTOR3& p, float u, float t)
{
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    v.color = kWhiteVertex;
    v.u = u;
    v.v = t;
}

float ParticleAlpha(const PParticle& particle, const MediaColor& color, float alphaFactor)
{
    return color.GetAlpha() * particle.channels[PParticle::kAlpha] * alphaFactor / 255.0f;
}

}  // namespace

uint32_t PackVertexColor(float r, float g, float b, float a)
{
    return ColorByte(a) << 24 | ColorByte(r) << 16 | ColorByte(g) << 8 | ColorByte(b);
}

uint32_t VertexColor(unsigned long bgr, float a)
{
    const float r = (bgr & 0xFF) / 255.0f;
    const float g = ((bgr >> 8) & 0xFF) / 255.0f;
    const float b = ((bgr >> 16) & 0xFF) / 255.0f;
    return PackVertexColor(r, g, b, a);
}

ParticleQuad BuildQuadCentered(const D3DXVECTOR3& c, float w, float h)
{
    ParticleQuad quad;
    const float hw = w / 2.0f;
    const float hh = h / 2.0f;
    SetVertex(quad.v[0], D3DXVECTOR3(c.x - hw, c.y + hh, c.z), 0.0f, 1.0f);
    SetVertex(quad.v[1], D3DXVECTOR3(c.x - hw, c.y - hh, c.z), 0.0f, 0.0f);
    SetVertex(quad.v[2], D3DXVECTOR3(c.x + hw, c.y + hh, c.z), 1.0f, 1.0f);
    SetVertex(quad.v[3], D3DXVECTOR3(c.x + hw, c.y - hh, c.z), 1.0f, 0.0f);
    return quad;
}

ParticleQuad BuildQuadAxes(const D3DXVECTOR3& c, const D3DXVECTOR3& axis1, const D3DXVECTOR3& axis2, float size)
{
    ParticleQuad quad;
    const float r = size / 2.0f;
    SetVertex(quad.v[0], c - r * axis1 + r * axis2, 0.0f, 1.0f);
    SetVertex(quad.v[1], c - r * axis1 - r * axis2, 0.0f, 0.0f);
    SetVertex(quad.v[2], c + r * axis1 + r * axis2, 1.0f, 1.0f);
    SetVertex(quad.v[3], c + r * axis1 - r * axis2, 1.0f, 0.0f);
    return quad;
}

ParticleQuad BuildQuadRay(const D3DXVECTOR3& p, const D3DXVECTOR3& d, float length, float w0, float w1)
{
    ParticleQuad quad;
    D3DXVECTOR3 n(0.0f, 0.0f, 0.0f);
    if (length != 0.0f) n = D3DXVECTOR3(-d.y, d.x, 0.0f) / length;
    SetVertex(quad.v[0], p + (w0 / 2.0f) * n, 0.0f, 0.0f);
    SetVertex(quad.v[1], p - (w0 / 2.0f) * n, 0.0f, 0.0f);
    SetVertex(quad.v[2], p + d + (w1 / 2.0f) * n, 0.0f, 0.0f);
    SetVertex(quad.v[3], p + d - (w1 / 2.0f) * n, 0.0f, 0.0f);
    return quad;
}

ParticleQuad BuildQuadFromMediaQuad(const MediaQuad& q)
{
    ParticleQuad quad;
    SetVertex(quad.v[0], q.Corner(1).GetValue(), 0.0f, 1.0f);
    SetVertex(quad.v[1], q.Corner(0).GetValue(), 0.0f, 0.0f);
    SetVertex(quad.v[2], q.Corner(3).GetValue(), 1.0f, 1.0f);
    SetVertex(quad.v[3], q.Corner(2).GetValue(), 1.0f, 0.0f);
    return quad;
}

void SetQuadUV(ParticleQuad& quad, float a, float b, float c, float d)
{
    quad.v[0].u = a;
    quad.v[0].v = d;
    quad.v[1].u = a;
    quad.v[1].v = c;
    quad.v[2].u = b;
    quad.v[2].v = d;
    quad.v[3].u = b;
    quad.v[3].v = c;
}

void MirrorQuadUV(ParticleQuad& quad, bool mirrorU, bool mirrorV)
{
    if (mirrorU) {
        std::swap(quad.v[0].u, quad.v[2].u);
        std::swap(quad.v[1].u, quad.v[3].u);
    }
    if (mirrorV) {
        std::swap(quad.v[0].v, quad.v[3].v);
        std::swap(quad.v[1].v, quad.v[2].v);
    }
}

void SmoothQuad(ParticleQuad& next, ParticleQuad& quad)
{
    const auto join = [](DX_V::PCT& a, DX_V::PCT& b) {
        a.x = b.x = (a.x + b.x) / 2.0f;
        a.y = b.y = (a.y + b.y) / 2.0f;
        a.z = b.z = (a.z + b.z) / 2.0f;
    };
    join(quad.v[2], next.v[0]);
    join(quad.v[3], next.v[1]);
}

void SetQuadColor(ParticleQuad& quad, uint32_t argb)
{
    for (DX_V::PCT& v : quad.v) v.color = argb;
}

void WriteQuadVertices(DX_V::PCT* vertices, unsigned k, const ParticleQuad& quad)
{
    for (unsigned i = 0; i < 4; ++i) vertices[4 * k + i] = quad.v[i];
}

void ColorParticleQuad(const PParticle& particle, const MediaColor& color, DX_V::PCT* vertices, unsigned k,
                       float sizeScale, float alphaFactor)
{
    const float s = particle.channels[PParticle::kSize] * sizeScale;
    ParticleQuad quad = BuildQuadCentered(particle.position, s, s);
    SetQuadColor(quad, VertexColor(color.GetValue(), ParticleAlpha(particle, color, alphaFactor)));
    WriteQuadVertices(vertices, k, quad);
}

void ColorParticleQuadRotated(const PParticle& particle, const MediaColor& color, DX_V::PCT* vertices, unsigned k,
                              float sizeScale, float angle, float alphaFactor)
{
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, angle);
    const D3DXVECTOR3 x(1.0f, 0.0f, 0.0f), y(0.0f, 1.0f, 0.0f);
    D3DXVECTOR3 axis1, axis2;
    D3DXVec3TransformCoord(&axis1, &x, &rotation);
    D3DXVec3TransformCoord(&axis2, &y, &rotation);
    ParticleQuad quad = BuildQuadAxes(particle.position, axis1, axis2, particle.channels[PParticle::kSize] * sizeScale);
    SetQuadColor(quad, VertexColor(color.GetValue(), ParticleAlpha(particle, color, alphaFactor)));
    WriteQuadVertices(vertices, k, quad);
}
