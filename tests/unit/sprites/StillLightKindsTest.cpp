// The still and light sprite kinds: their records, the draws and places of a
// new sprite, and each kind's per-sprite rule, without a device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/sprites/GodRayConstructor.h"
#include "objects/sprites/GrassConstructor.h"
#include "objects/sprites/LightingConstructor.h"
#include "objects/sprites/ParticleGeomArray.h"
#include "objects/sprites/SparkleConstructor.h"
#include "objects/sprites/SpriteClasses.h"
#include "objects/sprites/StatObjConstructor.h"
#include "objects/sprites/SwayShear.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

// How far a swaying sprite's foot may stray from its place: a steep sway
// leans by thousands of pixels, and the foot is the difference of two such
// values, good to a few of their last float digits.
float FootTolerance(float lean)
{
    return 1e-3f + 1e-6f * std::fabs(lean);
}

using KindFactory = std::function<std::unique_ptr<DS_ParticleSystemCtrl>()>;

// Each kind with every field of its own away from its default.
struct KindCase {
    const char* name;
    KindFactory make;
};

const KindCase kKinds[] = {
    {"god ray",
     [] {
         auto item = std::make_unique<DS_GodRayConstructor>();
         item->rayAngle.StoreValue(120);
         return std::unique_ptr<DS_ParticleSystemCtrl>(std::move(item));
     }},
    {"sparkle", [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_SparkleConstructor); }},
    {"lightning", [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_LightingConstructor); }},
    {"grass",
     [] {
         auto item = std::make_unique<DS_GrassConstructor>();
         item->swayAmplitude = 7.5f;
         return std::unique_ptr<DS_ParticleSystemCtrl>(std::move(item));
     }},
    {"still sprite",
     [] {
         auto item = std::make_unique<DS_StatObjConstructor>();
         item->bounds.left.StoreValue(1);
         item->bounds.right.StoreValue(2);
         item->bounds.top.StoreValue(3);
         item->bounds.bottom.StoreValue(4);
         item->bounds.extraX.StoreValue(200);
         item->bounds.extraY.StoreValue(-100);
         item->rotation.StoreValue(45);
         return std::unique_ptr<DS_ParticleSystemCtrl>(std::move(item));
     }},
    {"flower",
     [] {
         auto item = std::make_unique<DS_FlowerConstructor>();
         item->swayAmplitude = 4.25f;
         item->bounds.extraX.StoreValue(17);
         item->rotation.StoreValue(10);
         return std::unique_ptr<DS_ParticleSystemCtrl>(std::move(item));
     }},
    {"discharge",
     [] {
         auto item = std::make_unique<DS_DischargeConstructor>();
         item->bounds.extraY.StoreValue(33);
         item->frameCount = 4;
         item->sheet = true;
         return std::unique_ptr<DS_ParticleSystemCtrl>(std::move(item));
     }},
};

const SceneClassRegistry& SpriteRegistry()
{
    static const SceneClassRegistry registry = [] {
        SceneClassRegistry classes;
        RegisterSpriteClasses(classes);
        return classes;
    }();
    return registry;
}

std::vector<uint8_t> RecordOf(DS_ParticleSystemCtrl& item)
{
    return WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });
}

// Reads one record by its class name from the first size bytes.
std::unique_ptr<DS_ABObj_Constructor> ReadRecord(const std::vector<uint8_t>& bytes, size_t size, bool& failed)
{
    std::unique_ptr<DS_ABObj_Constructor> object;
    failed =
        ReadBytes(bytes, size, [&](DS_IOF_Archive* ar) { object = ReadRecordByName(ar, SpriteRegistry().sceneItems); });
    return object;
}

// Bytes of a record header for a class name of n characters: the string
// (3 marker bytes, a length byte, UTF-16 code units) and the version.
size_t HeaderSize(const wchar_t* name)
{
    return 3 + 1 + 2 * std::wcslen(name) + 4;
}

