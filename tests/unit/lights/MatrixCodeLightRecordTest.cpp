// The falling-glyph light's record in every version, cut records, and the
// colour and opacity of its glyph quads.
#include <gtest/gtest.h>

#include <cstring>

#include "effects/lights/MatrixCodeLight.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "unit/MemoryArchive.h"
#include "unit/scene/PictureLayerRecordFixture.h"

namespace {

class MatrixCodeLightRecord : public PictureLayerRecordFixture {
protected:
    static void Store(DS_MatrixCodeLight& light)
    {
        light.cellSize.SetValue(24);
        light.density.SetValue(60);
        light.highlightCount.SetValue(7);
        light.glitches.SetValue(1);
        light.backgroundMode.SetValue(1);
        light.streamMode.SetValue(-3);
        light.glyphColor.SetValue(0x00FF00);
        light.brightColor.SetValue(0xCCFFCC);
        light.transparency.SetValue(30);
        light.glyphImage.SetValue(FileLinkValue{L"glyphs.png", 1234567890123});
        light.PictureLink().StoreValue(FileLinkValue{L"landscape.jpg", 99});
        light.Camera().zoom.SetValue(130);
    }

    // The nine fields of a record in the order they are stored.
    static void WriteFields(MemoryArchive& archive)
    {
        archive.WriteUInt(24);
        archive.WriteUInt(60);
        archive.WriteUInt(7);
        archive.WriteInt32(1);
        archive.WriteInt32(1);
        archive.WriteInt32(-3);
        archive.WriteInt(0x00FF00);
        archive.WriteInt(0xCCFFCC);
        archive.WriteUInt(30);
    }

    static void ExpectStored(const DS_MatrixCodeLight& light)
    {
        EXPECT_EQ(light.cellSize.GetValue(), 24u);
        EXPECT_EQ(light.density.GetValue(), 60u);
        EXPECT_EQ(light.highlightCount.GetValue(), 7u);
        EXPECT_EQ(light.glitches.GetValue(), 1);
        EXPECT_EQ(light.backgroundMode.GetValue(), 1);
        EXPECT_EQ(light.streamMode.GetValue(), -3);
        EXPECT_EQ(light.glyphColor.GetValue(), 0x00FF00ul);
        EXPECT_EQ(light.brightColor.GetValue(), 0xCCFFCCul);
        EXPECT_EQ(light.transparency.GetValue(), 30u);
        // The derived opacity follows the value read.
        EXPECT_FLOAT_EQ(light.transparency.GetDerived(), 0.7f);
    }
};

TEST_F(MatrixCodeLightRecord, Defaults)
{
    const DS_MatrixCodeLight light;
    EXPECT_EQ(light.cellSize.GetValue(), 16u);
    EXPECT_EQ(light.density.GetValue(), 20u);
    EXPECT_EQ(light.highlightCount.GetValue(), 50u);
    EXPECT_EQ(light.glitches.GetValue(), 0);
    EXPECT_EQ(light.backgroundMode.GetValue(), 0);
    EXPECT_EQ(light.streamMode.GetValue(), 2);
    EXPECT_EQ(light.glyphColor.GetValue(), 0ul);
    EXPECT_EQ(light.brightColor.GetValue(), 0ul);
    EXPECT_FLOAT_EQ(light.transparency.GetDerived(), 1.0f);
    EXPECT_EQ(light.glyphImage.GetPath(), L"common_res.dll");
    EXPECT_EQ(light.glyphImage.GetStamp(), 40);
    const MatrixCodeSettings& s = light.Settings();
    EXPECT_EQ(s.cellSize, 16);
    EXPECT_EQ(s.density, 20);
    EXPECT_EQ(s.highlightCount, 10u);
    EXPECT_EQ(s.glitches, 0);
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.glyphCount, 1);
}

TEST_F(MatrixCodeLightRecord, RoundTrip)
{
    DS_MatrixCodeLight light;
    Store(light);
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    light.Write(&handle);

    std::unique_ptr<DS_2D_Light> read = ReadLayer(archive);
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(failed_);
    EXPECT_EQ(archive.cursor, archive.bytes.size());
    auto* glyphs = dynamic_cast<DS_MatrixCodeLight*>(read.get());
    ASSERT_NE(glyphs, nullptr);
    ExpectStored(*glyphs);
    EXPECT_EQ(glyphs->glyphImage.GetPath(), L"glyphs.png");
    EXPECT_EQ(glyphs->glyphImage.GetStamp(), 1234567890123);
    EXPECT_EQ(glyphs->PictureLink().GetPath(), L"landscape.jpg");
    EXPECT_EQ(glyphs->Camera().zoom.GetValue(), 130u);
}

