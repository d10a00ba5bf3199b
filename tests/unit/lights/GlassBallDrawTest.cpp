// The glass ball drawn on a real device, pixels read back: the gradient
// around the ball, the scene inside its disc, and the ball's animations
// (still, scrolling either way, swaying).
#include <gtest/gtest.h>

#include <cmath>

#include "effects/lights/GlassBallLight.h"
#include "unit/lights/WaterLightsFixture.h"

namespace {

constexpr uint32_t kSceneGreen = 0x20C020;
constexpr uint32_t kRedFirstRed = 0x0000FF;   // 0x00BBGGRR
constexpr uint32_t kRedFirstBlue = 0xFF0000;

class GlassBallDraw : public WaterLightsFixture {
protected:
    void SetUp() override
    {
        WaterLightsFixture::SetUp();
        GlassBallClock::Instance().Restart();
    }
    void TearDown() override
    {
        GlassBallClock::Instance().Restart();
        WaterLightsFixture::TearDown();
    }

    // A red-to-blue gradient ball of the given size and mode over picture;
    // no overlays, no background picture.
    DS_GlassBallLight& MakeBall(const FileLinkValue& picture, unsigned size, int mode)
    {
        auto light = std::make_unique<DS_GlassBallLight>();
        light->overlay1On.SetValue(0);
        light->overlay2On.SetValue(0);
        light->backgroundLink.StoreValue(FileLinkValue{L"no background.png", 0});
        light->topColor.SetValue(kRedFirstRed);
        light->bottomColor.SetValue(kRedFirstBlue);
        light->ballSize.SetValue(size);
        light->animationMode.SetValue(mode);
        return Build(std::move(light), picture, 1);
    }

    // The projected ball's radius in pixels: half-side 256 at the eye
    // distance, through the pi/4 perspective on a square view.
    static float BallRadius(const DS_GlassBallLight& light)
    {
        const float cotangent = 1.0f / std::tan(3.1415927f / 8.0f);
        return 256.0f / std::fabs(light.Lens().eyeDepth) * cotangent * kSize / 2.0f;
    }

    static int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
    static int Red(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
    static int Blue(uint32_t c) { return static_cast<int>(c & 0xFF); }

    // Pixels inside the disc that differ between two frames, and the same
    // outside the ball.
    static void CountChanges(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, float radius,
                             int& inside, int& outside)
    {
        inside = outside = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const float d = std::hypot(x + 0.5f - kSize / 2.0f, y + 0.5f - kSize / 2.0f);
                if (Near(At(a, x, y), At(b, x, y), 4)) continue;
                if (d < 0.95f * radius) ++inside;
                if (d > 1.03f * radius) ++outside;
            }
        }
    }
};

TEST_F(GlassBallDraw, GradientAroundTheSceneInsideTheDisc)
{
    DS_GlassBallLight& light = MakeBall(NewPicture(256, 256, [](UINT, UINT) { return 0xFF000000u | kSceneGreen; }),
                                        50, DS_GlassBallLight::kStill);
    const std::vector<uint32_t> pixels = Frame(1.0f);
    const float radius = BallRadius(light);
    ASSERT_GT(radius, 40.0f);
    ASSERT_LT(radius, 120.0f);
    const int c = kSize / 2;
    // Inside the disc: the scene.
    for (const auto& p : {std::make_pair(c, c), std::make_pair(c + static_cast<int>(0.95f * radius), c),
                          std::make_pair(c, c - static_cast<int>(0.95f * radius))}) {
        EXPECT_TRUE(Near(At(pixels, p.first, p.second), kSceneGreen, 12))
            << p.first << "," << p.second << ": " << std::hex << At(pixels, p.first, p.second);
    }
    // Outside: the gradient, red at the top, blue at the bottom, both at
    // mid height just outside the disc.
    const uint32_t top = At(pixels, c, 2);
    const uint32_t bottom = At(pixels, c, kSize - 3);
    EXPECT_GT(Red(top), 240);
    EXPECT_LT(Blue(top), 15);
    EXPECT_GT(Blue(bottom), 240);
    EXPECT_LT(Red(bottom), 15);
    for (int x : {c + static_cast<int>(std::ceil(1.03f * radius)), c - static_cast<int>(std::ceil(1.03f * radius))}) {
        const uint32_t side = At(pixels, x, c);
        EXPECT_LT(Green(side), 8) << x << ": " << std::hex << side;
        EXPECT_NEAR(Red(side), 128, 12) << x;
        EXPECT_NEAR(Blue(side), 128, 12) << x;
    }
}

