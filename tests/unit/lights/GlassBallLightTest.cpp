// The glass ball's rules without a device: the generated textures' texels,
// the lens parameters, the shared animation clock, and its record.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "effects/lights/GlassBallLight.h"
#include "unit/MemoryArchive.h"
#include "unit/scene/PictureLayerRecordFixture.h"

namespace {

TEST(GlassBallTextures, LensDiscAndGradientTexels)
{
    const struct {
        int x, y;
        int16_t u, v;
    } lens[] = {{128, 128, 63, 63}, {192, 128, 8607, 73}, {64, 64, -9941, -9941}, {255, 128, 0, 0}};
    for (const auto& c : lens) {
        int16_t u = 0, v = 0;
        DS_GlassBallLight::LensTexel(c.x, c.y, u, v);
        EXPECT_EQ(u, c.u) << c.x << "," << c.y;
        EXPECT_EQ(v, c.v) << c.x << "," << c.y;
    }
    const struct {
        int i, j;
        uint8_t alpha;
    } disc[] = {{508, 0, 0}, {509, 0, 255}, {0, 0, 0}, {-512, -512, 255}, {0, -508, 0}, {360, 360, 255}};
    for (const auto& c : disc) EXPECT_EQ(DS_GlassBallLight::DiscTexel(c.i, c.j), c.alpha) << c.i << "," << c.j;
    // Red at the top to blue at the bottom (0x00BBGGRR colours in, 0x00RRGGBB
    // texels out).
    const struct {
        int row;
        uint32_t rgb;
    } gradient[] = {{0, 0x00FF0000}, {64, 0x00BF0040}, {128, 0x007F0080}, {255, 0x000000FF}};
    for (const auto& c : gradient) {
        EXPECT_EQ(DS_GlassBallLight::GradientRow(0x0000FF, 0xFF0000, c.row), c.rgb) << c.row;
    }
}

TEST(GlassBallTextures, LensParameters)
{
    const struct {
        uint32_t s, k;
        float sx, ky;
        float e, r, a;
    } cases[] = {
        {100, 0, 1, 1, -600.0f, 1.5645f, 0.125f},
        {0, 0, 1, 1, -2400.0f, 0.40425f, 0.125f},
        {100, 100, 1, 1, -600.0f, 2.34675f, 0.1875f},
        // No coverage (no background picture placed yet): the product
        // counts as 1 in the eye depth.
        {100, 0, 1, 0, -600.0f, 0.40425f, 0.125f},
        {100, 0, 0, 0, -600.0f, 0.40425f, 0.125f},
    };
    for (const auto& c : cases) {
        const DS_GlassBallLight::LensParams p = DS_GlassBallLight::LensFor(c.s, c.k, c.sx, c.ky);
        EXPECT_NEAR(p.eyeDepth, c.e, 1e-3f) << c.s << "," << c.k << "," << c.ky;
        EXPECT_NEAR(p.radiusFactor, c.r, 1e-5f) << c.s << "," << c.k << "," << c.ky;
        EXPECT_NEAR(p.amplitude, c.a, 1e-6f) << c.s << "," << c.k;
    }
    // Damaged records can hold any size: the values stay finite.
    const DS_GlassBallLight::LensParams huge = DS_GlassBallLight::LensFor(0xFFFFFFFFu, 0xFFFFFFFFu, 1, 1);
    EXPECT_TRUE(std::isfinite(huge.eyeDepth) && std::isfinite(huge.radiusFactor) && std::isfinite(huge.amplitude));
}

class GlassBallClockTest : public ::testing::Test {
protected:
    void SetUp() override { GlassBallClock::Instance().Restart(); }
    void TearDown() override { GlassBallClock::Instance().Restart(); }
};

TEST_F(GlassBallClockTest, SwayIsATriangleWaveOf32Seconds)
{
    GlassBallClock& clock = GlassBallClock::Instance();
    const float t0 = 5.0f;
    const struct {
        float t, sway;
    } steps[] = {{0, 1}, {8, 0}, {16, -1}, {24, 0}, {32, 1}};
    for (const auto& s : steps) {
        clock.Advance(t0 + s.t, 1.0f);
        EXPECT_NEAR(DS_GlassBallLight::SwayFor(clock.Accumulator()), s.sway, 1e-5f) << s.t;
    }
    // Speed 50 (factor 2) halves the period: a quarter wave in 4 s.
    clock.Restart();
    clock.Advance(t0, 2.0f);
    clock.Advance(t0 + 4.0f, 2.0f);
    EXPECT_NEAR(DS_GlassBallLight::SwayFor(clock.Accumulator()), 0.0f, 1e-5f);
}

TEST_F(GlassBallClockTest, ScrollFractionsByMode)
{
    GlassBallClock& clock = GlassBallClock::Instance();
    clock.Advance(3.0f, 1.0f);
    clock.Advance(11.0f, 1.0f);
    EXPECT_NEAR(DS_GlassBallLight::ScrollFraction(DS_GlassBallLight::kScrollOneWay, clock.Accumulator()), 0.75f,
                1e-5f);
    EXPECT_NEAR(DS_GlassBallLight::ScrollFraction(DS_GlassBallLight::kScrollOtherWay, clock.Accumulator()), 0.25f,
                1e-5f);
}

// FrameMove without a device: mode 0 keeps the accumulator and the sway at
// 0; mode 3 sways; modes 4 and up advance the clock but neither scroll nor
// sway.
TEST_F(GlassBallClockTest, FrameMoveByAnimationMode)
{
    const struct {
        int mode;
        float accumulatorAfter;
        float sway;
    } cases[] = {{0, 0.0f, 0.0f}, {3, 0.5f, 0.0f}, {4, 0.5f, 0.0f}, {-1, 0.5f, 0.0f}, {1, 0.5f, 0.0f}};
    for (const auto& c : cases) {
        GlassBallClock::Instance().Restart();
        DS_GlassBallLight light;
        light.animationMode.SetValue(c.mode);
        light.FrameMove(2.0f);
        EXPECT_NEAR(light.Sway(), c.mode == 3 ? 1.0f : 0.0f, 1e-5f) << c.mode;
        light.FrameMove(10.0f);
        EXPECT_NEAR(GlassBallClock::Instance().Accumulator(), c.accumulatorAfter, 1e-5f) << c.mode;
        EXPECT_NEAR(light.Sway(), c.sway, 1e-5f) << c.mode;
    }
}

TEST_F(GlassBallClockTest, AllBallsShareOneClock)
{
    DS_GlassBallLight first, second;
    first.FrameMove(1.0f);
    second.FrameMove(9.0f);
    EXPECT_NEAR(GlassBallClock::Instance().Accumulator(), 0.5f, 1e-5f);
    first.FrameMove(9.0f);
    EXPECT_NEAR(first.Sway(), second.Sway(), 1e-6f);
}

class GlassBallRecords : public PictureLayerRecordFixture {};

TEST_F(GlassBallRecords, Defaults)
{
    DS_GlassBallLight light;
    const struct {
        const DS_ImageFileLink& link;
        int64_t number;
    } links[] = {{light.overlay1Link, 58}, {light.overlay2Link, 59}, {light.standLink, 60}, {light.backgroundLink, 5}};
    for (const auto& l : links) {
        EXPECT_EQ(l.link.GetPath(), L"common_res.dll");
        EXPECT_EQ(l.link.GetValue().stamp, l.number);
    }
    EXPECT_NEAR(light.speed.GetDerived(), 1.0f, 1e-6f);
    EXPECT_EQ(light.ballSize.GetValue(), 100u);
    EXPECT_EQ(light.lensStrength.GetValue(), 0u);
    EXPECT_EQ(light.overlay1On.GetValue(), 1);
    EXPECT_EQ(light.overlay2On.GetValue(), 1);
    EXPECT_EQ(light.standOn.GetValue(), 0);
    EXPECT_EQ(light.pictureBackground.GetValue(), 0);
    EXPECT_EQ(light.animationMode.GetValue(), 3);
    EXPECT_TRUE(light.NeedsSceneTexture());
}

TEST_F(GlassBallRecords, RoundTripInEveryVersion)
{
    DS_GlassBallLight light;
    light.overlay1Link.StoreValue(FileLinkValue{L"a.png", 1});
    light.overlay2Link.StoreValue(FileLinkValue{L"b.png", 2});
    light.standLink.StoreValue(FileLinkValue{L"c.png", 3});
    light.backgroundLink.StoreValue(FileLinkValue{L"d.jpg", 4});
    light.speed.SetValue(50);
    light.ballPosition.StoreValue(POINT{-40, 25});
    light.ballSize.SetValue(80);
    light.lensStrength.SetValue(30);
    light.overlay1On.SetValue(0);
    light.overlay2On.SetValue(7);
    light.standOn.SetValue(1);
    light.pictureBackground.SetValue(1);
    light.animationMode.SetValue(2);
    light.topColor.SetValue(0x0000FF);
    light.bottomColor.SetValue(0xFF0000);
    light.PictureLink().StoreValue(FileLinkValue{L"scene.jpg", 9});

    MemoryArchive whole;
    DS_IOF_Archive handle = whole.Handle();
    light.Write(&handle);
    // Every version reads the same fields.
    for (int32_t version : {1, 0, 2, -3}) {
        MemoryArchive archive;
        archive.bytes = whole.bytes;
        // The version follows the class name: string length (4 bytes) and
        // UTF-16 text.
        const size_t versionAt = 4 + 2 * std::wcslen(DS_GlassBallLight::kClassName);
        std::memcpy(&archive.bytes[versionAt], &version, sizeof version);
        std::unique_ptr<DS_2D_Light> layer = ReadLayer(archive);
        auto* read = dynamic_cast<DS_GlassBallLight*>(layer.get());
        ASSERT_NE(read, nullptr) << version;
        EXPECT_FALSE(failed_);
        EXPECT_EQ(archive.cursor, archive.bytes.size());
        EXPECT_EQ(read->overlay1Link.GetPath(), L"a.png");
        EXPECT_EQ(read->overlay2Link.GetValue().stamp, 2);
        EXPECT_EQ(read->standLink.GetPath(), L"c.png");
        EXPECT_EQ(read->backgroundLink.GetValue().stamp, 4);
        EXPECT_NEAR(read->speed.GetDerived(), 2.0f, 1e-6f) << "the speed is read through its setter";
        EXPECT_EQ(read->ballPosition.GetValue().x, -40);
        EXPECT_EQ(read->ballPosition.GetValue().y, 25);
        EXPECT_EQ(read->ballSize.GetValue(), 80u);
        EXPECT_EQ(read->lensStrength.GetValue(), 30u);
        EXPECT_EQ(read->overlay1On.GetValue(), 0);
        EXPECT_EQ(read->overlay2On.GetValue(), 7);
        EXPECT_EQ(read->standOn.GetValue(), 1);
        EXPECT_EQ(read->pictureBackground.GetValue(), 1);
        EXPECT_EQ(read->animationMode.GetValue(), 2);
        EXPECT_EQ(read->topColor.GetValue(), 0x0000FFul);
        EXPECT_EQ(read->bottomColor.GetValue(), 0xFF0000ul);
        EXPECT_EQ(read->PictureLink().GetPath(), L"scene.jpg");
    }
}

TEST_F(GlassBallRecords, TruncatedRecordsAreRefused)
{
    DS_GlassBallLight light;
    MemoryArchive whole;
    DS_IOF_Archive handle = whole.Handle();
    light.Write(&handle);
    for (size_t cut = 1; cut < whole.bytes.size(); ++cut) {
        MemoryArchive archive;
        archive.bytes = whole.bytes;
        archive.Truncate(cut);
        EXPECT_EQ(ReadLayer(archive), nullptr) << cut;
        EXPECT_TRUE(failed_) << cut;
    }
}

// A hostile record: a string length far past the data, and extreme
// values, are refused or kept finite.
TEST_F(GlassBallRecords, HostileValues)
{
    {
        MemoryArchive archive;
        archive.WriteString(DS_GlassBallLight::kClassName);
        archive.WriteInt(1);
        archive.WriteInt(0x7FFFFFF0);  // a path length no record holds
        EXPECT_EQ(ReadLayer(archive), nullptr);
        EXPECT_TRUE(failed_);
    }
    DS_GlassBallLight light;
    light.ballSize.SetValue(0xFFFFFFFFu);
    light.lensStrength.SetValue(0xFFFFFFFFu);
    light.ballPosition.StoreValue(POINT{INT32_MIN, INT32_MAX});
    light.animationMode.SetValue(INT32_MIN);
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    light.Write(&handle);
    std::unique_ptr<DS_2D_Light> layer = ReadLayer(archive);
    auto* read = dynamic_cast<DS_GlassBallLight*>(layer.get());
    ASSERT_NE(read, nullptr);
    read->ComputeLensParams();
    read->SetBallTransforms(true);
    read->FrameMove(1.0f);
    const D3DXMATRIX& m = read->StageOneMatrix();
    for (float value : {m._11, m._22, m._41, m._42, read->Lens().eyeDepth, read->Sway()}) {
        EXPECT_TRUE(std::isfinite(value));
    }
}

}  // namespace
