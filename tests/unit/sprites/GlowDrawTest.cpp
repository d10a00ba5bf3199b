// Glowing discharges drawn for real through the picture layer with the
// build's effect 97 over a grey picture. The bolt runs
// along y = 200 from x = 100 to 500 in four straight 100-pixel segments,
// 50 pixels tall; the bolt picture is a thin white line in the middle of
// each half, the glow picture plain white.
#include <gtest/gtest.h>

#include <memory>

#include "engine/render/RenderTargetChain.h"
#include "objects/sprites/DischargeFXConstructor.h"
#include "objects/sprites/GlowingObj.h"
#include "unit/BuildFiles.h"
#include "unit/sprites/SpriteDrawFixture.h"

namespace {

constexpr uint32_t kGrey = 0x808080;
// The white bolt line times the discharge's sprite colour 0xFFFFCC (BBGGRR).
constexpr uint32_t kLine = 0xCCFFFF;

class GlowDraw : public SpriteDrawFixture {
protected:
    const FileLinkValue kGlowLink{L"glow-test-glow", 1};
    const FileLinkValue kEffectLink{L"common_res.dll", DS_DischargeFXConstructor::kEffectId};
    const FileLinkValue kChosenLink{L"common_res.dll", DS_DischargeFXConstructor::kChosenPicture};
    const FileLinkValue kOtherLink{L"common_res.dll", DS_DischargeFXConstructor::kOtherPicture};

    void SetUp() override
    {
        SpriteDrawFixture::SetUp();
        if (HasFatalFailure()) return;
        MakeBackground(kGrey);
        // Rows 3, 4 and 11, 12: the middle of the upper and the lower half.
        bolt_ = MakeTexture(16, 16, [](UINT, UINT y) { return (y % 8 == 3 || y % 8 == 4) ? 0xFFFFFFFFu : 0x00000000u; });
        AddPicture(kChosenLink, bolt_, 16, 16);
        other_ = MakeTexture(16, 16, [](UINT, UINT) { return 0x00000000u; });
        AddPicture(kOtherLink, other_, 16, 16);
        AddPicture(kGlowLink, MakeTexture(8, 8, [](UINT, UINT) { return 0xFFFFFFFFu; }), 8, 8);
        ResourceBlob effect;
        effect.data = ReadBuiltEffect("097_glow");
        ASSERT_FALSE(effect.data.empty()) << "097_glow.fxo is missing from the build";
        manager_->Store().byteCache[kEffectLink] = {effect};

        item_.count.SetValue(4);
        item_.amplitude.SetValue(0);
        item_.start.SetValue(D3DXVECTOR3(100.0f, 200.0f, 0.0f));
        item_.end.SetValue(D3DXVECTOR3(500.0f, 200.0f, 0.0f));
        item_.secondImageLink.StoreValue(kGlowLink);
    }

    DS_GlowingObj& Build() { return BuildObject<DS_GlowingObj>(item_); }

