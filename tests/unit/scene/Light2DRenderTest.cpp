#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "unit/scene/Light2DTestFixture.h"

namespace {

const FileLinkValue kStripes{L"stripes.png", 1};
const FileLinkValue kSolidRed{L"red.png", 2};

// Four vertical stripes of 75 pixels: red, green, blue, white.
uint32_t StripeColour(UINT x, UINT)
{
    static const uint32_t kColours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    return kColours[x / 75];
}

struct Sample {
    UINT x, y;
    uint32_t colour;
};

struct PlacementCase {
    const char* name;
    int32_t mode;
    std::vector<Sample> samples;
};

void PrintTo(const PlacementCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr uint32_t kR = 0xFF0000, kG = 0x00FF00, kB = 0x0000FF, kW = 0xFFFFFF;
constexpr uint32_t kBg = DS_2D_Light::kBackgroundClear & 0xFFFFFF;

// A 300 x 100 picture in a 600 x 400 view. Stretch doubles x and
// quadruples y; Fit scales by 2 and centres vertically (rows 100 to 300);
// Fill scales by 4 and shows picture columns 75 to 225 (green, then blue
// from x = 300).
const PlacementCase kPlacements[] = {
    {"stretch",
     RenderContext::kStretch,
     {{140, 200, kR},
      {160, 200, kG},
      {290, 200, kG},
      {310, 200, kB},
      {440, 200, kB},
      {460, 200, kW},
      {5, 5, kR},
      {595, 395, kW}}},
    {"fit",
     RenderContext::kFit,
     {{140, 200, kR},
      {160, 200, kG},
      {460, 200, kW},
      {320, 105, kB},
      {320, 295, kB},
      {320, 95, kBg},
      {320, 305, kBg},
      {5, 5, kBg}}},
    {"fill", RenderContext::kFill, {{5, 5, kG}, {290, 200, kG}, {310, 200, kB}, {595, 395, kB}}},
};

class Light2DPlacement : public Light2DFixture, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(Light2DPlacement, PictureLandsInItsPicturePosition)
{
    const PlacementCase& c = GetParam();
    AddPicture(kStripes, MakeTexture(300, 100, StripeColour), 300, 100);
    DS_2D_Light& layer = MakeLayer(kStripes, c.mode);
    EXPECT_EQ(layer.PictureWidth(), 300);
    EXPECT_EQ(layer.PictureHeight(), 100);
    std::vector<CountedPtr<DS_ABObj>> none;
    DrawFrame(none);
    for (const Sample& s : c.samples) {
        const uint32_t pixel = ReadPixel(s.x, s.y);
        EXPECT_TRUE(Near(pixel, s.colour))
            << "(" << s.x << ", " << s.y << "): " << std::hex << pixel << " expected " << s.colour;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Light2DPlacement, ::testing::ValuesIn(kPlacements));

// A scene-needing object: copies what it is given as the scene over the
// whole picture, then draws a solid mark on top.
class SceneCopyObject : public DS_ABObj {
public:
    SceneCopyObject(IDirect3DDevice9* device, float x0, float y0, float x1, float y1, uint32_t argb, bool needsScene)
        : DS_ABObj(nullptr), needsScene_(needsScene)
    {
        ScreenQuad quad;
        quad.corners[0].x = x0, quad.corners[0].y = y1;
        quad.corners[1].x = x0, quad.corners[1].y = y0;
        quad.corners[2].x = x1, quad.corners[2].y = y1;
        quad.corners[3].x = x1, quad.corners[3].y = y0;
        for (auto& corner : quad.corners) corner.z = 0.0f;
        mark_.SetColor(device, quad, argb);
    }

    void Render(DS_ABRender* service) override
    {
        ++renders;
        IDirect3DDevice9* device = CurrentDevice();
        receivedScene = service->GetSceneTexture().Get();
        if (needsScene_) {
            const DS_TexturedMesh<PT>& quad = service->GetScreenQuad();
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            device->SetTexture(0, receivedScene);
            CurrentRenderContext()->SetWorld(device, quad.combined);
            quad.BindStream(device);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        }
        static_cast<DS_2D_Light*>(service)->DrawScreenVertices(&mark_);
    }
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    void Update(float) override {}
    bool NeedsSceneTexture() const override { return needsScene_; }

    IDirect3DTexture9* receivedScene = nullptr;
    int renders = 0;

private:
    bool needsScene_;
    DS_SimpleMesh<TP> mark_;
};

class Light2DComposition : public Light2DFixture {
protected:
    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        AddPicture(kSolidRed, MakeTexture(64, 64, [](UINT, UINT) { return 0xFFFF0000u; }), 64, 64);
        MakeLayer(kSolidRed, RenderContext::kStretch);
        // Drawn last to first: last (green mark, needs the scene), plain
        // (yellow), first (blue mark, needs the scene).
        first_ = new SceneCopyObject(Device(), 300, 50, 400, 150, 0xFF0000FF, true);
        plain_ = new SceneCopyObject(Device(), 200, 200, 250, 250, 0xFFFFFF00, false);
        last_ = new SceneCopyObject(Device(), 50, 50, 150, 150, 0xFF00FF00, true);
        objects_.emplace_back(first_);
        objects_.emplace_back(plain_);
        objects_.emplace_back(last_);
    }
    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
    }

    std::vector<CountedPtr<DS_ABObj>> objects_;
    SceneCopyObject* first_ = nullptr;
    SceneCopyObject* plain_ = nullptr;
    SceneCopyObject* last_ = nullptr;
};

TEST_F(Light2DComposition, EachObjectSamplesWhatWasDrawnBeforeIt)
{
    DrawFrame(objects_);
    EXPECT_FALSE(layer_->InChain());
    IDirect3DTexture9* picture = layer_->Picture().Texture();
    ASSERT_NE(last_->receivedScene, nullptr);
    ASSERT_NE(first_->receivedScene, nullptr);
    EXPECT_NE(last_->receivedScene, picture);
    EXPECT_NE(first_->receivedScene, last_->receivedScene);
    EXPECT_EQ(plain_->receivedScene, picture);
    // The first object drew to the back buffer over a copy of everything
    // drawn before it: the picture and both other objects' marks.
    EXPECT_TRUE(Near(ReadPixel(10, 10), kRed)) << std::hex << ReadPixel(10, 10);
    EXPECT_TRUE(Near(ReadPixel(100, 100), kGreen)) << std::hex << ReadPixel(100, 100);
    EXPECT_TRUE(Near(ReadPixel(225, 225), kYellow)) << std::hex << ReadPixel(225, 225);
    EXPECT_TRUE(Near(ReadPixel(350, 100), kBlue)) << std::hex << ReadPixel(350, 100);
    // The scene texture is the picture again once the objects are done.
    EXPECT_EQ(layer_->GetSceneTexture().Get(), picture);
}

TEST_F(Light2DComposition, DisabledObjectStillConsumesItsTarget)
{
    last_->SetEnabled(false);
    DrawFrame(objects_);
    EXPECT_EQ(last_->renders, 0);
    // The flipped target started opaque black and only the plain object
    // drew into it.
    EXPECT_TRUE(Near(ReadPixel(10, 10), kBlack)) << std::hex << ReadPixel(10, 10);
    EXPECT_TRUE(Near(ReadPixel(225, 225), kYellow));
    EXPECT_TRUE(Near(ReadPixel(350, 100), kBlue));
}

TEST_F(Light2DComposition, ChainWithoutTexturesDrawsStraightToTheBackBuffer)
{
    // As after a device reset, before the next ResetDeviceState.
    layer_->InvalidateDeviceObjects();
    DrawFrame(objects_);
    EXPECT_FALSE(layer_->InChain());
    IDirect3DTexture9* picture = layer_->Picture().Texture();
    EXPECT_EQ(first_->receivedScene, picture);
    EXPECT_EQ(last_->receivedScene, picture);
    EXPECT_TRUE(Near(ReadPixel(350, 100), kBlue));
    EXPECT_TRUE(Near(ReadPixel(10, 10), kRed));

    // The next activation gives the chain its textures again.
    layer_->ResetDeviceState();
    DrawFrame(objects_);
    EXPECT_NE(first_->receivedScene, picture);
    EXPECT_TRUE(Near(ReadPixel(100, 100), kGreen));
}

TEST_F(Light2DFixture, EmptyTextureSetDrawsNothingAndTheFrameGoesOn)
{
    DS_2D_Light& layer = MakeLayer(FileLinkValue{L"not in the document.png", 9}, RenderContext::kFit);
    EXPECT_EQ(layer.PictureWidth(), 0);
    EXPECT_EQ(layer.PictureHeight(), 0);
    for (int i = 0; i < 16; ++i) {
        const float m = static_cast<const float*>(context_.WorldFor(D3DXMATRIX(layer.Picture().combined)))[i];
        EXPECT_TRUE(std::isfinite(m));
    }
    std::vector<CountedPtr<DS_ABObj>> objects;
    auto* object = new SceneCopyObject(Device(), 290, 190, 310, 210, 0xFF00FF00, true);
    objects.emplace_back(object);
    for (int frame = 0; frame < 2; ++frame) {
        layer.FrameMove(0.1f * static_cast<float>(frame));
        DrawFrame(objects);
        // The empty picture quad copies nothing; the object's own mark
        // still reaches the back buffer.
        EXPECT_TRUE(Near(ReadPixel(300, 200), kGreen)) << std::hex << ReadPixel(300, 200);
        ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
        layer.DrawBorders(false);
        Device()->EndScene();
        EXPECT_TRUE(SUCCEEDED(Device()->Present(nullptr, nullptr, nullptr, nullptr)));
    }
    EXPECT_EQ(object->renders, 2);
}

TEST_F(Light2DFixture, FadeOverlaySetsEveryStateItBlendsWith)
{
    AddPicture(kSolidRed, MakeTexture(8, 8, [](UINT, UINT) { return 0xFFFFFFFFu; }), 8, 8);
    DS_2D_Light& layer = MakeLayer(kSolidRed, RenderContext::kStretch);
    ScreenQuad full;
    full.FullBackBuffer(Device());
    for (auto& corner : full.corners) corner.z = 0.0f;
    DS_SimpleMesh<TP> overlay;
    ASSERT_TRUE(SUCCEEDED(overlay.SetColor(Device(), full, 0x80000000)));

    ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
    layer.RenderBackground(false);
    // States an object might leave behind.
    Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Device()->SetRenderState(D3DRS_TEXTUREFACTOR, 0);
    Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    Device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    Device()->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    EXPECT_TRUE(SUCCEEDED(layer.DrawScreenVertices(&overlay)));
    EXPECT_EQ(layer.DrawScreenVertices(nullptr), S_FALSE);
    Device()->EndScene();
    EXPECT_TRUE(Near(ReadPixel(300, 200), 0x7F7F7F)) << std::hex << ReadPixel(300, 200);
}

struct SpriteBlendCase {
    const char* name;
    int32_t blendMode;
    uint32_t expected;  // half-transparent white over grey 0x80
};

void PrintTo(const SpriteBlendCase& c, std::ostream* os)
{
    *os << c.name;
}

class Light2DSpriteBlend : public Light2DFixture, public ::testing::WithParamInterface<SpriteBlendCase> {};

TEST_P(Light2DSpriteBlend, SpritesBlendByTheItemsBlendMode)
{
    const SpriteBlendCase& c = GetParam();
    AddPicture(kSolidRed, MakeTexture(60, 40, [](UINT, UINT) { return 0xFF808080u; }), 60, 40);
    DS_2D_Light& layer = MakeLayer(kSolidRed, RenderContext::kStretch);  // 10 view pixels per picture pixel
    const ComPtr<IDirect3DTexture9> white = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
    DS_IndexedMesh<DX_V::PCT> geometry;
    ASSERT_TRUE(SUCCEEDED(geometry.CreateQuads(Device(), 1)));
    DX_V::PCT* v = geometry.Lock();
    ASSERT_NE(v, nullptr);
    const float corners[4][4] = {{10, 20, 0, 1}, {10, 10, 0, 0}, {20, 20, 1, 1}, {20, 10, 1, 0}};
    for (int i = 0; i < 4; ++i) v[i] = {corners[i][0], corners[i][1], 0.0f, 0x80FFFFFFu, corners[i][2], corners[i][3]};
    geometry.Unlock();

    ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
    layer.RenderBackground(false);
    SpriteArrayDraw sprites;
    sprites.geometry = &geometry;
    sprites.frameTexture = white.Get();
    sprites.blendMode = c.blendMode;
    sprites.spriteCount = 1;
    EXPECT_TRUE(SUCCEEDED(layer.DrawSpriteArray(sprites)));
    Device()->EndScene();
    EXPECT_TRUE(Near(ReadPixel(150, 150), c.expected)) << std::hex << ReadPixel(150, 150);
    EXPECT_TRUE(Near(ReadPixel(50, 50), 0x808080)) << std::hex << ReadPixel(50, 50);
    DWORD blending = TRUE;
    Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);  // the test device is not pure
    EXPECT_EQ(blending, static_cast<DWORD>(FALSE));
}

