#include "engine/params/Random.h"

#include "engine/params/MediaQuad.h"

namespace {

// The generator state is process-wide on purpose: the whole scene, across
// every render unit, draws from one sequence so that it replays identically.
// Only the scene thread draws. Our own state, not the C run time's, so no
// library call can disturb the sequence.
uint32_t g_randState = 1;

constexpr uint32_t kRandMultiplier = 214013u;
constexpr uint32_t kRandIncrement = 2531011u;

// r / 32767 x span, rounded to float before the caller adds it.
float ScaledDraw(float span)
{
    const double ratio = static_cast<double>(DS_Rand()) / static_cast<double>(kRandMax);
    return static_cast<float>(ratio * static_cast<double>(span));
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out(0.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

}  // namespace

int DS_Rand()
{
    g_randState = g_randState * kRandMultiplier + kRandIncrement;
    return static_cast<int>((g_randState >> 16) & 0x7FFFu);
}

void DS_SRand(uint32_t seed)
{
    g_randState = seed;
}

uint32_t DS_RandState()
{
    return g_randState;
}

void DS_SkipRand(uint64_t count)
{
    // One step is x -> a x + c; two steps of (a, c) make (a a, a c + c).
    // The steps of the set bits of count are applied in turn.
    uint32_t a = kRandMultiplier;
    uint32_t c = kRandIncrement;
    while (count != 0) {
        if (count & 1u) g_randState = g_randState * a + c;
        c = a * c + c;
        a = a * a;
        count >>= 1;
    }
}

float RandomRange(float a, float b)
{
    return a + ScaledDraw(b - a);
}

D3DXVECTOR3 RandomPointInRect(const MediaQuad& quad)
{
    const D3DXVECTOR3& c0 = quad.Corner(0).GetValue();
    const D3DXVECTOR3& c3 = quad.Corner(3).GetValue();
    // Order fixed: y draws first, then x.
    const float y = c0.y + ScaledDraw(c3.y - c0.y);
    const float x = c0.x + ScaledDraw(c3.x - c0.x);
    return D3DXVECTOR3(x, y, 0.0f);
}

D3DXVECTOR3 RandomRotatedVector(float length, float a, float b)
{
    const float angle = RandomRange(a, b);
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, DegreesToRadians(angle));
    return Transform(D3DXVECTOR3(length, 0.0f, 0.0f), rotation);
}

D3DXVECTOR3 RandomDirection3D(float length)
{
    const D3DXVECTOR3 flat = RandomRotatedVector(length, 0.0f, 360.0f);
    const float angle = static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax) * 360.0f;
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, DegreesToRadians(angle));
    return Transform(flat, rotation);
}
