// Particle layers drawn for real under Wine: a grey picture over the whole
// 600 x 400 back buffer, one square sprite at (150, 200), and the build's
// particles effect stored as a document stores it. Each way of drawing puts
// its colour on the sprite and leaves the picture as it was away from it.
#include <gtest/gtest.h>

#include "engine/scene/SlideContainer.h"
#include "unit/particles/ParticleLayerFixture.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

constexpr UINT kSpriteX = 150, kSpriteY = 200;
// Sprite colour 0x00BBGGRR: red 128, green 255, blue 0.
constexpr unsigned long kSpriteColor = 0x0000FF80ul;

class ParticlePixelTest : public ParticleLayerFixture {
protected:
    const FileLinkValue kSpriteLink{L"particle-test-sprite", 1};

    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        sprite_ = MakeTexture(16, 16, [](UINT, UINT) { return 0xFFFFFFFFu; });
        AddPicture(kSpriteLink, sprite_, 16, 16);
    }

    // One sprite item drawn with the given blend mode, with or without the effect.
    TestParticleKind Item(int32_t blend, bool effect)
    {
        TestParticleKind item;
        item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kSpriteLink)));
        item.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kSpriteLink)));
        if (effect) item.effectLink.StoreValue(kEffectLink);
        item.color.StoreValue(kSpriteColor);
        item.blendMode.SetValue(blend);
        item.particles.emplace_back(static_cast<float>(kSpriteX), static_cast<float>(kSpriteY), 0.0f);
        return item;
    }

    ComPtr<IDirect3DTexture9> sprite_;
};

}  // namespace

TEST_F(ParticlePixelTest, EachBlendModeColoursTheSpriteAndKeepsThePicture)
{
    const struct {
        const char* label;
        int32_t blend;
        bool effect;
        bool target;  // the kind fetches its private target
        bool needsScene;
        uint32_t sprite;  // 0xRRGGBB over grey 64
    } cases[] = {
        {"plain", 0, false, true, false, 0x80FF00},
        {"plain, screen asked", 1, false, true, false, 0x80FF00},    // no effect: drawn plainly, no scene needed
        {"effect without target", 2, true, false, false, 0x80FF00},  // never through a missing target
        {"normal", 0, true, true, false, 0x80FF00},
        {"screen", 1, true, true, true, 0xA0FF40},        // 64 + 128 - 64 x 128 / 255
        {"colour dodge", 2, true, true, true, 0x80FF40},  // 64 / (1 - 0.5); green saturates
        {"sum", 3, true, true, false, 0xC0FF40},
        {"mode 9 as normal", 9, true, true, false, 0x80FF00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        objects_.clear();
        TestParticleKind item = Item(c.blend, c.effect);
        item.composes = c.target;
        DS_ParticlesObj* object = Make(item);
        EXPECT_EQ(object->NeedsSceneTexture(), c.needsScene);
        Frame(0.1f);
        EXPECT_TRUE(Near(ReadPixel(kSpriteX, kSpriteY), c.sprite)) << std::hex << ReadPixel(kSpriteX, kSpriteY);
        EXPECT_TRUE(Near(ReadPixel(kSpriteX + 15, kSpriteY - 15), c.sprite));
        EXPECT_TRUE(Near(ReadPixel(kSpriteX + 30, kSpriteY), kGrey)) << std::hex << ReadPixel(kSpriteX + 30, kSpriteY);
        EXPECT_TRUE(Near(ReadPixel(450, 100), kGrey)) << std::hex << ReadPixel(450, 100);
        EXPECT_TRUE(Near(ReadPixel(450, 350), kGrey));
    }
}

// Two buffers joined in a layer cleared to transparent white: the glow
// buffer (drawn second, half transparent green) over the colour buffer,
// and the white of the clear never reaches the picture.
TEST_F(ParticlePixelTest, JoinedBuffersComposeWithoutTheClearColour)
{
    TestParticleKind item = Item(0, true);
    item.join = true;
    item.color.StoreValue(0x000000FFul);  // red
    item.glowColor.StoreValue(0x0000FF00ul);
    item.glowColor.transparency.SetValue(50);  // alpha 127
    DS_ParticlesObj* object = Make(item);
    auto* clone = static_cast<TestParticleKind*>(object->Generator());
    EXPECT_NE(clone->CurrentTexture(1), nullptr);
    EXPECT_EQ(clone->CurrentTexture(2), nullptr);  // past the texture sets
    Frame(0.1f);
    EXPECT_TRUE(Near(ReadPixel(kSpriteX, kSpriteY), 0x807F00)) << std::hex << ReadPixel(kSpriteX, kSpriteY);
    EXPECT_TRUE(Near(ReadPixel(kSpriteX + 30, kSpriteY), kGrey)) << std::hex << ReadPixel(kSpriteX + 30, kSpriteY);
    EXPECT_TRUE(Near(ReadPixel(450, 100), kGrey)) << std::hex << ReadPixel(450, 100);
}

TEST_F(ParticlePixelTest, BuffersAreDynamicGrowByPowersOfTwoAndComeBackAfterRelease)
{
    TestParticleKind item = Item(0, false);
    DS_ParticlesObj* object = Make(item);
    object->ReserveQuads(0, 3);
    ASSERT_NE(object->Buffer(0)->VertexBuffer(), nullptr);
    EXPECT_EQ(object->Capacity(0), 4u);
    IDirect3DVertexBuffer9* first = object->Buffer(0)->VertexBuffer();
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(first->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY));
    D3DINDEXBUFFER_DESC indexDesc{};
    ASSERT_EQ(object->Buffer(0)->IndexBuffer()->GetDesc(&indexDesc), D3D_OK);
    EXPECT_NE(indexDesc.Usage & D3DUSAGE_DYNAMIC, static_cast<DWORD>(D3DUSAGE_DYNAMIC));

    object->ReserveQuads(0, 4);
    EXPECT_EQ(object->Buffer(0)->VertexBuffer(), first);  // still fits: kept
    object->ReserveQuads(0, 5);
    EXPECT_EQ(object->Capacity(0), 8u);
    object->ReserveQuads(0, 2);
    EXPECT_EQ(object->Capacity(0), 8u);  // never shrinks
    EXPECT_EQ(object->QuadCount(0), 2u);
    object->ReserveQuads(0, 100000);
    EXPECT_EQ(object->QuadCount(0), DS_ParticlesObj::QuadMesh::kMaxQuads);
}