TEST_F(MatrixCodeLightRecord, EveryVersionReads)
{
    // Version 1 has no glyph link; versions from 2 on have one.
    for (int32_t version : {1, 2, 3, 50}) {
        MemoryArchive archive;
        archive.WriteString(DS_MatrixCodeLight::kClassName);
        archive.WriteInt(version);
        WriteFields(archive);
        if (version >= 2) {
            archive.WriteString(L"strip.png");
            archive.WriteInt64(int64_t{8});
        }
        DS_2D_Light base;
        base.PictureLink().StoreValue(FileLinkValue{L"sea.jpg", 3});
        DS_IOF_Archive handle = archive.Handle();
        base.Write(&handle);

        std::unique_ptr<DS_2D_Light> read = ReadLayer(archive);
        ASSERT_NE(read, nullptr) << version;
        EXPECT_EQ(archive.cursor, archive.bytes.size()) << version;
        auto* glyphs = dynamic_cast<DS_MatrixCodeLight*>(read.get());
        ASSERT_NE(glyphs, nullptr);
        ExpectStored(*glyphs);
        EXPECT_EQ(glyphs->glyphImage.GetPath(), version >= 2 ? L"strip.png" : L"common_res.dll") << version;
        EXPECT_EQ(glyphs->glyphImage.GetStamp(), version >= 2 ? 8 : 40) << version;
        EXPECT_EQ(glyphs->PictureLink().GetPath(), L"sea.jpg") << version;
    }
}

TEST_F(MatrixCodeLightRecord, CutAtEveryByteIsRefused)
{
    DS_MatrixCodeLight light;
    Store(light);
    MemoryArchive whole;
    DS_IOF_Archive handle = whole.Handle();
    light.Write(&handle);
    for (size_t length = 0; length < whole.bytes.size(); ++length) {
        MemoryArchive cut;
        cut.bytes.assign(whole.bytes.begin(), whole.bytes.begin() + static_cast<ptrdiff_t>(length));
        EXPECT_EQ(ReadLayer(cut), nullptr) << length;
        EXPECT_TRUE(failed_) << length;
    }
}

TEST(MatrixCodeLightColor, StateModeAndTransparency)
{
    constexpr uint32_t kGlyph = 0x123456;   // BBGGRR: red 0x56, green 0x34, blue 0x12
    constexpr uint32_t kBright = 0xCCFFAA;  // red 0xAA, green 0xFF, blue 0xCC
    constexpr float kNoMap = -1.0f;
    const struct {
        int32_t state;
        float luminance;  // kNoMap: background mode 0 (or mode 1 without a map)
        unsigned transparency;
        uint32_t argb;
    } cases[] = {
        {2, kNoMap, 0, 0xFFAAFFCC},   {1, kNoMap, 0, 0xFF563412},   {0, kNoMap, 0, 0x7F563412},
        {2, kNoMap, 50, 0x7FAAFFCC},  {1, kNoMap, 50, 0x7F563412},  {0, kNoMap, 50, 0x3F563412},
        {2, kNoMap, 100, 0x00AAFFCC}, {1, kNoMap, 100, 0x00563412}, {0, kNoMap, 100, 0x00563412},
        {2, kNoMap, 150, 0x00AAFFCC}, {0, kNoMap, 1000, 0x00563412},
        // Mode 1: bright glyphs keep their opacity, the others take the
        // luminance instead of halving.
        {2, 0.5f, 0, 0xFFAAFFCC},     {1, 0.5f, 0, 0x7F563412},     {0, 0.5f, 0, 0x7F563412},
        {2, 0.5f, 50, 0x7FAAFFCC},    {1, 0.5f, 50, 0x3F563412},    {0, 0.5f, 50, 0x3F563412},
        {1, 0.0f, 0, 0x00563412},     {1, 1.0f, 100, 0x00563412},   {0, 0.5f, 150, 0x00563412},
    };
    for (const auto& c : cases) {
        DS_MatrixCodeLight light;
        light.transparency.SetValue(c.transparency);
        const uint32_t argb =
            DS_MatrixCodeLight::GlyphColor(c.state, kGlyph, kBright, light.transparency.GetDerived(), c.luminance);
        EXPECT_EQ(argb, c.argb) << std::hex << "state " << c.state << " luminance " << c.luminance << " transparency "
                                << std::dec << c.transparency << ": " << std::hex << argb;
    }
}

}  // namespace