void PutFloat(std::vector<uint8_t>& bytes, size_t at, float value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// A sprite made by the sprite geometry as the runtime object makes it: Init,
// InitPulse, then the kind's InitSprite.
const SpriteInstance& NewSprite(ParticleGeomArray& geometry, DS_ParticleSystemCtrl& item)
{
    geometry.SetItem(&item);
    geometry.SetInstanceCount(1);
    return *geometry.Instances().back();
}

float Draw(int r, float a, float b)
{
    return a + static_cast<float>(static_cast<double>(r) / 32767.0 * static_cast<double>(b - a));
}

}  // namespace

TEST(StillLightKinds, RecordsRoundTripAndCutRecordsAreRefused)
{
    for (const KindCase& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        auto item = kind.make();
        item->count.StoreValue(3);
        item->size.StoreValue(25);
        const std::vector<uint8_t> bytes = RecordOf(*item);
        bool failed = true;
        auto read = ReadRecord(bytes, bytes.size(), failed);
        ASSERT_FALSE(failed);
        ASSERT_TRUE(read);
        auto* again = dynamic_cast<DS_ParticleSystemCtrl*>(read.get());
        ASSERT_TRUE(again);
        EXPECT_EQ(RecordOf(*again), bytes);
        auto* copy = again->Clone();
        EXPECT_EQ(RecordOf(*copy), bytes);
        delete copy;
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            EXPECT_FALSE(ReadRecord(bytes, cut, failed)) << "cut at " << cut;
            EXPECT_TRUE(failed) << "cut at " << cut;
        }
    }
}

TEST(StillLightKinds, NonFiniteSwayAmplitudesReadAsZero)
{
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float value : bad) {
        DS_GrassConstructor grass;
        std::vector<uint8_t> bytes = RecordOf(grass);
        PutFloat(bytes, HeaderSize(DS_GrassConstructor::kClassName), value);
        bool failed = true;
        auto read = ReadRecord(bytes, bytes.size(), failed);
        ASSERT_TRUE(read);
        EXPECT_EQ(static_cast<DS_GrassConstructor&>(*read).swayAmplitude, 0.0f);

        DS_FlowerConstructor flower;
        bytes = RecordOf(flower);
        PutFloat(bytes, HeaderSize(DS_FlowerConstructor::kClassName), value);
        read = ReadRecord(bytes, bytes.size(), failed);
        ASSERT_TRUE(read);
        EXPECT_EQ(static_cast<DS_FlowerConstructor&>(*read).swayAmplitude, 0.0f);
    }
}

// A version-1 still-sprite record carries the two mirror values after the
// rotation, before a sprite record that predates them.
TEST(StillLightKinds, StillSpriteVersionOneCarriesTheMirrors)
{
    DS_SparkleConstructor sprite;  // any kind: only its sprite record is used
    sprite.size.StoreValue(30);
    std::vector<uint8_t> base = WrittenBytes([&](DS_IOF_Archive* ar) { sprite.DS_BaseSpriteProp::WriteBody(ar); });
    // The same sprite record as version 4: no mirrors, static flag or
    // animation speed (four 4-byte values at its end).
    const int32_t olderVersion = DS_BaseSpriteProp::kSequenceVersion;
    std::memcpy(base.data() + HeaderSize(DS_BaseSpriteProp::kClassName) - 4, &olderVersion, 4);
    base.resize(base.size() - 16);

    std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) {
        WriteRecordHeader(ar, DS_StatObjConstructor::kClassName, 1);
        for (int32_t v : {10, 20, 30, 40, 150, 250}) ar->archive->WriteInt32(v);
        ar->archive->WriteUInt(90);
        ar->archive->WriteInt32(1);  // mirror vertically
        ar->archive->WriteInt32(0);  // mirror horizontally
    });
    bytes.insert(bytes.end(), base.begin(), base.end());
    bool failed = true;
    auto read = ReadRecord(bytes, bytes.size(), failed);
    ASSERT_FALSE(failed);
    ASSERT_TRUE(read);
    const auto& item = static_cast<DS_StatObjConstructor&>(*read);
    EXPECT_EQ(item.bounds.extraX.GetValue(), 150);
    EXPECT_EQ(item.bounds.extraY.GetValue(), 250);
    EXPECT_EQ(item.rotation.GetValue(), 90u);
    EXPECT_EQ(item.mirrorVertically.GetValue(), 1);
    EXPECT_EQ(item.mirrorHorizontally.GetValue(), 0);
    EXPECT_EQ(item.size.GetValue(), 30u);
    for (size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(ReadRecord(bytes, cut, failed)) << cut;
}

