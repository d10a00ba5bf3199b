// Vertex shaders in compiled effects: a quad in object space goes through a
// matrix parameter set with SetMatrix, so the drawn square shows where the
// matrix put it and its interpolated texture coordinates show that the
// vertex shader's outputs reach the pixel shader. Both shader models.
#include "unit/effects/EffectDeviceTest.h"

namespace {

using namespace effecttest;

TEST_F(EffectDeviceTest, VertexShadersPlaceTheQuadThroughTheMatrixParameter)
{
    ComPtr<ID3DXEffect> effect = Load("test/placed");
    ASSERT_TRUE(effect);
    const std::vector<const char*> names = {"Transform", "Tint"};
    ExpectNames(effect.Get(), {"Model2", "Model3"}, names);
    ExpectUsed(effect.Get(), "Model2", names, names);
    ExpectUsed(effect.Get(), "Model3", names, names);

    // Half size, then half a view to the right: the square covers the right
    // half of the target from a quarter to three quarters of its height.
    D3DXMATRIX transform(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1);
    ASSERT_EQ(effect->SetMatrix("Transform", &transform), D3D_OK);
    const D3DXVECTOR4 tint(1, 0.5f, 1, 1);
    ASSERT_EQ(effect->SetVector("Tint", &tint), D3D_OK);

    struct Vertex {
        float x, y, z, u, v;
    };
    const Vertex quad[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
    // Direct3D 9 puts pixel centres on whole window coordinates, half a pixel
    // before the centres the comparison grid names.
    const double half = 0.5 / kTargetSize;
    auto reference = [half](double u, double v) {
        u -= half;
        v -= half;
        if (u < 0.5 || v < 0.25 || v > 0.75) return Rgba{0, 0, 1, 1};
        return Rgba{(u - 0.5) * 2, (v - 0.25) * 2 * 0.5, 0, 1};
    };
    for (const char* technique : {"Model2", "Model3"}) {
        SCOPED_TRACE(technique);
        const std::vector<uint32_t> pixels =
            DrawStrip(effect.Get(), technique, D3DCOLOR_ARGB(255, 0, 0, 255), D3DFVF_XYZ | D3DFVF_TEX1, quad);
        ExpectPixels(pixels, reference, nullptr, true);
    }
}

}  // namespace
