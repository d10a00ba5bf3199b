#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ostream>
#include <string>

#include "engine/render/RenderContext.h"
#include "unit/D3DTestDevice.h"

namespace {

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// Where picture point (x, y) lands in view units.
D3DXVECTOR2 InView(const RenderContext& context, float x, float y)
{
    const D3DXMATRIX world = context.WorldFor(Identity());
    const D3DXVECTOR3 p(x, y, 0);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &world);
    return D3DXVECTOR2(out.x, out.y);
}

bool AllFinite(const D3DXMATRIX& m)
{
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(static_cast<const float*>(m)[i])) return false;
    return true;
}

constexpr float kTolerance = 0.01f;

struct PlacementCase {
    const char* name;
    uint32_t pw, ph;
    float w, h;
    float bbW, bbH;
    int32_t mode;
    bool toTarget;
    float sx, sy;                    // picture-position zoom
    float left, top, right, bottom;  // picture corners in view units
};

const float k169 = 1600.0f / 900.0f;

const PlacementCase kPlacements[] = {
    {"square in 16:9, fit", 1000, 1000, 1600, 900, 1600, 900, RenderContext::kFit, false, 1, 1, 350, 0, 1250, 900},
    {"square in 16:9, stretch", 1000, 1000, 1600, 900, 1600, 900, RenderContext::kStretch, false, k169, 1, 0, 0, 1600,
     900},
    {"square in 16:9, fill", 1000, 1000, 1600, 900, 1600, 900, RenderContext::kFill, false, k169, k169, 0, -350, 1600,
     1250},
    {"half-size back buffer, fit", 1000, 1000, 1600, 900, 800, 450, RenderContext::kFit, false, 1, 1, 350, 0, 1250,
     900},
    {"half-size back buffer, fill", 1000, 1000, 1600, 900, 800, 450, RenderContext::kFill, false, k169, k169, 0, -350,
     1600, 1250},
    {"600 square in test window, fit", 600, 600, 600, 400, 600, 400, RenderContext::kFit, false, 1, 1, 100, 0, 500,
     400},
    {"600 square in test window, stretch", 600, 600, 600, 400, 600, 400, RenderContext::kStretch, false, 1.5f, 1, 0, 0,
     600, 400},
    {"600 square in test window, fill", 600, 600, 600, 400, 600, 400, RenderContext::kFill, false, 1.5f, 1.5f, 0, -100,
     600, 500},
    {"wide picture, fill crops the sides", 1000, 500, 600, 400, 600, 400, RenderContext::kFill, false, 4.0f / 3,
     4.0f / 3, -100, 0, 700, 400},
    {"exact fit, fit", 1600, 900, 1600, 900, 1600, 900, RenderContext::kFit, false, 1, 1, 0, 0, 1600, 900},
    {"exact fit, stretch", 1600, 900, 1600, 900, 1600, 900, RenderContext::kStretch, false, 1, 1, 0, 0, 1600, 900},
    {"exact fit, fill", 1600, 900, 1600, 900, 1600, 900, RenderContext::kFill, false, 1, 1, 0, 0, 1600, 900},
    // A target ignores the back buffer and is filled on both axes.
    {"render target", 1000, 500, 256, 256, 1600, 900, RenderContext::kToTarget, true, 1, 2, 0, 0, 256, 256},
    // An unknown picture position behaves as Fit.
    {"unknown mode", 600, 600, 600, 400, 600, 400, 7, false, 1, 1, 100, 0, 500, 400},
};