TEST(StillLightKinds, ConstructorDefaults)
{
    DS_SparkleConstructor sparkle;
    EXPECT_TRUE(sparkle.flag);
    EXPECT_EQ(sparkle.TimeLine().speedMode, 0);
    DS_LightingConstructor lightning;
    EXPECT_EQ(lightning.blendMode.GetValue(), 1);
    EXPECT_TRUE(lightning.flag);
    EXPECT_EQ(lightning.TimeLine().mode, DS_TimeLineControl::kCycle);
    EXPECT_EQ(lightning.TimeLine().speedMode, 0);
    EXPECT_EQ(lightning.TimeLine().invisible.minimum.GetValue(), 100u);
    EXPECT_EQ(lightning.TimeLine().invisible.maximum.GetValue(), 500u);
    DS_GodRayConstructor ray;
    EXPECT_EQ(ray.rayAngle.GetValue(), 80u);
    DS_GrassConstructor grass;
    EXPECT_EQ(grass.swayAmplitude, 3.0f);
    EXPECT_EQ(grass.TimeLine().speedMode, 2);
    DS_FlowerConstructor flower;
    EXPECT_EQ(flower.swayAmplitude, 1.5f);
    EXPECT_EQ(flower.TimeLine().speedMode, 2);
    EXPECT_EQ(flower.rotation.GetValue(), 0u);
}

// One sprite of each kind from DS_SRand(1) on an 800 x 600 picture, size 40:
// the new sprite draws its scale (41) and pulse parity (18467) first, then
// the kind draws from 6334, 26500, 19169, 15724, 11478, 29358 on.
TEST(StillLightKinds, NewSpritesDrawInTheKindsOrder)
{
    PictureSize picture(800, 600);
    const float tilt = 19169.0f / 32767.0f * 0.7853982f - 0.3926991f;
    const struct {
        const char* name;
        KindFactory make;
        D3DXVECTOR3 position, velocity;
        float alpha, firstAxisX;
        int nextDraw;
    } cases[] = {
        {"god ray",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_GodRayConstructor); },
         {Draw(6334, 0, 800), 300, 0},
         {Draw(26500, -10, 10), 0, 0},
         Draw(19169, 0, 1),
         1.0f,
         15724},
        {"sparkle",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_SparkleConstructor); },
         {Draw(19169, 0, 800), Draw(15724, 0, 600), 0},
         {Draw(6334, -25, 25), Draw(26500, -25, 25), 0},
         Draw(11478, 0, 1),
         1.0f,
         29358},
        {"lightning",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_LightingConstructor); },
         {Draw(6334, 20, 780), Draw(26500, 20, 580), 0},
         {0, 0, 0},
         0.0f,
         std::cos(tilt),
         11478},
        {"grass",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_GrassConstructor); },
         {Draw(6334, 0, 800), 580, 0},
         {0, Draw(26500, 0, 1.5707964f), Draw(6334, 0, 800)},
         1.0f,
         -1.0f,
         15724},
        {"still sprite",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_StatObjConstructor); },
         {200, 100, 0},
         {0, 0, 0},
         1.0f,
         1.0f,
         6334},
        {"flower",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_FlowerConstructor); },
         {200, 100, 0},
         {0, 0, 0},
         1.0f,
         1.0f,
         6334},
        {"discharge",
         [] { return std::unique_ptr<DS_ParticleSystemCtrl>(new DS_DischargeConstructor); },
         {200, 100, 0},
         {0, 0, 0},
         1.0f,
         1.0f,
         6334},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto item = c.make();
        item->size.StoreValue(40);
        item->UpdatePixelRect();
        if (auto* still = dynamic_cast<DS_StatObjConstructor*>(item.get())) {
            still->bounds.extraX.StoreValue(200);
            still->bounds.extraY.StoreValue(100);
        }
        ParticleGeomArray geometry;
        DS_SRand(1);
        const SpriteInstance& sprite = NewSprite(geometry, *item);
        EXPECT_NEAR(sprite.position.x, c.position.x, 1e-3f);
        EXPECT_NEAR(sprite.position.y, c.position.y, 1e-3f);
        EXPECT_NEAR(sprite.velocity.x, c.velocity.x, 1e-4f);
        EXPECT_NEAR(sprite.velocity.y, c.velocity.y, 1e-4f);
        EXPECT_NEAR(sprite.velocity.z, c.velocity.z, 1e-3f);
        EXPECT_NEAR(sprite.alpha, c.alpha, 1e-6f);
        EXPECT_NEAR(sprite.firstAxis.x, c.firstAxisX, 1e-6f);
        EXPECT_EQ(DS_Rand(), c.nextDraw);
    }
}

