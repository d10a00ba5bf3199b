// Every brush kind of the direction, centre and direct levels without an
// effect draws nothing and leaves the frame going; the grid kinds place
// their grid on the picture whatever was drawn before.
#include <gtest/gtest.h>

#include "unit/brushes/BrushFixture.h"
#include "unit/brushes/BrushKinds.h"

namespace {

class BrushKindDraw : public BrushFixture, public ::testing::WithParamInterface<BrushKind> {};

TEST_P(BrushKindDraw, WithoutAnEffectNothingIsDrawnAndLaterBrushesStillDraw)
{
    DS_2D_Light& layer = MakePictureLayer(640, 480);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    auto broken = GetParam().make();
    broken->effectLink.StoreValue(FileLinkValue{L"no-such-library.dll", 4242});
    broken->fullScreen.SetValue(0);
    auto working = GetParam().make();
    working->effectLink.StoreValue(kEffectLink);
    working->fullScreen.SetValue(0);
    // Clouds draw only with a cloud picture: both brushes get one, so that
    // the broken one gets as far as its missing effect.
    const FileLinkValue cloudLink{L"clouds.png", 0};
    AddPicture(cloudLink, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 4, 4);
    for (DS_FX_Constructor* brush : {broken.get(), working.get()}) {
        if (auto* cloud = dynamic_cast<DS_CloudFX*>(brush)) cloud->cloudImage.StoreValue(cloudLink);
    }
    DS_BrushObj* brokenObject = MakeObject(*broken);
    MakeObject(*working);
    EXPECT_FALSE(brokenObject->Brush()->HasEffect());
    for (float t : {0.0f, 0.1f, 0.2f}) {
        for (auto& object : objects_) object->Update(t);
        RenderObjects(layer);
    }
    // Only the working brush reached the effect: one draw a frame.
    EXPECT_EQ(effect->draws.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BrushKindDraw, ::testing::ValuesIn(AllBrushKinds()), BrushKindName());

// The grid kinds: a stray world transform left by an earlier object is
// replaced by the picture's before the grid is drawn.
class GridKindDraw : public BrushFixture, public ::testing::WithParamInterface<BrushKind> {};

TEST_P(GridKindDraw, GridIsPlacedOnThePicture)
{
    DS_2D_Light& layer = MakePictureLayer(600, 400);
    RecordingEffect* effect = AddRecorder(kEffectLink);
    auto item = GetParam().make();
    item->effectLink.StoreValue(kEffectLink);
    item->fullScreen.SetValue(0);
    if (auto* cloud = dynamic_cast<DS_CloudFX*>(item.get())) {
        const FileLinkValue link{L"clouds.png", 0};
        AddPicture(link, MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }), 4, 4);
        cloud->cloudImage.StoreValue(link);
    }
    DS_BrushObj* object = MakeObject(*item);
    EXPECT_EQ(object->Brush()->Grid().VertexCount(), 9u);
    object->Update(0.1f);

    D3DXMATRIX stray;
    D3DXMatrixTranslation(&stray, 123.0f, -45.0f, 6.0f);
    ASSERT_TRUE(SUCCEEDED(Device()->SetTransform(D3DTS_WORLD, &stray)));
    RenderObjects(layer);
    ASSERT_EQ(effect->draws.size(), 1u);
    EXPECT_EQ(effect->draws[0].technique, "Main");
    D3DXMATRIX world;
    ASSERT_TRUE(SUCCEEDED(Device()->GetTransform(D3DTS_WORLD, &world)));
    const D3DXMATRIX expected = context_.WorldFor(layer.GetScreenQuad().combined);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ((&world._11)[i], (&expected._11)[i]) << i;
}

std::vector<BrushKind> GridKinds()
{
    std::vector<BrushKind> kinds;
    for (BrushKind& kind : AllBrushKinds())
        if (kind.name == "Bend" || kind.name == "Cloud") kinds.push_back(kind);
    return kinds;
}

INSTANTIATE_TEST_SUITE_P(Kinds, GridKindDraw, ::testing::ValuesIn(GridKinds()), BrushKindName());

}  // namespace