void PrintTo(const PlacementCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, PictureLandsWhereThePositionPutsIt)
{
    const PlacementCase& c = GetParam();
    RenderContext context;
    context.Place(c.pw, c.ph, c.w, c.h, c.mode, c.toTarget, BackBufferSize{c.bbW, c.bbH});
    EXPECT_NEAR(1.0f / context.InverseScaleX(), c.sx, 1e-4f);
    EXPECT_NEAR(1.0f / context.InverseScaleY(), c.sy, 1e-4f);
    const D3DXVECTOR2 topLeft = InView(context, 0, 0);
    const D3DXVECTOR2 bottomRight = InView(context, static_cast<float>(c.pw), static_cast<float>(c.ph));
    EXPECT_NEAR(topLeft.x, c.left, kTolerance);
    EXPECT_NEAR(topLeft.y, c.top, kTolerance);
    EXPECT_NEAR(bottomRight.x, c.right, kTolerance);
    EXPECT_NEAR(bottomRight.y, c.bottom, kTolerance);
    // The centre never moves with the picture-position zoom.
    const D3DXVECTOR2 centre = InView(context, c.pw * 0.5f, c.ph * 0.5f);
    EXPECT_NEAR(centre.x, (c.left + c.right) * 0.5f, kTolerance);
    EXPECT_NEAR(centre.y, (c.top + c.bottom) * 0.5f, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Positions, PlacementTest, ::testing::ValuesIn(kPlacements),
                         [](const ::testing::TestParamInfo<PlacementCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

TEST(RenderContextTest, FittedQuadNumbersOfTheSquarePictureIn16By9)
{
    RenderContext context;
    context.Place(1000, 1000, 1600, 900, RenderContext::kFit, false, BackBufferSize{800, 450});
    EXPECT_FLOAT_EQ(context.PixelScale(), 1000.0f / 900.0f);
    const RECT& r = context.FittedRect();
    EXPECT_EQ(r.left, 350);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1250);
    EXPECT_EQ(r.bottom, 900);
    // Ratios against the back buffer: 800 / 450 (quad 450 wide there).
    EXPECT_FLOAT_EQ(context.ViewRatioX(), 800.0f / 450.0f);
    EXPECT_FLOAT_EQ(context.ViewRatioY(), 1.0f);

    // Clip space: the view's top-left is (-1, 1), its bottom-right (1, -1).
    D3DXMATRIX toScreen;
    context.ToScreen(toScreen, Identity());
    const D3DXVECTOR3 corner(0, 0, 0);
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, &corner, &toScreen);
    EXPECT_NEAR(clip.x, 350.0f / 1600 * 2 - 1, 1e-5f);
    EXPECT_NEAR(clip.y, 1.0f, 1e-5f);
}

TEST(RenderContextTest, BorderQuadsReachThreeLongerSidesBeyondThePicture)
{
    RenderContext context;
    context.Place(800, 600, 800, 600, RenderContext::kFit, false, BackBufferSize{800, 600});
    const D3DXVECTOR3* left = context.BorderCorners(0);
    EXPECT_FLOAT_EQ(left[1].x, -2400.0f);
    EXPECT_FLOAT_EQ(left[0].y, 600.0f);
    const D3DXVECTOR3* bottom = context.BorderCorners(3);
    EXPECT_FLOAT_EQ(bottom[0].y, 3000.0f);
    EXPECT_FLOAT_EQ(bottom[3].x, 3200.0f);
}

struct PanCase {
    float pan;
    float low, high;  // picture edges on the panned axis, view units
};

TEST(RenderContextTest, ZoomAndPanKeepTheZoomedPictureOverTheView)
{
    // A picture that exactly fills the view, zoom 1.2.
    const PanCase cases[] = {{-1, 0, 1920}, {0, -160, 1760}, {1, -320, 1600}, {-0.5f, -80, 1840}};
    for (const PanCase& c : cases) {
        RenderContext context;
        context.Place(1600, 900, 1600, 900, RenderContext::kFit, false, BackBufferSize{1600, 900});
        context.ZoomAbout(1.2f, c.pan, 0);
        EXPECT_NEAR(InView(context, 0, 0).x, c.low, kTolerance) << c.pan;
        EXPECT_NEAR(InView(context, 1600, 0).x, c.high, kTolerance) << c.pan;
        EXPECT_NEAR(InView(context, 0, 0).y, -90, kTolerance) << c.pan;
        context.ZoomAbout(1.2f, 0, c.pan);
        const float scale = 900.0f / 1600.0f;
        EXPECT_NEAR(InView(context, 0, 0).y, c.low * scale, kTolerance) << c.pan;
        EXPECT_NEAR(InView(context, 0, 900).y, c.high * scale, kTolerance) << c.pan;
    }
}

TEST(RenderContextTest, NoZoomIsIdentityAndTargetsIgnoreTheCamera)
{
    RenderContext context;
    context.Place(1000, 1000, 1600, 900, RenderContext::kFill, false, BackBufferSize{1600, 900});
    context.ZoomAbout(1, 0, 0);
    EXPECT_EQ(context.Camera(), Identity());
    context.Place(1000, 1000, 256, 256, RenderContext::kToTarget, true, BackBufferSize{});
    const D3DXVECTOR2 before = InView(context, 0, 0);
    context.ZoomAbout(1.5f, 1, 1);
    const D3DXVECTOR2 after = InView(context, 0, 0);
    EXPECT_FLOAT_EQ(before.x, after.x);
    EXPECT_FLOAT_EQ(before.y, after.y);

    D3DXMATRIX t;
    context.Place(1000, 1000, 1600, 900, RenderContext::kFill, false, BackBufferSize{1600, 900});
    context.ZoomAbout(1.5f, 1, 1);
    context.GetTransform(t);
    EXPECT_FLOAT_EQ(t._41, 0.0f);
    EXPECT_FLOAT_EQ(t._42, 0.0f);
    EXPECT_NEAR(t._11, 1.5f * k169, 1e-4f);
}

TEST(RenderContextTest, EmptyPicturesAndViewsGiveFiniteMatrices)
{
    const float sizes[][4] = {{0, 0, 600, 400}, {0, 300, 600, 400}, {300, 0, 600, 400}, {300, 300, 0, 0}};
    for (const auto& s : sizes) {
        for (int32_t mode = 0; mode <= 3; ++mode) {
            RenderContext context;
            context.Place(static_cast<uint32_t>(s[0]), static_cast<uint32_t>(s[1]), s[2], s[3], mode, mode == 3,
                          BackBufferSize{0, 0});
            context.ZoomAbout(1.2f, 0.5f, -0.5f);
            D3DXMATRIX screen, screen2;
            context.ToScreen(screen, Identity());
            context.ToScreen2(screen2);
            EXPECT_TRUE(AllFinite(screen)) << s[0] << "x" << s[1] << " in " << s[2] << "x" << s[3] << " mode " << mode;
            EXPECT_TRUE(AllFinite(screen2));
            EXPECT_TRUE(std::isfinite(context.ViewRatioX()) && std::isfinite(context.ViewRatioY()));
        }
    }
    RenderContext context;
    context.Place(600, 600, 600, 400, RenderContext::kFit, false, BackBufferSize{600, 400});
    context.ZoomAbout(0.0f, 1, 1);  // a zoom of 0 counts as no zoom
    EXPECT_TRUE(AllFinite(context.Camera()));
}

TEST(RenderContextTest, MakingAUnitCurrentRestoresItsViewMetrics)
{
    RenderContext first, second;
    ScreenQuad quad;
    quad.FitPicture(100, 50, 800, 450);
    first.SetViewMetrics(50, quad, 800, 450, 100, BackBufferSize{1600, 900});
    second.SetViewMetrics(70, ScreenQuad(), 640, 480, 90, BackBufferSize{640, 480});
    EXPECT_EQ(ViewMetrics::Instance().pictureWidth, 90);

    RenderContext::MakeCurrent(&first);
    EXPECT_EQ(RenderContext::Current(), &first);
    const ViewMetrics& metrics = ViewMetrics::Instance();
    EXPECT_EQ(metrics.pictureWidth, 100);
    EXPECT_EQ(metrics.pictureHeight, 50);
    EXPECT_FLOAT_EQ(metrics.backBufferRatioX, 2.0f);
    EXPECT_FLOAT_EQ(metrics.backBufferRatioY, 2.0f);
    EXPECT_FLOAT_EQ(metrics.fittedQuad.corners[3].x, 800.0f);

    RenderContext fresh;  // no metrics yet: the record stays as it was
    RenderContext::MakeCurrent(&fresh);
    EXPECT_EQ(ViewMetrics::Instance().pictureWidth, 100);
    RenderContext::MakeCurrent(nullptr);
    EXPECT_EQ(RenderContext::Current(), nullptr);
    {
        RenderContext shortLived;
        RenderContext::MakeCurrent(&shortLived);
    }
    EXPECT_EQ(RenderContext::Current(), nullptr);  // never left dangling
}

TEST(ScreenQuadTest, FitPictureCentresTheLongerAxis)
{
    ScreenQuad tall, wide;
    tall.FitPicture(1000, 1000, 1600, 900);
    EXPECT_FLOAT_EQ(tall.corners[0].x, 350.0f);
    EXPECT_FLOAT_EQ(tall.corners[0].y, 900.0f);
    EXPECT_FLOAT_EQ(tall.corners[3].x, 1250.0f);
    EXPECT_FLOAT_EQ(tall.corners[3].y, 0.0f);
    wide.FitPicture(1000, 500, 600, 400);
    EXPECT_FLOAT_EQ(wide.corners[1].y, 50.0f);
    EXPECT_FLOAT_EQ(wide.corners[2].y, 350.0f);
    EXPECT_FLOAT_EQ(wide.corners[2].x, 600.0f);
    EXPECT_FLOAT_EQ(wide.corners[0].u, 0.0f);
    EXPECT_FLOAT_EQ(wide.corners[0].v, 1.0f);
    EXPECT_FLOAT_EQ(wide.corners[0].z, 1.0f);
}

// ---- on a device: the 600 x 400 test window ----

class RenderContextDeviceTest : public D3DTestDevice {
protected:
    RenderContextDeviceTest() : D3DTestDevice(kWideWidth, kWideHeight) {}

    // Draws a red quad over the whole 600 x 600 picture through the context.
    void DrawPicture(const RenderContext& context)
    {
        IDirect3DDevice9* d = Device();
        ScreenQuad picture;
        picture.corners[0].x = 0;
        picture.corners[0].y = 600;
        picture.corners[1].x = 0;
        picture.corners[1].y = 0;
        picture.corners[2].x = 600;
        picture.corners[2].y = 600;
        picture.corners[3].x = 600;
        picture.corners[3].y = 0;
        ASSERT_EQ(mesh_.SetColor(d, picture, 0xFFFF0000u), S_OK);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetTexture(0, nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        ASSERT_EQ(context.SetWorld(d, Identity()), S_OK);
        ASSERT_EQ(mesh_.BindStream(d), S_OK);
        ASSERT_EQ(d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    }
    DS_SimpleMesh<PC> mesh_;
};

struct PixelCase {
    int32_t mode;
    uint32_t band;  // pixel (20, 200), left of the fitted picture
    uint32_t top;   // pixel (300, 5)
};

TEST_F(RenderContextDeviceTest, PicturePositionsCoverTheExpectedPixels)
{
    const PixelCase cases[] = {
        {RenderContext::kFit, 0x000000u, 0xFF0000u},
        {RenderContext::kStretch, 0xFF0000u, 0xFF0000u},
        {RenderContext::kFill, 0xFF0000u, 0xFF0000u},
    };
    for (const PixelCase& c : cases) {
        RenderContext context;
        ASSERT_EQ(context.Setup(Device(), 600, 600, 600, 400, c.mode, false), S_OK);
        ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), S_OK);
        ASSERT_EQ(Device()->BeginScene(), S_OK);
        DrawPicture(context);
        Device()->EndScene();
        EXPECT_EQ(ReadPixel(20, 200), c.band) << "mode " << c.mode;
        EXPECT_EQ(ReadPixel(300, 5), c.top) << "mode " << c.mode;
        EXPECT_EQ(ReadPixel(300, 200), 0xFF0000u) << "mode " << c.mode;
        EXPECT_EQ(ReadPixel(590, 395), c.band) << "mode " << c.mode;
    }
}

TEST_F(RenderContextDeviceTest, BorderQuadsFillTheBandsAroundTheFittedPicture)
{
    IDirect3DDevice9* d = Device();
    ComPtr<IDirect3DTexture9> green;
    ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, green.ReleaseAndGetAddressOf(), nullptr), S_OK);
    D3DLOCKED_RECT rect = {};
    ASSERT_EQ(green->LockRect(0, &rect, nullptr, 0), S_OK);
    for (int y = 0; y < 4; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch);
        for (int x = 0; x < 4; ++x) row[x] = 0xFF00FF00u;
    }
    green->UnlockRect(0);

    RenderContext context;
    ASSERT_EQ(context.SetBorderTextures(d, green.Get()), S_OK);
    ASSERT_EQ(context.Setup(d, 600, 600, 600, 400, RenderContext::kFit, false), S_OK);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), S_OK);
    ASSERT_EQ(d->BeginScene(), S_OK);
    DrawPicture(context);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    EXPECT_EQ(context.DrawBorders(d), S_OK);
    d->EndScene();
    EXPECT_EQ(ReadPixel(20, 200), 0x00FF00u);
    EXPECT_EQ(ReadPixel(580, 200), 0x00FF00u);
    EXPECT_EQ(ReadPixel(300, 200), 0xFF0000u);
}

TEST_F(RenderContextDeviceTest, SetupWithoutADeviceStillPlaces)
{
    RenderContext context;
    EXPECT_EQ(context.Setup(nullptr, 600, 600, 600, 400, RenderContext::kFill, false), E_POINTER);
    EXPECT_NEAR(InView(context, 0, 0).y, -100.0f, kTolerance);
}

}  // namespace