TEST(StillLightKinds, GodRayShapeAndPlace)
{
    PictureSize picture(800, 600);
    const struct {
        unsigned angle;
        float shear;  // the second axis's x
    } cases[] = {
        {90, 0.0f},
        {80, -0.176327f},
        {100, 0.176327f},
        {270, 0.0f},
        {250, -0.36397f},
        // Near flat rays lean as far as their angle says.
        {3, -19.0811f},
        {177, 19.0811f},
        // The tangent vanishes: the lean is finite rather than infinite.
        {0, kMaxShear},
        {180, kMaxShear},
        {360, kMaxShear},
    };
    for (const auto& c : cases) {
        DS_GodRayConstructor ray;
        ray.rayAngle.StoreValue(c.angle);
        ray.size.StoreValue(50);
        ray.normTop = 0.25f;
        ray.normBottom = 0.75f;
        SpriteInstance sprite;
        sprite.scale = 3.0f;  // not applied to rays
        ray.InitSprite(sprite);
        EXPECT_NEAR(sprite.secondAxis.x, c.shear, 2e-4f) << c.angle;
        EXPECT_EQ(sprite.secondAxis.y, 1.0f);
        EXPECT_EQ(sprite.firstAxis, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(sprite.position.y, 150.0f);  // half the rectangle's height
        EXPECT_EQ(sprite.halfHeight, 300.0f);  // as high as the picture
        EXPECT_EQ(sprite.halfWidth, 25.0f);
    }
}

TEST(StillLightKinds, GodRayDriftsAndPulses)
{
    PictureSize picture(800, 600);
    DS_GodRayConstructor ray;
    ray.pulseSpeed = 0.5f;
    SpriteInstance sprite;
    DS_SRand(7);
    ray.InitSprite(sprite);
    sprite.alpha = 0.5f;
    sprite.pulseSpeed = 0.5f;
    const float vx = sprite.velocity.x, x = sprite.position.x;
    ray.SmoothSpeed(0.2f);
    ray.UpdateSprite(sprite);  // 0.2 s: no new drift yet
    EXPECT_EQ(sprite.velocity.x, vx);
    EXPECT_NEAR(sprite.position.x, x + 0.2f * vx, 1e-4f);
    EXPECT_NEAR(sprite.alpha, 0.6f, 1e-6f);
    EXPECT_EQ(sprite.firstTimer, 0.0f);
    ray.SmoothSpeed(0.4f);
    ray.UpdateSprite(sprite);
    EXPECT_NEAR(sprite.firstTimer, 0.4f, 1e-6f);
    EXPECT_LE(std::fabs(sprite.velocity.x), 10.0f);
}

TEST(StillLightKinds, SparkleGrowsWithItsAlpha)
{
    const struct {
        float alpha, halfWidth, halfHeight;
    } cases[] = {{0.0f, 10.0f, 10.0f}, {1.0f, 20.0f, 20.0f}, {0.5f, 15.0f, 13.75f}};
    for (const auto& c : cases) {
        DS_SparkleConstructor sparkle;
        sparkle.size.StoreValue(40);
        SpriteInstance sprite;
        sprite.alpha = c.alpha;
        sprite.pulseSpeed = 0.0f;
        sparkle.UpdateSprite(sprite);
        EXPECT_FLOAT_EQ(sprite.halfWidth, c.halfWidth) << c.alpha;
        EXPECT_FLOAT_EQ(sprite.halfHeight, c.halfHeight) << c.alpha;
    }
}

// Lightning lights on its first update, dies out within a fraction of a
// second, then stays dark 1 to 5 s of local time before flashing again at a
// new place with a tilt within +-22.5 degrees; the time line never dims it.
TEST(StillLightKinds, LightningFlashesAndPausesOneToFiveSeconds)
{
    PictureSize picture(800, 600);
    DS_LightingConstructor lightning;
    lightning.size.StoreValue(40);
    lightning.UpdatePixelRect();
    SpriteInstance sprite;
    DS_SRand(3);
    lightning.InitSprite(sprite);
    EXPECT_EQ(sprite.alpha, 0.0f);
    constexpr float kStep = 0.01f;
    float t = 0.0f, darkSince = -1.0f;
    int flashes = 0;
    for (int i = 0; i < 6000; ++i) {
        t += kStep;
        lightning.SmoothSpeed(t);
        const bool wasDark = sprite.alpha == 0.0f;
        lightning.UpdateSprite(sprite);
        if (wasDark && sprite.alpha == 1.0f) {
            ++flashes;
            if (flashes == 1) {
                EXPECT_EQ(i, 0);  // the first update flashes
            } else {
                const float pause = t - darkSince;
                EXPECT_GE(pause, 1.0f - 2 * kStep);
                EXPECT_LE(pause, 5.0f + 2 * kStep);
            }
            const float tiltAngle = std::atan2(sprite.secondAxis.x, sprite.secondAxis.y);
            EXPECT_LE(std::fabs(tiltAngle), 0.3926991f + 1e-5f);
            EXPECT_FLOAT_EQ(std::fabs(sprite.firstAxis.x), std::cos(tiltAngle));
            EXPECT_GE(sprite.position.x, 20.0f);
            EXPECT_LE(sprite.position.x, 780.0f);
        }
        if (!wasDark && sprite.alpha == 0.0f) darkSince = t;
        EXPECT_GE(sprite.alpha, 0.0f);
        EXPECT_LE(sprite.alpha, 1.0f);
    }
    EXPECT_GE(flashes, 10);
    EXPECT_LE(flashes, 60);
    EXPECT_EQ(lightning.ModulateAlpha(0x80123456u), 0x80123456u);
}

// Grass stands on the bottom bound and sways with its foot at the root; at
// amplitudes of 90 degrees and more the lean grows large but stays finite.
TEST(StillLightKinds, GrassSwaysAboutItsRoot)
{
    PictureSize picture(800, 600);
    for (float amplitude : {3.0f, 45.0f, 90.0f, 180.0f, 1000.0f}) {
        DS_GrassConstructor grass;
        grass.swayAmplitude = amplitude;
        grass.size.StoreValue(40);
        grass.normBottom = 0.9f;
        SpriteInstance sprite;
        sprite.SetHalfExtents(40.0f);
        DS_SRand(5);
        grass.InitSprite(sprite);
        EXPECT_NEAR(sprite.position.y, 540.0f - 20.0f, 1e-3f);
        const float root = sprite.velocity.z;
        float leanMax = 0.0f;
        for (float t = 0.05f; t < 10.0f; t += 0.05f) {
            grass.SmoothSpeed(t);
            grass.UpdateSprite(sprite);
            ASSERT_TRUE(std::isfinite(sprite.secondAxis.x)) << amplitude;
            ASSERT_LE(std::fabs(sprite.secondAxis.x), kMaxShear);
            const float lean = sprite.secondAxis.x * sprite.halfHeight;
            EXPECT_NEAR(sprite.position.x + lean, root, FootTolerance(lean));
            leanMax = std::max(leanMax, std::fabs(sprite.secondAxis.x));
        }
        EXPECT_GT(leanMax, amplitude >= 90.0f ? 9.0f : 0.05f) << amplitude;
    }
}

TEST(StillLightKinds, SwayingKindsAreDimmedOnlyInSpeedModeOne)
{
    for (int mode : {0, 1, 2}) {
        DS_GrassConstructor grass;
        DS_FlowerConstructor flower;
        for (DS_BaseSpriteProp* item :
             {static_cast<DS_BaseSpriteProp*>(&grass), static_cast<DS_BaseSpriteProp*>(&flower)}) {
            item->TimeLine().mode = DS_TimeLineControl::kCycle;  // starts invisible: opacity 0
            item->TimeLine().speedMode = mode;
            const uint32_t expected = mode == 1 ? item->DS_BaseSpriteProp::ModulateAlpha(0xFF112233u) : 0xFF112233u;
            EXPECT_EQ(item->ModulateAlpha(0xFF112233u), expected) << mode;
        }
    }
    DS_GrassConstructor grass;
    grass.TimeLine().mode = DS_TimeLineControl::kCycle;
    grass.TimeLine().speedMode = 1;
    EXPECT_NE(grass.ModulateAlpha(0xFF112233u), 0xFF112233u);
}

TEST(StillLightKinds, StillSpriteStandsTurnedAtItsPoint)
{
    const struct {
        unsigned rotation;
        D3DXVECTOR3 firstAxis, secondAxis;
        int left, right, top, bottom;
    } cases[] = {
        {0, {1, 0, 0}, {0, 1, 0}, 170, 230, 90, 110},
        {90, {0, -1, 0}, {1, 0, 0}, 190, 210, 70, 130},
        {180, {-1, 0, 0}, {0, -1, 0}, 170, 230, 90, 110},
    };
    for (const auto& c : cases) {
        DS_StatObjConstructor still;
        still.size.StoreValue(60);
        still.rotation.StoreValue(c.rotation);
        still.bounds.extraX.StoreValue(200);
        still.bounds.extraY.StoreValue(100);
        SpriteInstance sprite;
        sprite.aspect = 1.0f / 3.0f;  // a bar: half extents 30 by 10
        still.InitSprite(sprite);
        EXPECT_EQ(sprite.position, D3DXVECTOR3(200.0f, 100.0f, 0.0f));
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(sprite.firstAxis[i], c.firstAxis[i], 1e-6f) << c.rotation;
            EXPECT_NEAR(sprite.secondAxis[i], c.secondAxis[i], 1e-6f) << c.rotation;
        }
        EXPECT_EQ(still.bounds.left.GetValue(), c.left) << c.rotation;
        EXPECT_EQ(still.bounds.right.GetValue(), c.right) << c.rotation;
        EXPECT_EQ(still.bounds.top.GetValue(), c.top) << c.rotation;
        EXPECT_EQ(still.bounds.bottom.GetValue(), c.bottom) << c.rotation;
        const ScreenQuad quad = still.GetViewQuad();
        const float expected[4][2] = {{float(c.left), float(c.bottom)},
                                      {float(c.left), float(c.top)},
                                      {float(c.right), float(c.bottom)},
                                      {float(c.right), float(c.top)}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(quad.corners[i].x, expected[i][0]);
            EXPECT_EQ(quad.corners[i].y, expected[i][1]);
        }
    }
}