INSTANTIATE_TEST_SUITE_P(Modes, Light2DSpriteBlend,
                         ::testing::Values(SpriteBlendCase{"blended", 0, 0xBFBFBF},
                                           SpriteBlendCase{"additive", 1, 0xFFFFFF}));

TEST_F(Light2DFixture, SlideBecomingCurrentBindsItsOwnBorders)
{
    const FileLinkValue borderA{L"border a.png", 1}, borderB{L"border b.png", 2};
    const ComPtr<IDirect3DTexture9> textureA = MakeTexture(4, 4, [](UINT, UINT) { return 0xFF112233u; });
    const ComPtr<IDirect3DTexture9> textureB = MakeTexture(4, 4, [](UINT, UINT) { return 0xFF445566u; });
    AddPicture(borderA, textureA, 4, 4);
    AddPicture(borderB, textureB, 4, 4);
    DS_2D_Light slideA, slideB;
    slideA.Camera().borderPath = borderA.path;
    slideA.Camera().borderStamp = borderA.stamp;
    slideB.Camera().borderPath = borderB.path;
    slideB.Camera().borderStamp = borderB.stamp;
    slideA.RestoreDeviceObjects();
    slideB.RestoreDeviceObjects();  // both built; the context holds B's borders
    EXPECT_EQ(context_.BorderQuad(0).Texture(), textureB.Get());
    slideA.ResetDeviceState();  // A becomes current
    for (int side = 0; side < 4; ++side) EXPECT_EQ(context_.BorderQuad(side).Texture(), textureA.Get());
}

