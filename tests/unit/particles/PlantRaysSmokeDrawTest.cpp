// The plant, the radial rays and the smoke drawn for real under Wine over
// the grey 600 x 400 picture of the particle layer fixture (picture pixels
// are back-buffer pixels), with the order of their random draws.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/Plant.h"
#include "objects/particles/RadialRays.h"
#include "objects/particles/Smoke.h"
#include "unit/particles/ParticleLayerFixture.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;

class PlantRaysSmokeDrawTest : public ParticleLayerFixture {
protected:
    const FileLinkValue kWhiteLink{L"white-sprite", 1};
    const FileLinkValue kSplitLink{L"red-green-sprite", 1};
    const FileLinkValue kPlantEffectLink{L"plant-effect", 1};

    void SetUp() override
    {
        ParticleLayerFixture::SetUp();
        if (HasFatalFailure()) return;
        white_ = MakeTexture(16, 16, [](UINT, UINT) { return 0xFFFFFFFFu; });
        AddPicture(kWhiteLink, white_, 16, 16);
        // Red on the left half, green on the right.
        split_ = MakeTexture(16, 16, [](UINT x, UINT) { return x < 8 ? 0xFFFF0000u : 0xFF00FF00u; });
        AddPicture(kSplitLink, split_, 16, 16);
        ResourceBlob blob;
        blob.data = ReadBuiltEffect("document/plant");
        ASSERT_FALSE(blob.data.empty()) << "document/plant.fxo is missing from the build";
        manager_->Store().byteCache[kPlantEffectLink] = {blob};
    }

    // Four red rays 150 long and 20 wide from the picture's centre; the first
    // along +x, the next turned a quarter towards +y.
    DS_RadialRays Rays(unsigned count, bool effect)
    {
        DS_RadialRays rays;
        rays.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kWhiteLink)));
        if (effect) rays.effectLink.StoreValue(kEffectLink);
        rays.color.StoreValue(0x000000FF);
        rays.rayLength.SetValue(150);
        rays.rayWidth.SetValue(20);
        rays.rayCount.SetValue(count);
        rays.origin.SetValue(D3DXVECTOR3(300, 200, 0));
        return rays;
    }

    DS_Plant Plant(unsigned bend, bool effect)
    {
        DS_Plant plant;
        plant.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kSplitLink)));
        if (effect) plant.effectLink.StoreValue(kPlantEffectLink);
        plant.rectangle.SetRect(D3DXVECTOR3(300, 200, 0), 200, 200);
        plant.timeSpeed.SetValue(393);  // 0.2 s of update: Time = pi / 2
        plant.bMagnitude.SetValue(bend);
        return plant;
    }

    ComPtr<IDirect3DTexture9> white_, split_;
};

// The rotation's angle about z.
float Angle(const D3DXMATRIX& m)
{
    return std::atan2(m._12, m._11);
}

}  // namespace

