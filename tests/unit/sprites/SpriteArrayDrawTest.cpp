// Sprite systems drawn for real through the picture layer: a test-only kind
// places sprites at fixed points over a 600 x 400 picture stretched over the
// 600 x 400 back buffer, so picture pixels are back-buffer pixels.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "engine/scene/CountedPtr.h"
#include "engine/scene/SlideContainer.h"
#include "objects/sprites/SpriteArrayObj.h"
#include "unit/D3DTestDevice.h"
#include "unit/sprites/SpriteDrawFixture.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

constexpr uint32_t kGrey = 0x808080;

class SpriteDraw : public SpriteDrawFixture {
protected:
    const FileLinkValue kRedLink{L"sprite-red", 1};
    const FileLinkValue kGreenLink{L"sprite-green", 1};
    const FileLinkValue kSheetLink{L"sprite-sheet", 1};
    // Frames of the sheet: left half, right half.
    static constexpr uint32_t kSheetLeft[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    static constexpr uint32_t kSheetRight[4] = {0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x000000};

    void SetUp() override
    {
        SpriteDrawFixture::SetUp();
        if (HasFatalFailure()) return;
        MakeBackground(kBlack);
        AddPicture(kRedLink, MakeTexture(8, 8, [](UINT, UINT) { return 0xFFFF0000u; }), 8, 8);
        AddPicture(kGreenLink, MakeTexture(8, 8, [](UINT, UINT) { return 0xFF00FF00u; }), 8, 8);
        // Four frames of 16 x 16 side by side, each two colours left and right.
        AddPicture(kSheetLink, MakeTexture(64, 16, [](UINT x, UINT) {
                       const UINT frame = x / 16;
                       return 0xFF000000u | ((x % 16) < 8 ? kSheetLeft[frame] : kSheetRight[frame]);
                   }),
                   64, 16);
        item_.imageLink.StoreValue(kRedLink);
        item_.size.SetValue(40);
        item_.places = {D3DXVECTOR3(100, 100, 0), D3DXVECTOR3(300, 200, 0), D3DXVECTOR3(500, 300, 0)};
    }

    DS_SpriteArrayObj& Build() { return BuildObject<DS_SpriteArrayObj>(item_); }

    TestSpriteKind item_;
};

}  // namespace

TEST_F(SpriteDraw, QuadsCoverTheirSpritesOnly)
{
    item_.count.SetValue(2);
    DS_SpriteArrayObj& object = Build();
    EXPECT_EQ(object.Instances().size(), 2u);
    Frame(0.1f);
    PixelIs(100, 100, kRed);
    PixelIs(84, 84, kRed);
    PixelIs(300, 200, kRed);
    PixelIs(125, 100, kBlack);
    PixelIs(100, 125, kBlack);
    PixelIs(300, 225, kBlack);
    PixelIs(500, 300, kBlack);  // a third place, but only two sprites
}

TEST_F(SpriteDraw, TransparencyColourAndBlendModes)
{
    MakeBackground(kGrey);
    const struct {
        int32_t blendMode;
        unsigned transparency;
        unsigned long colour;  // 0x00BBGGRR
        uint32_t expected;
    } cases[] = {
        {0, 0, 0xFFFFFF, kRed},
        {0, 50, 0xFFFFFF, 0xBF4040},  // half red over grey
        {1, 50, 0xFFFFFF, 0xFF8080},  // half red added to grey
        {0, 0, 0x00FF00, kBlack},     // green tint of a red picture
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transparency);
        item_.blendMode.SetValue(c.blendMode);
        item_.transparency.SetValue(c.transparency);
        item_.color.SetValue(c.colour);
        Build();
        Frame(0.1f);
        PixelIs(100, 100, c.expected);
        PixelIs(150, 100, kGrey);
    }
}

TEST_F(SpriteDraw, SheetFramesAndMirroring)
{
    item_.imageLink.StoreValue(kSheetLink);
    item_.sheet = true;
    item_.frameCount = 4;
    item_.frameRate = 2.0f;
    DS_SpriteArrayObj& object = Build();
    // 64 x 16 in four frames: each frame square, so the sprite is 40 x 40.
    EXPECT_FLOAT_EQ(object.Instances()[0]->halfWidth, 20.0f);
    EXPECT_FLOAT_EQ(object.Instances()[0]->halfHeight, 20.0f);
    const struct {
        float t;
        int mirror;
        int frame;
    } steps[] = {
        {0.1f, 0, 0}, {0.3f, 0, 0}, {0.5f, 0, 0},  // 0.5 s of clock is not more than 1 / 2 fps
        {0.7f, 0, 1}, {0.9f, 1, 1},                // mirrored: right half on the left
        {1.1f, 1, 1}, {1.3f, 1, 2}, {1.5f, 0, 2}, {1.7f, 0, 2}, {1.9f, 0, 3},
        {2.1f, 0, 3}, {2.3f, 1, 3}, {2.5f, 1, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.t);
        object.SpriteItem().mirrorHorizontally.SetValue(s.mirror);
        Frame(s.t);
        EXPECT_EQ(object.SheetFrame(), s.frame);
        PixelIs(90, 100, s.mirror ? kSheetRight[s.frame] : kSheetLeft[s.frame]);
        PixelIs(110, 100, s.mirror ? kSheetLeft[s.frame] : kSheetRight[s.frame]);
    }
}

