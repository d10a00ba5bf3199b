// The move and cloud brushes: the move shift, the cloud parameter block,
// the cloud grid and its mask mapping, and a cloud brush without clouds.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effects/brushes/CloudFX.h"
#include "effects/brushes/ExpandFX.h"
#include "effects/brushes/MoveFX.h"
#include "unit/brushes/BrushFixture.h"
#include "unit/brushes/BrushKindHelpers.h"

namespace {

constexpr float kPi = 3.1415927f;

// ---- move ----

struct MoveCase {
    const char* name;
    unsigned angle;
    bool halfFade;
    float shiftX, shiftY;  // at clock pi / 2 with the default amplitudes
};

class MoveShift : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveShift, SineMotionAtAQuarterTurn)
{
    const MoveCase& c = GetParam();
    DS_MoveFX move;
    move.angle.SetValue(c.angle);
    if (c.halfFade) SetHalfFade(move);
    RunClockTo(move, kPi / 2.0f);
    // w = 1: e = -(a + b) / 2 - (a - b) / 2 = -a = -0.01.
    EXPECT_NEAR(move.Shift()[0], c.shiftX, 1e-6f) << c.name;
    EXPECT_NEAR(move.Shift()[1], c.shiftY, 1e-6f) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, MoveShift,
                         ::testing::Values(MoveCase{"angle 0", 0, false, -0.01f, 0.0f},
                                           MoveCase{"angle 270", 270, false, 0.0f, -0.01f},
                                           MoveCase{"angle 90", 90, false, 0.0f, 0.01f},
                                           MoveCase{"angle 0, half faded", 0, true, -0.005f, 0.0f}));

TEST(MoveDefaults, DerivedValuesAndEffect)
{
    DS_MoveFX move;
    EXPECT_NEAR(move.strength.GetDerived(), 0.01f, 1e-7f);
    EXPECT_FLOAT_EQ(move.secondAmplitude.GetDerived(), 0.0f);
    EXPECT_FLOAT_EQ(move.speed.GetDerived(), 1.0f);
    EXPECT_EQ(move.effectLink.GetValue(), (FileLinkValue{L"common_res.dll", 91}));
}

using DirectionDraw = BrushFixture;

