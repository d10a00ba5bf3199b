#include <gtest/gtest.h>

#include "engine/params/MediaColor.h"
#include "engine/params/MediaQuad.h"
#include "engine/params/Random.h"
#include "objects/particles/PParticle.h"
#include "objects/particles/QuadFunctions.h"

namespace {

void ExpectVertex(const DX_V::PCT& v, float x, float y, float u, float t, const char* what)
{
    EXPECT_NEAR(v.x, x, 1e-5f) << what;
    EXPECT_NEAR(v.y, y, 1e-5f) << what;
    EXPECT_FLOAT_EQ(v.u, u) << what;
    EXPECT_FLOAT_EQ(v.v, t) << what;
}

}  // namespace

TEST(QuadFunctions, BuiltQuadsPlaceTheirCornersAndUVs)
{
    const ParticleQuad centred = BuildQuadCentered(D3DXVECTOR3(10.0f, 20.0f, 0.5f), 4.0f, 2.0f);
    ExpectVertex(centred.v[0], 8.0f, 21.0f, 0.0f, 1.0f, "centred V0");
    ExpectVertex(centred.v[1], 8.0f, 19.0f, 0.0f, 0.0f, "centred V1");
    ExpectVertex(centred.v[2], 12.0f, 21.0f, 1.0f, 1.0f, "centred V2");
    ExpectVertex(centred.v[3], 12.0f, 19.0f, 1.0f, 0.0f, "centred V3");
    EXPECT_EQ(centred.v[3].z, 0.5f);
    EXPECT_EQ(centred.v[2].color, kWhiteVertex);

    // Along x and y the axes quad is the centred square.
    const ParticleQuad axes =
        BuildQuadAxes(D3DXVECTOR3(10.0f, 20.0f, 0.0f), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0), 4.0f);
    const ParticleQuad square = BuildQuadCentered(D3DXVECTOR3(10.0f, 20.0f, 0.0f), 4.0f, 4.0f);
    for (int i = 0; i < 4; ++i)
        ExpectVertex(axes.v[i], square.v[i].x, square.v[i].y, square.v[i].u, square.v[i].v, "axes");

    // A ray along x: the left normal is +y.
    const ParticleQuad ray = BuildQuadRay(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), 10.0f, 4.0f, 2.0f);
    ExpectVertex(ray.v[0], 0.0f, 2.0f, 0.0f, 0.0f, "ray V0");
    ExpectVertex(ray.v[1], 0.0f, -2.0f, 0.0f, 0.0f, "ray V1");
    ExpectVertex(ray.v[2], 10.0f, 1.0f, 0.0f, 0.0f, "ray V2");
    ExpectVertex(ray.v[3], 10.0f, -1.0f, 0.0f, 0.0f, "ray V3");
    const ParticleQuad empty = BuildQuadRay(D3DXVECTOR3(1, 1, 0), D3DXVECTOR3(0, 0, 0), 0.0f, 4.0f, 2.0f);
    ExpectVertex(empty.v[0], 1.0f, 1.0f, 0.0f, 0.0f, "zero-length ray");

    MediaQuad media;
    media.SetRect(D3DXVECTOR3(0, 0, 0), 2.0f, 4.0f);
    const ParticleQuad fromMedia = BuildQuadFromMediaQuad(media);
    ExpectVertex(fromMedia.v[0], -1.0f, 2.0f, 0.0f, 1.0f, "media V0 = corner 1");
    ExpectVertex(fromMedia.v[3], 1.0f, -2.0f, 1.0f, 0.0f, "media V3 = corner 2");
}

TEST(QuadFunctions, UVsAreSetMirroredAndJointsShared)
{
    ParticleQuad quad = BuildQuadCentered(D3DXVECTOR3(0, 0, 0), 2.0f, 2.0f);
    SetQuadUV(quad, 0.25f, 0.75f, 0.1f, 0.9f);
    ExpectVertex(quad.v[0], -1.0f, 1.0f, 0.25f, 0.9f, "V0 (a, d)");
    ExpectVertex(quad.v[1], -1.0f, -1.0f, 0.25f, 0.1f, "V1 (a, c)");
    ExpectVertex(quad.v[2], 1.0f, 1.0f, 0.75f, 0.9f, "V2 (b, d)");
    ExpectVertex(quad.v[3], 1.0f, -1.0f, 0.75f, 0.1f, "V3 (b, c)");

    ParticleQuad mirrored = BuildQuadCentered(D3DXVECTOR3(0, 0, 0), 2.0f, 2.0f);
    MirrorQuadUV(mirrored, true, false);
    EXPECT_EQ(mirrored.v[0].u, 1.0f);
    EXPECT_EQ(mirrored.v[0].v, 1.0f);
    MirrorQuadUV(mirrored, false, true);
    EXPECT_EQ(mirrored.v[0].v, 0.0f);  // V0 took V3's v
    EXPECT_EQ(mirrored.v[1].v, 1.0f);

    ParticleQuad first = BuildQuadCentered(D3DXVECTOR3(0, 0, 0), 2.0f, 2.0f);
    ParticleQuad second = BuildQuadCentered(D3DXVECTOR3(4, 0, 0), 2.0f, 2.0f);
    SmoothQuad(second, first);
    EXPECT_EQ(first.v[2].x, 2.0f);
    EXPECT_EQ(second.v[0].x, 2.0f);
    EXPECT_EQ(first.v[3].x, second.v[1].x);
    EXPECT_EQ(first.v[3].u, 1.0f);  // positions only
}

TEST(QuadFunctions, ColoursPackClampedAndRounded)
{
    const struct {
        unsigned long bgr;
        float alpha;
        uint32_t argb;
    } cases[] = {
        {0x00FF8000ul, 0.5f, 0x800080FFu},  {0x00FFFFFFul, 1.0f, 0xFFFFFFFFu},
        {0x00000000ul, 2.0f, 0xFF000000u},   // clamped above
        {0x000000FFul, -0.5f, 0x00FF0000u},  // clamped below
        {0x00010203ul, 0.0f, 0x00030201u},   // red is the low byte
    };
    for (const auto& c : cases) EXPECT_EQ(VertexColor(c.bgr, c.alpha), c.argb) << std::hex << c.bgr;

    PParticle p(10.0f, 20.0f, 0.0f);
    p.channels[PParticle::kSize] = 2.0f;
    p.channels[PParticle::kAlpha] = 0.5f;
    MediaColor color(0x00FF8000ul);
    DX_V::PCT vertices[8] = {};
    ColorParticleQuad(p, color, vertices, 1, 2.0f, 1.0f);
    EXPECT_EQ(vertices[4].color, 0x800080FFu);
    ExpectVertex(vertices[4], 8.0f, 22.0f, 0.0f, 1.0f, "side 4 at quad 1");
    EXPECT_EQ(vertices[0].color, 0u);  // quad 0 untouched

    ColorParticleQuadRotated(p, color, vertices, 0, 2.0f, kPi / 2.0f, 0.5f);
    EXPECT_EQ(vertices[0].color, 0x400080FFu);
    // Turned a quarter: V0 = C - 2 (0, 1) + 2 (-1, 0).
    ExpectVertex(vertices[0], 8.0f, 18.0f, 0.0f, 1.0f, "rotated V0");
}