// A fixed point at the end of the integer range: the bounds saturate
// instead of taking an undefined conversion.
TEST(StillLightKinds, StillSpriteBoundsSaturate)
{
    DS_StatObjConstructor still;
    still.size.StoreValue(4000000);
    still.bounds.extraX.StoreValue(std::numeric_limits<int32_t>::max());
    still.bounds.extraY.StoreValue(std::numeric_limits<int32_t>::min());
    SpriteInstance sprite;
    still.InitSprite(sprite);
    EXPECT_EQ(still.bounds.right.GetValue(), std::numeric_limits<int32_t>::max());
    EXPECT_LT(still.bounds.left.GetValue(), still.bounds.right.GetValue());
    EXPECT_EQ(still.bounds.top.GetValue(), std::numeric_limits<int32_t>::min());
    EXPECT_LT(still.bounds.top.GetValue(), still.bounds.bottom.GetValue());
}

// The flower's stem base (centre + half height x second axis) stays where
// the unswayed sprite's base is, at any rotation and amplitude.
TEST(StillLightKinds, FlowerSwaysAboutItsStemBase)
{
    for (unsigned rotation : {0u, 30u, 90u}) {
        for (float amplitude : {1.5f, 20.0f, 90.0f}) {
            DS_FlowerConstructor flower;
            flower.size.StoreValue(40);
            flower.rotation.StoreValue(rotation);
            flower.swayAmplitude = amplitude;
            flower.bounds.extraX.StoreValue(300);
            flower.bounds.extraY.StoreValue(200);
            ParticleGeomArray geometry;
            const SpriteInstance& sprite = NewSprite(geometry, flower);
            const D3DXVECTOR3 base = sprite.position + sprite.halfHeight * sprite.secondAxis;
            bool swayed = false;
            for (float t = 0.1f; t < 8.0f; t += 0.1f) {
                geometry.Update(t);
                ASSERT_TRUE(std::isfinite(sprite.secondAxis.x) && std::isfinite(sprite.position.x));
                const D3DXVECTOR3 now = sprite.position + sprite.halfHeight * sprite.secondAxis;
                const float lean = sprite.halfHeight * D3DXVec3Length(&sprite.secondAxis);
                EXPECT_NEAR(now.x, base.x, FootTolerance(lean)) << rotation << " " << amplitude;
                EXPECT_NEAR(now.y, base.y, FootTolerance(lean)) << rotation << " " << amplitude;
                swayed = swayed || std::fabs(sprite.position.x - 300.0f) > 0.01f ||
                         std::fabs(sprite.position.y - 200.0f) > 0.01f;
            }
            EXPECT_TRUE(swayed) << rotation << " " << amplitude;
        }
    }
}