    DS_DischargeFXConstructor item_;
    ComPtr<IDirect3DTexture9> bolt_;
    ComPtr<IDirect3DTexture9> other_;
};

TEST_F(GlowDraw, ObjectTakesItsEffectTexturesAndTarget)
{
    for (int choice : {1, 0}) {
        SCOPED_TRACE(choice);
        item_.textureChoice.SetValue(choice);
        // Whatever picture the document named, the choice decides.
        item_.imageLink.StoreValue(FileLinkValue{L"elsewhere.png", 3});
        DS_GlowingObj& object = Build();
        DS_DischargeFXConstructor& clone = static_cast<DS_DischargeFXConstructor&>(object.GlowItem());
        EXPECT_EQ(clone.imageLink.GetValue().stamp, choice ? 95 : 98);
        EXPECT_EQ(clone.SpriteTexture(), choice ? bolt_.Get() : other_.Get());
        EXPECT_NE(clone.GlowTexture(), nullptr);
        EXPECT_NE(clone.Effect(), nullptr);
        EXPECT_TRUE(object.NeedsSceneTexture());
        EXPECT_TRUE(object.Key().flag);
        EXPECT_NE(object.Key().guid, GUID{});
        ASSERT_NE(object.GlowTarget(), nullptr);
        EXPECT_EQ(object.GlowTarget()->Width(), 512u);
        EXPECT_EQ(object.GlowTarget()->Height(), 512u);
        EXPECT_EQ(object.Instances().size(), 4u);
        object.SetEnabled(false);  // draws nothing, so it must not be handed a cleared target
        EXPECT_FALSE(object.NeedsSceneTexture());
    }
}

TEST_F(GlowDraw, BlendColourIsTheGlowColourWithOpacityTimesIntensity)
{
    item_.glowColor.SetValue(0x336699);
    item_.intensity.SetValue(50);
    const D3DXVECTOR4 blend = Build().BlendColor();
    EXPECT_FLOAT_EQ(blend.x, 0x99 / 255.0f);
    EXPECT_FLOAT_EQ(blend.y, 0x66 / 255.0f);
    EXPECT_FLOAT_EQ(blend.z, 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(blend.w, 0.5f);
}

TEST_F(GlowDraw, GlowTurnsThePictureBesideTheBoltBluer)
{
    // Glow colour (0, 153, 255) over grey 128: screen gives (128, 204, 255)
    // at full intensity; the normal blend lays the glow colour over it.
    const struct {
        int32_t blendMode;
        unsigned intensity;
        uint32_t beside;
    } cases[] = {
        {1, 100, 0x80CCFF},
        {1, 50, 0x80A6BF},
        {0, 100, 0x0099FF},
        {0, 50, 0x408CBF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blendMode * 1000 + c.intensity);
        item_.blendMode.SetValue(c.blendMode);
        item_.intensity.SetValue(c.intensity);
        Build();
        Frame(0.05f);
        PixelIs(250, 214, c.beside);
        PixelIs(450, 186, c.beside);
        PixelIs(250, 100, kGrey);  // far from the bolt
        PixelIs(50, 200, kGrey);   // beyond its start
        PixelIs(250, 300, kGrey);
        const uint32_t line = ReadPixel(250, 200) & 0xFFFFFF;
        EXPECT_TRUE(Near(line, kLine)) << std::hex << line;  // the bolt itself on top
    }
}

TEST_F(GlowDraw, GlowTargetStartsEmptyEveryFrame)
{
    Build();
    Frame(0.05f);
    PixelIs(250, 214, 0x80CCFF);
    auto& clone = static_cast<DS_DischargeFXConstructor&>(static_cast<DS_GlowingObj*>(objects_[0].Get())->GlowItem());
    clone.start.SetValue(D3DXVECTOR3(100.0f, 300.0f, 0.0f));
    clone.end.SetValue(D3DXVECTOR3(500.0f, 300.0f, 0.0f));
    // Two rebuilds make both bolts the moved one.
    for (float t : {0.2f, 0.35f, 0.5f}) Frame(t);
    PixelIs(250, 314, 0x80CCFF);
    PixelIs(250, 214, kGrey);  // nothing of the earlier glow is left
}

TEST_F(GlowDraw, WithoutItsEffectThePictureStays)
{
    item_.effectLink.StoreValue(FileLinkValue{L"no-such-library.dll", DS_DischargeFXConstructor::kEffectId});
    DS_GlowingObj& object = Build();
    EXPECT_EQ(object.GlowItem().Effect(), nullptr);
    EXPECT_FALSE(object.NeedsSceneTexture());
    Frame(0.05f);
    for (UINT y : {100u, 200u, 214u}) PixelIs(250, y, kGrey);
}

TEST_F(GlowDraw, WithoutAGlowPictureOnlyTheSpritesDraw)
{
    item_.secondImageLink.StoreValue(FileLinkValue{});
    DS_GlowingObj& object = Build();
    EXPECT_EQ(object.GlowItem().GlowTexture(), nullptr);
    EXPECT_FALSE(object.NeedsSceneTexture());
    Frame(0.05f);
    PixelIs(250, 214, kGrey);
    PixelIs(250, 100, kGrey);
    const uint32_t line = ReadPixel(250, 200) & 0xFFFFFF;
    EXPECT_TRUE(Near(line, kLine)) << std::hex << line;
}

}  // namespace