TEST_F(DirectionDraw, MoveHandsItsShiftToTheEffect)
{
    DS_2D_Light& layer = MakePictureLayer(1024, 768);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_MoveFX item;
    item.effectLink.StoreValue(kEffectLink);
    auto object = MakeObject(item);
    RunClockTo(*object->Brush(), kPi / 2.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    EXPECT_EQ(effect->draws[0].technique, "Main");
    ExpectNear(effect->draws[0].Floats("Direction"), {-0.01f, 0.0f}, 1e-6f, "Direction");
}

// ---- cloud parameters ----

struct CloudParamCase {
    const char* name;
    unsigned perspective, height, offset;
    int flip;
    float px, pyH, pyZ;
    std::vector<float> texShift;
};

class CloudParamBlock : public ::testing::TestWithParam<CloudParamCase> {};

TEST_P(CloudParamBlock, PerspectiveAndTextureShift)
{
    const CloudParamCase& c = GetParam();
    CloudParams params;
    params.perspective.SetValue(c.perspective);
    params.height.SetValue(c.height);
    params.textureOffset.SetValue(c.offset);
    params.flip.SetValue(c.flip);
    auto* effect = new RecordingEffect;
    params.ApplyToEffect(effect);
    ExpectNear(effect->current.Floats("PX_Transform"), {c.px}, 1e-6f, c.name);
    ExpectNear(effect->current.Floats("PY_TransformH"), {c.pyH}, 1e-6f, c.name);
    ExpectNear(effect->current.Floats("PY_TransformZ"), {c.pyZ}, 1e-6f, c.name);
    ExpectNear(effect->current.Floats("tex_shift"), c.texShift, 1e-6f, c.name);
    effect->Release();
}

// p = 1 + 0.02 x perspective, h = 0.25 x height, o = 0.01 x offset.
INSTANTIATE_TEST_SUITE_P(
    Cases, CloudParamBlock,
    ::testing::Values(CloudParamCase{"defaults", 0, 0, 0, 0, 0.0f, 1.0f, 0.0f, {1, 1, 0, 0}},
                      CloudParamCase{"flipped with an offset", 0, 0, 50, 1, 0.0f, 1.0f, 0.0f, {1, -1, -0.5f, 1}},
                      CloudParamCase{"perspective 2, height 1", 50, 4, 0, 0, 0.5f, 1.5f, 1.0f, {1, 1, 0, 0}}));

// ---- cloud brush ----

class CloudDraw : public BrushFixture {
protected:
    const FileLinkValue kCloudLink{L"clouds.png", 0};

    void MakeCloud(DS_CloudFX& item)
    {
        item.effectLink.StoreValue(kEffectLink);
        item.cloudImage.StoreValue(kCloudLink);
        item.firstColor.SetValue(0x0000FF);
        item.secondColor.SetValue(0xFF0000);
        item.speed.SetValue(1000);  // derived 1.0
        item.angle.SetValue(270);   // direction (0, 1)
        item.quad.SetRect(D3DXVECTOR3(250, 150, 0), 300, 200);
    }
};

TEST_F(CloudDraw, GridCoordinatesAndMaskShiftOfARectangle)
{
    MakePictureLayer(1000, 500);
    AddRecorder(kEffectLink);
    DS_CloudFX item;
    MakeCloud(item);
    auto object = MakeObject(item);
    const auto& cloud = static_cast<const DS_CloudFX&>(*object->Brush());
    // (width / Wv, left / Wv, height / Hv, top / Hv)
    const float* shift = cloud.MaskTexShift();
    ExpectNear({shift[0], shift[1], shift[2], shift[3]}, {0.3f, 0.1f, 0.4f, 0.1f}, 1e-6f, "mask shift");

    BrushGridMesh grid = cloud.Grid();
    ASSERT_EQ(grid.VertexCount(), 9u);
    const PT* v = grid.Lock();
    ASSERT_NE(v, nullptr);
    // Corner 0 (0, 0), corner 1 (0, 1), corner 2 (1, 0), corner 3 (1, 1).
    const int index[5] = {0, 2, 6, 8, 4};
    const float uv[5][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {0.5f, 0.5f}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_FLOAT_EQ(v[index[k]].u, uv[k][0]) << k;
        EXPECT_FLOAT_EQ(v[index[k]].v, uv[k][1]) << k;
    }
    EXPECT_FLOAT_EQ(v[0].x, 100.0f);
    EXPECT_FLOAT_EQ(v[8].y, 250.0f);
    grid.Unlock();
}

TEST_F(CloudDraw, CloudsAreTheBackgroundOfTheGridDraw)
{
    DS_2D_Light& layer = MakePictureLayer(1000, 500);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    const ComPtr<IDirect3DTexture9> clouds = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
    AddPicture(kCloudLink, clouds, 4, 4);
    DS_CloudFX item;
    MakeCloud(item);
    auto object = MakeObject(item);
    RunClockTo(*object->Brush(), 2.0f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    EXPECT_EQ(s.Texture("Background"), static_cast<IDirect3DBaseTexture9*>(clouds.Get()));
    EXPECT_TRUE(s.HasTexture("Mask"));
    ExpectNear(s.Floats("Scale"), {2.0f / 0.4f, 1.0f / 0.4f}, 1e-5f, "Scale");
    ExpectNear(s.Floats("Threshold"), {1.0f}, 1e-6f, "Threshold");
    ExpectNear(s.Floats("Density"), {0.0f}, 1e-6f, "Density");
    ExpectNear(s.Floats("ColorK1"), {1.0f, 0.0f, 0.0f}, 1e-6f, "ColorK1");
    ExpectNear(s.Floats("ColorK2"), {0.0f, 0.0f, 1.0f}, 1e-6f, "ColorK2");
    ExpectNear(s.Floats("Velocity"), {0.0f, -2.0f}, 1e-4f, "Velocity");
    ExpectNear(s.Floats("mask_tex_shift"), {0.3f, 0.1f, 0.4f, 0.1f}, 1e-6f, "mask_tex_shift");
    ExpectNear(s.Floats("tex_shift"), {1, 1, 0, 0}, 1e-6f, "tex_shift");
    ExpectNear(s.Floats("PX_Transform"), {0.0f}, 1e-6f, "PX_Transform");
}

// A cloud image that the document lacks gives an empty set: the cloud brush
// draws nothing and the brushes after it still draw.
TEST_F(CloudDraw, WithoutCloudsNothingIsDrawnAndTheFrameGoesOn)
{
    DS_2D_Light& layer = MakePictureLayer(1000, 500);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    DS_CloudFX cloud;
    MakeCloud(cloud);
    cloud.cloudImage.StoreValue(FileLinkValue{L"not in the document.png", 1});
    DS_ExpandFX expand;
    expand.effectLink.StoreValue(kEffectLink);
    MakeObject(cloud);
    MakeObject(expand);
    for (auto& object : objects_) object->Update(0.1f);
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    EXPECT_EQ(effect->draws[0].Floats("Velocity").size(), 0u);
    EXPECT_EQ(effect->draws[0].Floats("amplitude").size(), 2u);
}

}  // namespace