// A still ball draws the same frame again; a swaying one moves the scene
// inside the disc and nothing outside.
TEST_F(GlassBallDraw, StillAndSwayingBalls)
{
    const auto stripes = [](UINT x, UINT) { return (x / 32) % 2 ? 0xFFFFFFFFu : 0xFF000000u; };
    for (int mode : {DS_GlassBallLight::kStill, DS_GlassBallLight::kSway}) {
        GlassBallClock::Instance().Restart();
        DS_GlassBallLight& light = MakeBall(NewPicture(256, 256, stripes), 60, mode);
        const std::vector<uint32_t> first = Frame(1.0f);
        const std::vector<uint32_t> later = Frame(5.0f);
        int inside = 0, outside = 0;
        CountChanges(first, later, BallRadius(light), inside, outside);
        EXPECT_EQ(outside, 0) << mode;
        if (mode == DS_GlassBallLight::kStill) {
            EXPECT_EQ(inside, 0);
        } else {
            EXPECT_GT(inside, 500);
        }
    }
}

// The scrolling modes draw the scene twice into the next render target,
// shifted sideways by the scroll fraction of the width and wrapped, before
// the ball shows it: the ball's centre then shows the scene at half the
// width less that fraction. Of three bands the unscrolled centre shows the
// middle one.
TEST_F(GlassBallDraw, ScrollingBallsShowTheSceneShiftedSideways)
{
    const uint32_t bands[3] = {0xC02020, kSceneGreen, 0x2020C0};
    const auto banded = [bands](UINT x, UINT) { return 0xFF000000u | bands[x * 3 / 256]; };
    // From 1 s to 9 s the clock runs 0.5 units. Mode 1 shifts by 0.75 of
    // the width (the centre shows the scene 3/4 across, the last band),
    // mode 2 by 0.25 (1/4 across, the first band).
    const struct {
        int mode;
        uint32_t centre;
    } cases[] = {{DS_GlassBallLight::kScrollOneWay, bands[2]}, {DS_GlassBallLight::kScrollOtherWay, bands[0]}};
    const int c0 = kSize / 2;
    for (const auto& c : cases) {
        GlassBallClock::Instance().Restart();
        MakeBall(NewPicture(256, 256, banded), 60, c.mode);
        const std::vector<uint32_t> first = Frame(1.0f);
        EXPECT_TRUE(Near(At(first, c0, c0), bands[1], 12)) << c.mode << ": " << std::hex << At(first, c0, c0);
        const std::vector<uint32_t> later = Frame(9.0f);
        EXPECT_TRUE(Near(At(later, c0, c0), c.centre, 12)) << c.mode << ": " << std::hex << At(later, c0, c0);
        // Around the ball the gradient stays.
        EXPECT_GT(Red(At(later, c0, 2)), 240) << c.mode;
    }
}

// Nothing to draw with: no slide picture, no background picture, no
// overlay or stand pictures (stand on). The gradient and the ball still
// show, and nothing turns NaN.
TEST_F(GlassBallDraw, MissingPicturesDrawWhatIsThere)
{
    DS_GlassBallLight& light = MakeBall(FileLinkValue{L"missing.png", 0}, 100, DS_GlassBallLight::kSway);
    light.overlay1On.SetValue(1);
    light.standOn.SetValue(1);
    light.overlay1Link.StoreValue(FileLinkValue{L"missing overlay.png", 0});
    light.standLink.StoreValue(FileLinkValue{L"missing stand.png", 0});
    const std::vector<uint32_t> pixels = Frame(1.0f);
    EXPECT_GT(Red(At(pixels, 2, 2)), 240);
    const D3DXMATRIX& m = light.StageOneMatrix();
    for (float value : {m._11, m._22, m._41, m._42, light.Lens().eyeDepth}) EXPECT_TRUE(std::isfinite(value));
}

// A layer whose render targets were released (invalidated, its state not
// reset yet) draws its frame straight to the back buffer, and the closing
// pass leaves it alone. Through a device reset and the state reset that
// follows it the ball comes back.
TEST_F(GlassBallDraw, NoRenderTargetsLeaveTheSceneAlone)
{
    DS_GlassBallLight& light = MakeBall(NewPicture(256, 256, [](UINT, UINT) { return 0xFF000000u | kSceneGreen; }),
                                        50, DS_GlassBallLight::kSway);
    light.InvalidateDeviceObjects();
    const std::vector<uint32_t> pixels = Frame(1.0f);
    EXPECT_TRUE(Near(At(pixels, 2, 2), kSceneGreen, 8)) << std::hex << At(pixels, 2, 2);
    // Nothing of the ball's is left in the default pool.
    ASSERT_EQ(ResetDevice(), D3D_OK);
    light.ResetDeviceState();
    const std::vector<uint32_t> again = Frame(2.0f);
    EXPECT_GT(Red(At(again, kSize / 2, 2)), 240);
    EXPECT_TRUE(Near(At(again, kSize / 2, kSize / 2), kSceneGreen, 12)) << std::hex << At(again, kSize / 2, kSize / 2);
}