// The slide's invalidate step releases the buffers, the device is reset, and
// the next update makes them again; the private target comes back with the
// resource manager.
TEST_F(ParticlePixelTest, SpritesAreDrawnAgainAfterADeviceReset)
{
    for (bool effect : {false, true}) {
        SCOPED_TRACE(effect);
        DS_SlideContainer slide;
        slide.DrawnItems().push_back(std::make_unique<TestParticleKind>(Item(1, effect)));
        slide.BuildObjects();
        objects_ = slide.DrawnObjects();
        ASSERT_EQ(objects_.size(), 1u);
        const uint32_t sprite = effect ? 0xA0FF40 : 0x80FF00;
        Frame(0.1f);
        EXPECT_TRUE(Near(ReadPixel(kSpriteX, kSpriteY), sprite)) << std::hex << ReadPixel(kSpriteX, kSpriteY);
        slide.InvalidateDeviceObjects();
        layer_->InvalidateDeviceObjects();
        manager_->OnLostDevice();
        auto* object = static_cast<DS_ParticlesObj*>(objects_[0].Get());
        EXPECT_EQ(object->Buffer(0)->VertexBuffer(), nullptr);
        EXPECT_EQ(object->LockBuffer(0), nullptr);
        ASSERT_EQ(ResetDevice(), D3D_OK) << "a default-pool object outlived the lost device";
        manager_->OnResetDevice();
        layer_->RestoreDeviceObjects();
        layer_->ResetDeviceState();
        Frame(0.2f);
        EXPECT_NE(object->Buffer(0)->VertexBuffer(), nullptr);
        EXPECT_TRUE(Near(ReadPixel(kSpriteX, kSpriteY), sprite)) << std::hex << ReadPixel(kSpriteX, kSpriteY);
        EXPECT_TRUE(Near(ReadPixel(450, 100), kGrey)) << std::hex << ReadPixel(450, 100);
        objects_.clear();
    }
}

// A portrait picture fitted into the wide back buffer (x 150 to 450): the
// layer drawn through the private target lands where the plain sprite does.
TEST_F(ParticlePixelTest, LayersLineUpWithThePictureWhenItIsFitted)
{
    AddPicture(kPictureLink, picture_, 300, 400);
    MakeLayer(kPictureLink, RenderContext::kFit);
    const struct {
        const char* label;
        int32_t blend;
        bool effect;
        uint32_t sprite;
    } cases[] = {
        {"plain", 0, false, 0x80FF00},
        {"normal", 0, true, 0x80FF00},
        {"screen", 1, true, 0xA0FF40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        objects_.clear();
        TestParticleKind item = Item(c.blend, c.effect);
        Make(item);
        Frame(0.1f);
        EXPECT_TRUE(Near(ReadPixel(150 + kSpriteX, kSpriteY), c.sprite)) << std::hex << ReadPixel(300, kSpriteY);
        EXPECT_TRUE(Near(ReadPixel(150 + kSpriteX - 30, kSpriteY), kGrey)) << std::hex << ReadPixel(270, kSpriteY);
        EXPECT_TRUE(Near(ReadPixel(400, 100), kGrey)) << std::hex << ReadPixel(400, 100);
    }
}