TEST_F(SpriteDraw, SecondTextureIsDrawnOverEverySprite)
{
    item_.secondImageLink.StoreValue(kGreenLink);
    item_.blendMode.SetValue(1);
    DS_SpriteArrayObj& object = Build();
    ASSERT_TRUE(object.GetSecondTexture());
    Frame(0.1f);
    PixelIs(100, 100, kYellow);  // red, then green added
    PixelIs(130, 100, kBlack);

    item_.blendMode.SetValue(0);
    Build();
    Frame(0.1f);
    PixelIs(100, 100, kGreen);  // green over red
}

TEST_F(SpriteDraw, SpritesMoveBetweenUpdatesUnlessStatic)
{
    item_.motion = D3DXVECTOR3(100.0f, 0.0f, 0.0f);
    for (int isStatic : {0, 1}) {
        SCOPED_TRACE(isStatic);
        item_.isStatic.SetValue(isStatic);
        DS_SpriteArrayObj& object = Build();
        Frame(0.1f);  // moved 10 before the first fill: centre 110
        PixelIs(88, 100, kBlack);
        PixelIs(128, 100, kRed);
        Frame(0.3f);  // 20 more: centre 130 (a static item keeps its first quads)
        EXPECT_FLOAT_EQ(object.Instances()[0]->position.x, 130.0f);
        PixelIs(95, 100, isStatic ? kRed : kBlack);
        PixelIs(145, 100, isStatic ? kBlack : kRed);
    }
}

TEST_F(SpriteDraw, LoweredCountDrawsFewerAndKeepsUpdatingTheRest)
{
    item_.count.SetValue(3);
    DS_SpriteArrayObj& object = Build();
    Frame(0.1f);
    PixelIs(500, 300, kRed);
    const struct {
        unsigned count;
        size_t instances;
        bool third;
    } steps[] = {{1, 3, false}, {3, 3, true}, {0, 3, false}, {2, 3, false}, {3, 3, true}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.count);
        const int updatesBefore = static_cast<TestSpriteKind&>(object.SpriteItem()).updates;
        item_.count.SetValue(s.count);  // the template: its object does not listen
        object.SpriteItem().count.SetValue(s.count);
        Frame(0.2f);
        EXPECT_EQ(object.Instances().size(), s.instances);
        EXPECT_EQ(static_cast<TestSpriteKind&>(object.SpriteItem()).updates - updatesBefore, 3);
        PixelIs(100, 100, s.count > 0 ? kRed : kBlack);
        PixelIs(500, 300, s.third ? kRed : kBlack);
    }
}

// The vertex buffer lives in the default pool: a device Reset succeeds only
// once the slide's invalidate step has released it, and the next update
// makes and fills it again.
TEST_F(SpriteDraw, SpritesAreDrawnAgainAfterADeviceReset)
{
    for (int isStatic : {0, 1}) {
        SCOPED_TRACE(isStatic);
        item_.isStatic.SetValue(isStatic);
        DS_SlideContainer slide;
        slide.DrawnItems().push_back(std::make_unique<TestSpriteKind>(item_));
        slide.BuildObjects();
        objects_ = slide.DrawnObjects();
        ASSERT_EQ(objects_.size(), 1u);
        Frame(0.1f);
        PixelIs(100, 100, kRed);
        // The invalidate step, the device reset, then restore.
        slide.InvalidateDeviceObjects();
        layer_->InvalidateDeviceObjects();
        manager_->OnLostDevice();
        ComPtr<IDirect3DSwapChain9> chain;
        ASSERT_TRUE(SUCCEEDED(Device()->GetSwapChain(0, chain.ReleaseAndGetAddressOf())));
        D3DPRESENT_PARAMETERS params = {};
        ASSERT_TRUE(SUCCEEDED(chain->GetPresentParameters(&params)));
        chain.Reset();
        ASSERT_EQ(Device()->Reset(&params), D3D_OK);
        manager_->OnResetDevice();
        layer_->RestoreDeviceObjects();
        layer_->ResetDeviceState();
        Frame(0.2f);
        PixelIs(100, 100, kRed);
        PixelIs(300, 130, kBlack);
        objects_.clear();
    }
}

TEST_F(SpriteDraw, TextureFramesStepOnTheAnimationClock)
{
    AnimatedTexture<ParticleGeomArray> geometry;
    TextureFrames set;
    set.textures = {MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFF0000u; })};
    set.durations = {0.5f, 0.25f, 0.25f};  // more durations than textures
    geometry.SetFrames(set);
    const struct {
        float t;
        bool changed;
        int32_t frame;
        bool texture;
    } steps[] = {
        {0.4f, false, 0, true}, {0.5f, true, 1, false},  // a whole duration is enough
        {0.7f, false, 1, false}, {0.75f, true, 2, false}, {1.0f, true, 0, true},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(geometry.AdvanceFrame(s.t), s.changed) << s.t;
        EXPECT_EQ(geometry.FrameIndex(), s.frame) << s.t;
        EXPECT_EQ(geometry.FrameTexture() != nullptr, s.texture) << s.t;
    }
    AnimatedTexture<ParticleGeomArray> still;
    still.SetFrames(TextureFrames());
    EXPECT_FALSE(still.AdvanceFrame(100.0f));
    EXPECT_EQ(still.FrameTexture(), nullptr);
}