// Picture background 1: the background picture in the Fit position with
// black bars over the margins; the user's picture position moves it, and a
// render target pushed with a position lays it out in that one until the
// pop. With the gradient the layout is always Fill.
TEST_F(GlassBallDraw, BackgroundPictureAndItsPlacement)
{
    DS_GlassBallLight& light = MakeBall(NewPicture(256, 256, [](UINT, UINT) { return 0xFF000000u | kSceneGreen; }),
                                        30, DS_GlassBallLight::kStill);
    light.backgroundLink.StoreValue(NewPicture(256, 128, [](UINT, UINT) { return 0xFF2040E0u; }));
    light.pictureBackground.SetValue(1);
    light.LoadBackgroundPicture();
    light.ApplyBackgroundChoice();
    EXPECT_EQ(light.SecondPlacementMode(), RenderContext::kFit);
    const std::vector<uint32_t> pixels = Frame(1.0f);
    EXPECT_TRUE(Near(At(pixels, 3, 3), 0x000000, 4)) << std::hex << At(pixels, 3, 3);
    EXPECT_TRUE(Near(At(pixels, 3, kSize / 2), 0x2040E0, 12)) << std::hex << At(pixels, 3, kSize / 2);
    EXPECT_TRUE(Near(At(pixels, 3, kSize - 4), 0x000000, 4)) << std::hex << At(pixels, 3, kSize - 4);
    EXPECT_TRUE(Near(At(pixels, kSize / 2, kSize / 2), kSceneGreen, 12));

    const struct {
        int background, position, placement;
    } positions[] = {{1, 0, 0}, {1, 2, 2}, {0, 0, 2}, {0, 1, 2}};
    for (const auto& c : positions) {
        light.pictureBackground.SetValue(c.background);
        light.SetPicturePosition(c.position);
        EXPECT_EQ(light.SecondPlacementMode(), c.placement) << c.background << "," << c.position;
    }

    light.pictureBackground.SetValue(1);
    light.SetPicturePosition(RenderContext::kStretch);
    RenderTargetChain chain(Device());
    ASSERT_TRUE(SUCCEEDED(chain.Resize(128, 64)));
    const struct {
        int32_t mode, during;
    } pushes[] = {{RenderContext::kFill, RenderContext::kFill}, {RenderContext::kToTarget, RenderContext::kStretch}};
    for (const auto& c : pushes) {
        light.PushRenderTarget(chain, c.mode);
        EXPECT_EQ(light.SecondPlacementMode(), c.during) << c.mode;
        EXPECT_EQ(light.Width(), 128);
        light.PopRenderTarget();
        EXPECT_EQ(light.SecondPlacementMode(), RenderContext::kStretch) << c.mode;
        EXPECT_EQ(light.Width(), kSize);
        EXPECT_EQ(light.Height(), kSize);
    }
}

// An overlay blends over the ball by its alpha; the stand is drawn under
// the ball over the background.
TEST_F(GlassBallDraw, OverlayAndStand)
{
    const struct {
        int overlay, stand;
        uint32_t centre, belowBall;
    } cases[] = {{0, 0, kSceneGreen, 0}, {1, 1, 0x8FDF8F, 0xFFFF00}};
    for (const auto& c : cases) {
        DS_GlassBallLight& light = MakeBall(
            NewPicture(256, 256, [](UINT, UINT) { return 0xFF000000u | kSceneGreen; }), 30, DS_GlassBallLight::kStill);
        light.overlay1Link.StoreValue(NewPicture(64, 64, [](UINT, UINT) { return 0x80FFFFFFu; }));
        light.standLink.StoreValue(NewPicture(64, 64, [](UINT, UINT) { return 0xFFFFFF00u; }));
        light.overlay1On.SetValue(c.overlay);
        light.standOn.SetValue(c.stand);
        light.RestoreDeviceObjects();
        light.ResetDeviceState();
        const std::vector<uint32_t> pixels = Frame(1.0f);
        const int c0 = kSize / 2;
        const int below = c0 + static_cast<int>(1.15f * BallRadius(light));
        EXPECT_TRUE(Near(At(pixels, c0, c0), c.centre, 12)) << c.overlay << ": " << std::hex << At(pixels, c0, c0);
        if (c.stand) {
            EXPECT_TRUE(Near(At(pixels, c0, below), c.belowBall, 12)) << std::hex << At(pixels, c0, below);
        } else {
            EXPECT_LT(Green(At(pixels, c0, below)), 8) << std::hex << At(pixels, c0, below);
        }
    }
}

}  // namespace
