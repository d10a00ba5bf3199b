// Records and settings of the lake and ring picture layers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effects/lights/FakeLake2D.h"
#include "effects/lights/WaterRingLight.h"
#include "engine/archive/ArchiveValues.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "unit/MemoryArchive.h"
#include "unit/scene/PictureLayerRecordFixture.h"

namespace {

class WaterLightRecords : public PictureLayerRecordFixture {
protected:
    static void WriteLayerRecord(MemoryArchive& archive)
    {
        archive.WriteString(L"DS_2D_Light");
        archive.WriteInt(3);
        archive.WriteString(L"lake.jpg");
        archive.WriteInt64(int64_t{9});
        DSM_Camera camera;
        DS_IOF_Archive handle = archive.Handle();
        camera.Write(handle);
    }
};

constexpr GUID kKey = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST_F(WaterLightRecords, LakeDefaults)
{
    FakeLake2D lake;
    EXPECT_NEAR(lake.LakeFraction(), 0.375f, 1e-6f);
    EXPECT_NEAR(lake.BottomAlpha(), 0.062f, 1e-6f);
    EXPECT_NEAR(lake.HorizonAlpha(), 0.02604f, 1e-6f);
    EXPECT_EQ(lake.stripHeight.GetValue(), 7u);
    EXPECT_EQ(lake.ReflectionSide(), 256u);
    EXPECT_EQ(lake.lakeColor.GetValue(), 0x408000ul);
    EXPECT_NEAR(lake.bumpTiling.GetDerived(), 1.0f, 1e-6f);
    EXPECT_TRUE(lake.rippleKey.flag);
    FakeLake2D other;
    EXPECT_NE(std::memcmp(&lake.rippleKey.guid, &other.rippleKey.guid, sizeof(GUID)), 0) << "each lake its own key";
}

TEST_F(WaterLightRecords, LakeHeightAndReflectionSizeStayInRange)
{
    const struct {
        unsigned height;
        float fraction;
    } heights[] = {{0, 0.5f}, {25, 0.375f}, {100, 0.0f}, {1000, 0.0f}};
    for (const auto& c : heights) {
        FakeLake2D lake;
        lake.lakeHeight.SetValue(c.height);
        EXPECT_NEAR(lake.LakeFraction(), c.fraction, 1e-6f) << c.height;
    }
    const struct {
        int size;
        uint32_t side;
    } sizes[] = {{0, 128}, {2, 512}, {-3, 128}, {-5, 128}, {4, 2048}, {40, 2048}};
    for (const auto& c : sizes) {
        FakeLake2D lake;
        lake.reflectionSize.SetValue(c.size);
        EXPECT_EQ(lake.ReflectionSide(), c.side) << c.size;
    }
}

TEST_F(WaterLightRecords, LakeMirrorsTheBandAboveTheHorizon)
{
    ScreenQuad quad;
    const float corners[4][2] = {{0, 768}, {0, 0}, {1024, 768}, {1024, 0}};
    for (int i = 0; i < 4; ++i) {
        quad.corners[i].x = corners[i][0];
        quad.corners[i].y = corners[i][1];
    }
    FakeLake2D::MirrorBelowHorizon(quad, 0.375f);
    for (int top : {1, 3}) {
        EXPECT_FLOAT_EQ(quad.corners[top].y, 480.0f);
        EXPECT_FLOAT_EQ(quad.corners[top].v, 0.625f);
    }
    for (int bottom : {0, 2}) {
        EXPECT_FLOAT_EQ(quad.corners[bottom].y, 768.0f);
        EXPECT_FLOAT_EQ(quad.corners[bottom].v, 0.25f);
    }
    EXPECT_FLOAT_EQ(quad.corners[0].u, 0.0f);
    EXPECT_FLOAT_EQ(quad.corners[2].u, 1.0f);

    // The strip is the strip setting, kept to the rows above the horizon.
    FakeLake2D lake;
    EXPECT_FLOAT_EQ(lake.StripPixels(768.0f), 7.0f);
    lake.stripHeight.SetValue(100000);
    EXPECT_FLOAT_EQ(lake.StripPixels(768.0f), 480.0f);
}

TEST_F(WaterLightRecords, LakeBumpMatrixTurnsWithLocalTime)
{
    FakeLake2D lake;
    lake.FrameMove(0.0f);
    EXPECT_NEAR(lake.BumpMatrix()[0], 0.04f, 1e-7f);
    EXPECT_NEAR(lake.BumpMatrix()[1], 0.0f, 1e-7f);
    EXPECT_NEAR(lake.BumpMatrix()[2], 0.0f, 1e-7f);
    EXPECT_NEAR(lake.BumpMatrix()[3], 0.04f, 1e-7f);
    // Speed 50 runs the local clock at real time; 4.5 radians a second, so
    // pi / 2 after pi / 9 seconds (steps of at most 0.2 s each).
    const float quarterTurn = 3.14159265f / 9.0f;
    lake.FrameMove(0.2f);
    lake.FrameMove(quarterTurn);
    EXPECT_NEAR(lake.BumpMatrix()[0], 0.0f, 1e-5f);
    EXPECT_NEAR(lake.BumpMatrix()[1], -0.04f, 1e-5f);
    EXPECT_NEAR(lake.BumpMatrix()[2], 0.04f, 1e-5f);
    EXPECT_NEAR(lake.BumpMatrix()[3], 0.0f, 1e-5f);
}

TEST_F(WaterLightRecords, LakeRoundTrip)
{
    FakeLake2D lake;
    lake.bumpTiling.SetValue(300);
    lake.speed.SetValue(20);
    lake.lakeHeight.SetValue(40);
    lake.rippleContrast.SetValue(7);
    lake.waterTint.SetValue(90);
    lake.horizonFade.SetValue(10);
    lake.rippleAmplitude.SetValue(3);
    lake.stripHeight.SetValue(12);
    lake.reflectionSize.SetValue(-2);
    lake.lakeColor.SetValue(0x123456);
    lake.rippleKey = {kKey, L"ripples", false};
    lake.PictureLink().StoreValue(FileLinkValue{L"lake.jpg", 5});

    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    lake.Write(&handle);
    std::unique_ptr<DS_2D_Light> layer = ReadLayer(archive);
    auto* read = dynamic_cast<FakeLake2D*>(layer.get());
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(failed_);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
    EXPECT_NEAR(read->bumpTiling.GetDerived(), 3.0f, 1e-6f) << "read through the setter";
    EXPECT_EQ(read->speed.GetValue(), 20u);
    EXPECT_NEAR(read->LakeFraction(), 0.3f, 1e-6f);
    EXPECT_EQ(read->rippleContrast.GetValue(), 7u);
    EXPECT_EQ(read->waterTint.GetValue(), 90u);
    EXPECT_EQ(read->horizonFade.GetValue(), 10u);
    EXPECT_EQ(read->rippleAmplitude.GetValue(), 3u);
    EXPECT_EQ(read->stripHeight.GetValue(), 12u);
    EXPECT_EQ(read->reflectionSize.GetValue(), -2);
    EXPECT_EQ(read->lakeColor.GetValue(), 0x123456ul);
    EXPECT_EQ(std::memcmp(&read->rippleKey.guid, &kKey, sizeof(GUID)), 0);
    EXPECT_EQ(read->rippleKey.name, L"ripples");
    EXPECT_FALSE(read->rippleKey.flag);
    EXPECT_EQ(read->PictureLink().GetPath(), L"lake.jpg");
}

TEST_F(WaterLightRecords, LakeVersionOneHoldsTheKeyAlone)
{
    for (int32_t version : {1, 0, -4}) {
        MemoryArchive archive;
        archive.WriteString(L"FakeLake2D");
        archive.WriteInt(version);
        DS_IOF_Archive handle = archive.Handle();
        WriteGuid(kKey, &handle);
        archive.WriteString(L"old");
        archive.WriteBool(true);
        WriteLayerRecord(archive);
        std::unique_ptr<DS_2D_Light> layer = ReadLayer(archive);
        auto* read = dynamic_cast<FakeLake2D*>(layer.get());
        ASSERT_NE(read, nullptr) << version;
        EXPECT_EQ(archive.cursor, archive.bytes.size());
        EXPECT_EQ(std::memcmp(&read->rippleKey.guid, &kKey, sizeof(GUID)), 0);
        EXPECT_EQ(read->rippleKey.name, L"old");
        EXPECT_NEAR(read->LakeFraction(), 0.375f, 1e-6f) << "defaults kept";
        EXPECT_EQ(read->reflectionSize.GetValue(), 1);
        EXPECT_EQ(read->PictureLink().GetPath(), L"lake.jpg");
    }
}

TEST_F(WaterLightRecords, RingDefaultsAndDamping)
{
    DS_WaterRingLight ring;
    EXPECT_EQ(ring.mode.GetValue(), 0);
    EXPECT_NEAR(ring.dropRate.GetDerived(), 0.5f, 1e-6f);
    EXPECT_NEAR(ring.specularLevel.GetDerived(), 0.9f, 1e-6f);
    EXPECT_NEAR(ring.shininess.GetDerived(), 40.0f, 1e-5f);
    EXPECT_FALSE(ring.NeedsSceneTexture());
    ring.mode.SetValue(1);
    EXPECT_TRUE(ring.NeedsSceneTexture());
    const struct {
        unsigned value;
        float damping;
    } cases[] = {{0, 0.9f}, {49, 0.9882f}, {50, 0.99f}, {100, 0.999f}, {200, 0.999f}, {4000000000u, 0.999f}};
    for (const auto& c : cases) EXPECT_NEAR(DS_WaterRingLight::DampingFor(c.value), c.damping, 1e-6f) << c.value;
}

TEST_F(WaterLightRecords, RingRoundTripAndVersionOne)
{
    DS_WaterRingLight ring;
    unsigned value = 11;
    for (MediaParamT<unsigned>* setting :
         {&ring.waveSpeed, &ring.gridAspect, &ring.gridDensity, &ring.dropSize, &ring.damping, &ring.depth}) {
        setting->SetValue(value++);
    }
    ring.dropRate.SetValue(120);
    ring.specularLevel.SetValue(40);
    ring.shininess.SetValue(10);
    ring.mode.SetValue(1);
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    ring.Write(&handle);
    std::unique_ptr<DS_2D_Light> layer = ReadLayer(archive);
    auto* read = dynamic_cast<DS_WaterRingLight*>(layer.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
    value = 11;
    for (MediaParamT<unsigned>* setting :
         {&read->waveSpeed, &read->gridAspect, &read->gridDensity, &read->dropSize, &read->damping, &read->depth}) {
        EXPECT_EQ(setting->GetValue(), value++);
    }
    EXPECT_NEAR(read->dropRate.GetDerived(), 2.0f, 1e-6f) << "read through the setter";
    EXPECT_NEAR(read->specularLevel.GetDerived(), 0.4f, 1e-6f);
    EXPECT_NEAR(read->shininess.GetDerived(), 8.0f, 1e-5f);
    EXPECT_EQ(read->mode.GetValue(), 1);

    MemoryArchive old;
    old.WriteString(L"DS_WaterRingLight");
    old.WriteInt(1);
    old.WriteInt32(1);
    WriteLayerRecord(old);
    layer = ReadLayer(old);
    read = dynamic_cast<DS_WaterRingLight*>(layer.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(old.cursor, old.bytes.size());
    EXPECT_EQ(read->mode.GetValue(), 1);
    EXPECT_EQ(read->dropSize.GetValue(), 50u) << "defaults kept";
    EXPECT_EQ(read->PictureLink().GetPath(), L"lake.jpg");
}

TEST_F(WaterLightRecords, TruncatedRecordsAreRefused)
{
    FakeLake2D lake;
    DS_WaterRingLight ring;
    for (DS_2D_Light* light : {static_cast<DS_2D_Light*>(&lake), static_cast<DS_2D_Light*>(&ring)}) {
        MemoryArchive whole;
        DS_IOF_Archive handle = whole.Handle();
        light->Write(&handle);
        // Every cut, from the header to the last byte of the picture layer.
        for (size_t cut = 1; cut <= whole.bytes.size(); ++cut) {
            MemoryArchive archive;
            archive.bytes = whole.bytes;
            archive.Truncate(cut);
            EXPECT_EQ(ReadLayer(archive), nullptr) << cut;
            EXPECT_TRUE(failed_);
        }
    }
}

}  // namespace