TEST(StillLightKinds, DischargeChoosesAnotherFrameAtRandom)
{
    const struct {
        unsigned frames;
        int32_t index;
        bool draws;
    } cases[] = {{1, 0, false}, {0, 0, false}, {2, 0, true}, {2, 1, true}, {4, 2, true}, {4, 7, true}};
    for (const auto& c : cases) {
        DS_DischargeConstructor discharge;
        discharge.frameCount = c.frames;
        for (int round = 0; round < 20; ++round) {
            DS_SRand(static_cast<uint32_t>(round + 1));
            const int32_t next = discharge.NextFrame(c.index);
            if (!c.draws) {
                EXPECT_EQ(next, 0);
                DS_SRand(static_cast<uint32_t>(round + 1));
                const int first = DS_Rand();
                DS_SRand(static_cast<uint32_t>(round + 1));
                discharge.NextFrame(c.index);
                EXPECT_EQ(DS_Rand(), first) << "no draw with " << c.frames << " frames";
                continue;
            }
            EXPECT_NE(next, c.index);
            EXPECT_GE(next, 0);
            EXPECT_LT(next, static_cast<int32_t>(c.frames));
        }
    }
}

TEST(StillLightKinds, ClampedShearIsFiniteEverywhere)
{
    const struct {
        float radians, shear;
    } cases[] = {
        {0.0f, kMaxShear},
        {-0.0f, -kMaxShear},
        {3.1415927f, kMaxShear},
        {1.5707964f, 0.0f},
        {0.7853982f, 1.0f},
        {0.01f, 99.9967f},
        {-0.05f, -19.9833f},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f},
        {std::numeric_limits<float>::infinity(), 0.0f},
    };
    for (const auto& c : cases) EXPECT_NEAR(ClampedShear(c.radians), c.shear, 1e-3f) << c.radians;
}