TEST_F(PlantRaysSmokeDrawTest, RaysCoverTheirOwnPointsAndNotTheGapsBetween)
{
    const struct {
        const char* label;
        unsigned count;
        int32_t textureIndex;
        bool effect;
        std::vector<std::pair<UINT, UINT>> red, grey;
        unsigned rotation = 0;  // 785: the first update turns the fan a quarter
    } cases[] = {
        {"four, through the layer", 4, 0, true, {{400, 200}, {300, 300}, {200, 200}, {300, 100}},
         {{370, 270}, {230, 130}, {300, 380}, {480, 200}}},
        {"four, plainly", 4, 0, false, {{440, 200}, {300, 340}, {160, 200}, {300, 60}}, {{370, 130}, {230, 270}}},
        {"one, along the rotation", 1, 0, true, {{420, 200}, {330, 205}}, {{200, 200}, {300, 300}, {300, 100}}},
        {"one, turned a quarter", 1, 0, true, {{300, 320}, {295, 230}}, {{420, 200}, {300, 100}}, 785},
        {"none", 0, 0, true, {}, {{400, 200}, {300, 300}}},
        {"index below the sets", 4, -1, true, {}, {{400, 200}, {300, 300}}},
        {"index past the sets", 4, 1, true, {}, {{400, 200}, {300, 300}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        objects_.clear();
        DS_RadialRays rays = Rays(c.count, c.effect);
        rays.textureIndex.SetValue(c.textureIndex);
        rays.rotationSpeed.SetValue(c.rotation);
        Make(rays);
        Frame(0.1f);
        for (auto [x, y] : c.red) EXPECT_TRUE(Near(ReadPixel(x, y), kRed)) << x << "," << y << std::hex << " " << ReadPixel(x, y);
        for (auto [x, y] : c.grey) EXPECT_TRUE(Near(ReadPixel(x, y), kGrey)) << x << "," << y << std::hex << " " << ReadPixel(x, y);
    }
}

// Fade floor 100 (f = 0) at time-line speed mode 0: the rays are as long
// as the time line is opaque, so a time line that has not faded in yet
// shows none; fade floor 0 keeps them whole.
TEST_F(PlantRaysSmokeDrawTest, FadeFloorGrowsRaysFromNothing)
{
    for (unsigned floor : {100u, 0u}) {
        SCOPED_TRACE(floor);
        objects_.clear();
        DS_RadialRays rays = Rays(4, true);
        rays.fadeFloor.SetValue(floor);
        rays.TimeLine().mode = DS_TimeLineControl::kCycle;
        rays.TimeLine().speedMode = 0;
        ASSERT_EQ(Make(rays)->Generator()->TimeLine().GetAlpha(), 0.0f);
        Frame(0.1f);
        EXPECT_TRUE(Near(ReadPixel(400, 200), floor == 0 ? kRed : kGrey)) << std::hex << ReadPixel(400, 200);
    }
}

TEST_F(PlantRaysSmokeDrawTest, RotationFollowsTheModeAndTheSwingStaysWithinItsAmplitude)
{
    const struct {
        int32_t mode;
        float angle;
    } cases[] = {{0, 1.0f}, {1, -1.0f}, {2, std::sin(1.0f)}, {7, 1.0f}};
    for (const auto& c : cases) {
        DS_RadialRays rays = Rays(4, false);
        rays.rotationMode.SetValue(c.mode);
        rays.rotationSpeed.SetValue(250);  // 0.2 s of update turns the clock by 1
        rays.swingAmplitude.SetValue(50);  // 1 radian
        rays.Update(0.2f, nullptr);
        EXPECT_NEAR(Angle(rays.rotation), c.angle, 1e-5f) << c.mode;
    }
    DS_RadialRays swing = Rays(4, false);
    swing.rotationMode.SetValue(2);
    swing.rotationSpeed.SetValue(40);
    swing.swingAmplitude.SetValue(50);
    float low = 0.0f, high = 0.0f;
    for (int i = 1; i <= 400; ++i) {
        swing.Update(0.1f * i, nullptr);
        low = std::min(low, Angle(swing.rotation));
        high = std::max(high, Angle(swing.rotation));
    }
    EXPECT_NEAR(low, -1.0f, 0.01f);
    EXPECT_NEAR(high, 1.0f, 0.01f);
}

// Without random the rays take one number a build; with it they take theirs
// from the seed and leave the generator seeded with that first number.
TEST_F(PlantRaysSmokeDrawTest, RaysDrawOnceAndReseedWithTheirFirstNumber)
{
    for (int random : {0, 1}) {
        SCOPED_TRACE(random);
        objects_.clear();
        DS_RadialRays rays = Rays(12, true);
        rays.random.SetValue(random);
        rays.seed.SetValue(99);
        rays.spread.SetValue(100);
        auto* clone = static_cast<DS_RadialRays*>(Make(rays)->Generator());
        DS_SRand(1234);
        const int r0 = DS_Rand();
        const uint32_t afterOne = DS_RandState();
        DS_SRand(1234);
        clone->BuildRays();
        EXPECT_EQ(DS_RandState(), random ? static_cast<uint32_t>(r0) : afterOne);
    }
}

TEST_F(PlantRaysSmokeDrawTest, PlantSwaysAtTheTopAndStandsAtTheBase)
{
    const struct {
        const char* label;
        unsigned bend;
        bool effect;
        uint32_t top, base;
    } cases[] = {
        {"still", 0, true, kRed, kRed},
        {"bent a quarter", 125, true, 0x00FF00, kRed},  // h x B x sin(pi / 2) moves the top lookup by 0.24
        {"no effect", 125, false, kGrey, kGrey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        objects_.clear();
        DS_Plant plant = Plant(c.bend, c.effect);
        Make(plant);
        Frame(0.2f);
        // u = 0.4 near the top (v 0.03) and near the base (v 0.97).
        EXPECT_TRUE(Near(ReadPixel(280, 106), c.top)) << std::hex << ReadPixel(280, 106);
        EXPECT_TRUE(Near(ReadPixel(280, 294), c.base)) << std::hex << ReadPixel(280, 294);
        EXPECT_TRUE(Near(ReadPixel(100, 200), kGrey)) << std::hex << ReadPixel(100, 200);
    }
}

// The quad is built once; a device reset releases its buffer and the next
// update builds it again.
TEST_F(PlantRaysSmokeDrawTest, PlantQuadComesBackAfterItsBufferWasReleased)
{
    DS_Plant plant = Plant(0, true);
    DS_ParticlesObj* object = Make(plant);
    object->ReleaseDeviceObjects();
    EXPECT_EQ(object->Buffer(0)->VertexBuffer(), nullptr);
    Frame(0.2f);
    EXPECT_TRUE(Near(ReadPixel(280, 200), kRed)) << std::hex << ReadPixel(280, 200);
}

// A corner set to a non-finite value after loading: no quad, nothing drawn.
TEST_F(PlantRaysSmokeDrawTest, PlantWithANonFiniteCornerDrawsNothing)
{
    DS_Plant plant = Plant(0, true);
    plant.rectangle.Corner(2).StoreValue(D3DXVECTOR3(std::nanf(""), 100.0f, 0.0f));
    DS_ParticlesObj* object = Make(plant);
    EXPECT_EQ(object->QuadCount(0), 0u);
    Frame(0.2f);
    EXPECT_TRUE(Near(ReadPixel(280, 200), kGrey)) << std::hex << ReadPixel(280, 200);
}

TEST_F(PlantRaysSmokeDrawTest, SmokeDrawsItsParticlesPlainlyAndNothingWithoutAPicture)
{
    for (bool picture : {true, false}) {
        SCOPED_TRACE(picture);
        objects_.clear();
        DS_Smoke smoke;
        if (picture) smoke.imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(kWhiteLink)));
        smoke.color.StoreValue(0x000000FF);
        smoke.particleLife.SetValue(100);  // 4 s
        smoke.rate.SetValue(10);
        smoke.particleSize.SetValue(40);
        smoke.speed.SetValue(0);  // frozen after the pre-emission
        smoke.xAcceleration.SetValue(50);
        smoke.sector.SetValue(90);
        smoke.origin.SetValue(D3DXVECTOR3(300, 200, 0));
        auto* clone = static_cast<DS_Smoke*>(Make(smoke)->Generator());
        // 5 s of emission at 10 a second, those older than 4 s gone.
        EXPECT_NEAR(static_cast<double>(clone->Particles().size()), 40.0, 1.0);
        Frame(0.1f);
        // One read of the whole back buffer: some pixel is red over the grey.
        bool reddish = false;
        for (uint32_t p : BackBufferPixels()) reddish = reddish || (((p >> 16) & 0xFF) > 0x48 && (p & 0xFF) < 0x40);
        EXPECT_EQ(reddish, picture);
    }
}

TEST(SmokeParticles, NewParticleTakesItsCallbacksInOrder)
{
    const struct {
        unsigned acceleration;
        float x;
    } cases[] = {{50, 0.0f}, {100, 100.0f}, {0, -100.0f}};
    for (const auto& c : cases) {
        DS_Smoke smoke;
        smoke.xAcceleration.SetValue(c.acceleration);
        smoke.particleLife.SetValue(50);  // 2 s
        DS_SRand(5);
        const CallbackParticle p = smoke.NewParticle();
        const uint32_t after = DS_RandState();
        EXPECT_FLOAT_EQ(p.acceleration.x, c.x);
        ASSERT_EQ(p.callbacks.size(), 5u);
        EXPECT_EQ(p.callbacks[0].member, &CallbackParticle::ProcKinetic);
        EXPECT_EQ(p.callbacks[1].member, &CallbackParticle::ProcGrow);
        EXPECT_FLOAT_EQ(p.callbacks[1].params[0], 0.5f);
        EXPECT_EQ(p.callbacks[2].member, &CallbackParticle::ProcFadeIn);
        EXPECT_FLOAT_EQ(p.callbacks[2].params[0], 5.0f);
        EXPECT_FLOAT_EQ(p.callbacks[2].params[1], 1.6f);
        EXPECT_EQ(p.callbacks[3].member, &CallbackParticle::ProcFadeOut);
        EXPECT_FLOAT_EQ(p.callbacks[3].params[1], 2.0f);
        EXPECT_EQ(p.callbacks[4].member, &CallbackParticle::ProcSpin);
        EXPECT_EQ(p.size, 0.5f);
        EXPECT_EQ(p.alpha, 0.0f);
        // Three draws: the direction, the spin, the orientation.
        DS_SRand(5);
        DS_SkipRand(3);
        EXPECT_EQ(after, DS_RandState());
    }
    // A life of 0 does not grow without bound.
    DS_Smoke smoke;
    CallbackParticle p = smoke.NewParticle();
    EXPECT_EQ(p.callbacks[1].params[0], 0.0f);
    p.Update(0.05f);
    EXPECT_TRUE(std::isfinite(p.size));
}
