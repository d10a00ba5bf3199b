// The quads of the particle buffers: four PCT vertices V0 to V3, drawn as
// the triangles (V0, V1, V2) and (V2, V1, V3). The standard quad of a
// centre c, width w and height h: V0 (c.x - w/2, c.y + h/2) UV (0, 1),
// V1 (c.x - w/2, c.y - h/2) UV (0, 0), V2 (c.x + w/2, c.y + h/2) UV (1, 1),
// V3 (c.x + w/2, c.y - h/2) UV (1, 0), all at c.z, all white.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "engine/render/VertexFormats.h"

class MediaColor;
class MediaQuad;
class PParticle;

struct ParticleQuad {
    DX_V::PCT v[4];
};

constexpr uint32_t kWhiteVertex = 0xFFFFFFFFu;

// Red, green, blue and alpha in 0..1, each clamped to [0, 1] and stored as
// the whole part of 255 c + 0.5, packed as ARGB.
uint32_t PackVertexColor(float r, float g, float b, float a);
// A colour 0x00BBGGRR (red in the low byte) with alpha a in 0..1.
uint32_t VertexColor(unsigned long bgr, float a);

ParticleQuad BuildQuadCentered(const D3DXVECTOR3& centre, float w, float h);
// Centre C, axes A1 and A2, side s (r = s / 2): V0 = C - rA1 + rA2,
// V1 = C - rA1 - rA2, V2 = C + rA1 + rA2, V3 = C + rA1 - rA2; standard UVs.
ParticleQuad BuildQuadAxes(const D3DXVECTOR3& centre, const D3DXVECTOR3& axis1, const D3DXVECTOR3& axis2, float size);
// A band from p along d (length |d|) of width w0 at p and w1 at p + d, with
// the left normal (-d.y, d.x) / length; UVs are left 0 for the caller. A
// zero length gives a quad collapsed on p.
ParticleQuad BuildQuadRay(const D3DXVECTOR3& p, const D3DXVECTOR3& d, float length, float w0, float w1);
// V0 = corner 1, V1 = corner 0, V2 = corner 3, V3 = corner 2; standard UVs.
ParticleQuad BuildQuadFromMediaQuad(const MediaQuad& quad);
// V0 (a, d), V1 (a, c), V2 (b, d), V3 (b, c).
void SetQuadUV(ParticleQuad& quad, float a, float b, float c, float d);
// Mirror U swaps the u of V0 and V2 and of V1 and V3; mirror V swaps the v
// of V0 and V3 and of V1 and V2.
void MirrorQuadUV(ParticleQuad& quad, bool mirrorU, bool mirrorV);
// quad's V2 and next's V0 both move to their midpoint, likewise quad's V3
// and next's V1 (positions only), so a chain of quads shares its joints.
void SmoothQuad(ParticleQuad& next, ParticleQuad& quad);
void SetQuadColor(ParticleQuad& quad, uint32_t argb);
// Vertices 4k to 4k + 3 := the quad.
void WriteQuadVertices(DX_V::PCT* vertices, unsigned k, const ParticleQuad& quad);
// A centred square of side particle size x sizeScale at the particle, in
// color with alpha = its alpha byte x particle alpha x alphaFactor / 255,
// written as quad k.
void ColorParticleQuad(const PParticle& particle, const MediaColor& color, DX_V::PCT* vertices, unsigned k,
                       float sizeScale, float alphaFactor);
// As ColorParticleQuad with the axes turned about Z by angle (radians).
void ColorParticleQuadRotated(const PParticle& particle, const MediaColor& color, DX_V::PCT* vertices, unsigned k,
                              float sizeScale, float angle, float alphaFactor);