TEST_F(Light2DFixture, NestedPushesRestoreSizeAndMode)
{
    AddPicture(kSolidRed, MakeTexture(8, 8, [](UINT, UINT) { return 0xFFFFFFFFu; }), 8, 8);
    DS_2D_Light& layer = MakeLayer(kSolidRed, RenderContext::kFill);
    RenderTargetChain outer(Device()), inner(Device());
    ASSERT_TRUE(SUCCEEDED(outer.Resize(128, 64)));
    ASSERT_TRUE(SUCCEEDED(inner.Resize(32, 16)));

    layer.PopRenderTarget();  // nothing pushed: no change
    EXPECT_EQ(layer.Width(), 600);
    EXPECT_FALSE(layer.ToTarget());

    layer.PushRenderTarget(outer, RenderContext::kToTarget);
    EXPECT_EQ(layer.Width(), 128);
    EXPECT_TRUE(layer.ToTarget());
    layer.PushRenderTarget(inner, RenderContext::kToTarget);
    EXPECT_EQ(layer.Height(), 16);
    layer.PopRenderTarget();
    EXPECT_EQ(layer.Width(), 128);
    EXPECT_EQ(layer.Height(), 64);
    EXPECT_TRUE(layer.ToTarget());
    EXPECT_EQ(context_.Mode(), RenderContext::kToTarget);
    layer.PopRenderTarget();
    EXPECT_EQ(layer.Width(), 600);
    EXPECT_EQ(layer.Height(), 400);
    EXPECT_FALSE(layer.ToTarget());
    EXPECT_EQ(context_.Mode(), RenderContext::kFill);
    EXPECT_EQ(RenderTargetSizeStack::Depth(), 0u);
}

}  // namespace