TEST_F(SpriteDraw, StaticItemsRewriteTheirQuadsWhenTheFrameChanges)
{
    TextureFrames& set = manager_->Store().textureSets[FileLinkValue{L"two-frames", 1}];
    set.textures = {MakeTexture(8, 8, [](UINT, UINT) { return 0xFFFF0000u; }),
                    MakeTexture(8, 8, [](UINT, UINT) { return 0xFF00FF00u; })};
    set.durations = {0.3f, 0.3f};
    set.SetSize(8, 8);
    item_.imageLink.StoreValue(FileLinkValue{L"two-frames", 1});
    item_.isStatic.SetValue(1);
    item_.motion = D3DXVECTOR3(100.0f, 0.0f, 0.0f);
    Build();
    Frame(0.1f);  // first update: written at centre 110
    PixelIs(95, 100, kRed);
    Frame(0.2f);  // moved to 120, same frame: the quads stay
    PixelIs(95, 100, kRed);
    PixelIs(135, 100, kBlack);
    Frame(0.3f);  // the second frame: written again at 130
    PixelIs(95, 100, kBlack);
    PixelIs(145, 100, kGreen);
}

// Version-1 documents hold the pictures as blobs: they become a frame
// sequence of the resource manager when the object is made.
TEST_F(SpriteDraw, LegacyPicturesPlayAsASequence)
{
    const std::wstring path = D3DTestDevice::ProgramDirectory() + L"..\\tests\\fixtures\\fixture.png";
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::vector<uint8_t> png{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(png.empty());
    for (int32_t id : {21, 22}) {
        ResourceBlob blob;
        blob.module = L"absent.dll";
        blob.id = id;
        blob.data = png;
        item_.legacyBlobs.push_back(blob);
    }
    item_.legacyDurations = {0.5f, 0.25f};
    item_.legacySecond.module = L"absent.dll";
    item_.legacySecond.id = 23;
    item_.legacySecond.data = png;
    item_.imageLink.StoreValue(FileLinkValue{});
    DS_SpriteArrayObj& object = Build();
    EXPECT_EQ(item_.imageLink.GetValue(), (FileLinkValue{L"absent.dll", 21}));
    EXPECT_EQ(item_.secondImageLink.GetValue(), (FileLinkValue{L"absent.dll", 23}));
    EXPECT_TRUE(item_.legacyBlobs.empty());
    EXPECT_TRUE(item_.legacyDurations.empty());
    ASSERT_EQ(object.Frames().textures.size(), 2u);
    EXPECT_EQ(object.Frames().durations, (std::vector<float>{0.5f, 0.25f}));
    // 32 x 16: red and green quadrants on top, so the sprite is 40 x 20.
    EXPECT_FLOAT_EQ(object.Instances()[0]->halfWidth, 20.0f);
    EXPECT_FLOAT_EQ(object.Instances()[0]->halfHeight, 10.0f);
    float t = 0.0f;
    std::vector<int32_t> frames;
    for (int i = 0; i < 8; ++i) {
        Frame(t += 0.125f);
        frames.push_back(object.FrameIndex());
    }
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 0, 0, 1, 1, 0, 0, 0}));
    PixelIs(90, 95, kRed);
    PixelIs(110, 95, kGreen);
    PixelIs(100, 115, kBlack);
}

TEST_F(SpriteDraw, CountsBeyondTheMostQuadsAreCapped)
{
    DS_SpriteArrayObj& object = Build();
    object.SpriteItem().count.SetValue(20000);
    EXPECT_EQ(object.Instances().size(), DS_BaseSpriteProp::kMaxSprites);
    EXPECT_EQ(object.VertexCount(), 4u * DS_BaseSpriteProp::kMaxSprites);
    EXPECT_EQ(object.DrawCount(), DS_BaseSpriteProp::kMaxSprites);
    Frame(0.1f);
    EXPECT_TRUE(object.QuadsWritten());
    PixelIs(100, 100, kRed);

    // Restart rewinds the clocks and every sprite's timers, not the sprites.
    object.Instances()[0]->firstTimer = 3.0f;
    object.Instances()[5]->pauseEnd = 2.0f;
    object.Restart();
    EXPECT_EQ(object.SpriteItem().SpeedClock(), 0.0f);
    EXPECT_EQ(object.Instances()[0]->firstTimer, 0.0f);
    EXPECT_EQ(object.Instances()[5]->pauseEnd, 0.0f);
    EXPECT_EQ(object.Instances()[0]->position, D3DXVECTOR3(100.0f, 100.0f, 0.0f));
}
