#include <gtest/gtest.h>

#include <cstring>

#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/scene/Light2D.h"
#include "unit/MemoryArchive.h"
#include "unit/scene/PictureLayerRecordFixture.h"

namespace {

class Light2DRecord : public PictureLayerRecordFixture {
protected:
    static void WriteHeader(MemoryArchive& archive, int32_t version)
    {
        archive.WriteString(L"DS_2D_Light");
        archive.WriteInt(version);
    }
};

TEST_F(Light2DRecord, VersionThreeRoundTrip)
{
    DS_2D_Light layer;
    layer.PictureLink().StoreValue(FileLinkValue{L"C:\\pictures\\lake.jpg", 1700000000});
    layer.Camera().enabled = 1;
    layer.Camera().zoom.SetValue(140);
    layer.Camera().speed.SetValue(80);
    layer.Camera().borderPath = L"frame.png";
    layer.Camera().borderStamp = 42;

    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    layer.Write(&handle);

    std::unique_ptr<DS_2D_Light> read = ReadLayer(archive);
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(failed_);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
    EXPECT_EQ(read->PictureLink().GetPath(), L"C:\\pictures\\lake.jpg");
    EXPECT_EQ(read->PictureLink().GetStamp(), 1700000000);
    EXPECT_EQ(read->Camera().enabled, 1);
    EXPECT_EQ(read->Camera().zoom.GetValue(), 140u);
    EXPECT_EQ(read->Camera().speed.GetValue(), 80u);
    EXPECT_EQ(read->Camera().borderPath, L"frame.png");
    EXPECT_EQ(read->Camera().borderStamp, 42);
}

struct OldVersionCase {
    int32_t version;
    bool hasLink;
};

class Light2DOldRecord : public Light2DRecord, public ::testing::WithParamInterface<OldVersionCase> {};

TEST_P(Light2DOldRecord, KeepsDefaultsOfMissingFields)
{
    const OldVersionCase c = GetParam();
    MemoryArchive archive;
    WriteHeader(archive, c.version);
    if (c.hasLink) {
        archive.WriteString(L"sunset.png");
        archive.WriteInt64(int64_t{77});
    }
    std::unique_ptr<DS_2D_Light> read = ReadLayer(archive);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
    const DSM_Camera defaults;
    EXPECT_EQ(read->Camera().zoom.GetValue(), defaults.zoom.GetValue());
    EXPECT_EQ(read->Camera().speed.GetValue(), defaults.speed.GetValue());
    EXPECT_EQ(read->Camera().enabled, defaults.enabled);
    EXPECT_EQ(read->Camera().borderPath, defaults.borderPath);
    if (c.hasLink) {
        EXPECT_EQ(read->PictureLink().GetPath(), L"sunset.png");
        EXPECT_EQ(read->PictureLink().GetStamp(), 77);
    } else {
        EXPECT_EQ(read->PictureLink().GetPath(), L"common_res.dll");
        EXPECT_EQ(read->PictureLink().GetStamp(), 5);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, Light2DOldRecord,
                         ::testing::Values(OldVersionCase{1, false}, OldVersionCase{2, true}));

TEST_F(Light2DRecord, NewerVersionReadsAsThree)
{
    DS_2D_Light layer;
    layer.Camera().zoom.SetValue(150);
    MemoryArchive body;
    DS_IOF_Archive handle = body.Handle();
    layer.Write(&handle);
    // Patch the version (after the class name: FF FE FF, a length byte and
    // 11 UTF-16 units).
    const size_t versionAt = 4 + 2 * 11;
    const int32_t four = 4;
    std::memcpy(body.bytes.data() + versionAt, &four, sizeof four);
    std::unique_ptr<DS_2D_Light> read = ReadLayer(body);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Camera().zoom.GetValue(), 150u);
}

TEST_F(Light2DRecord, TruncatedRecordGivesNoLayer)
{
    DS_2D_Light layer;
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    layer.Write(&handle);
    for (size_t cut : {size_t{1}, size_t{12}, archive.bytes.size() - 30}) {
        MemoryArchive truncated;
        truncated.bytes = archive.bytes;
        truncated.Truncate(cut);
        EXPECT_EQ(ReadLayer(truncated), nullptr) << cut;
        EXPECT_TRUE(failed_);
    }
}

TEST_F(Light2DRecord, ReadBodyReadsTheHeaderItself)
{
    DS_2D_Light layer;
    layer.PictureLink().StoreValue(FileLinkValue{L"base.png", 3});
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    layer.Write(&handle);
    DS_2D_Light read;
    ASSERT_TRUE(read.ReadBody(&handle));
    EXPECT_EQ(read.PictureLink().GetPath(), L"base.png");
}

}  // namespace
