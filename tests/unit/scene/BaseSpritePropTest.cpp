#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/archive/ClassRegistry.h"
#include "engine/scene/BaseSpriteProp.h"
#include "engine/scene/TimeLineControl.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

constexpr int32_t kSentinel = 0x5EA1;

// Values a hand-made record stores; each differs from the default.
struct Stored {
    unsigned viewRecordSpeed = 60;
    unsigned count = 12;
    unsigned viewSpeed = 80;  // versions 1 and 2 only
    unsigned size = 40;
    unsigned transparency = 50;
    int32_t blend = 1;
    int32_t colour = 0x0000FF;
    float floats[5] = {0.5f, 0.2f, 0.9f, 0.5f, 2.0f};
    FileLinkValue link{L"pic.dds", 5};
    FileLinkValue second{L"two.dds", 6};
    unsigned secondFrameCount = 3;
    float secondFrameRate = 2.5f;
    unsigned frameCount = 4;
    float frameRate = 2.0f;
    bool sheet = true;
    std::vector<float> durations = {0.5f, 0.25f};  // version 1 only
    int32_t sequence = 1, mirrorV = 1, mirrorH = 1, isStatic = 1;
    unsigned animationSpeed = 200;
};

ResourceBlob LegacyBlob(int32_t id)
{
    ResourceBlob blob;
    blob.module = L"pictures.dll";
    blob.id = id;
    blob.data = {1, 2, 3};
    return blob;
}

// A "DS_BaseSpriteProp" record of the given version, written field by field
// as that version stored it, followed by a sentinel.
std::vector<uint8_t> HandMade(int32_t version, const Stored& s)
{
    return WrittenBytes([&](DS_IOF_Archive* ar) {
        DS_IOF_Virtual& out = *ar->archive;
        WriteRecordHeader(ar, L"DS_BaseSpriteProp", version);
        TestSpriteKind view;
        view.speed.StoreValue(s.viewRecordSpeed);
        view.DS_ViewObjCtrl::WriteBody(ar);
        out.WriteUInt(s.count);
        if (version < 3) out.WriteUInt(s.viewSpeed);
        out.WriteUInt(s.size);
        out.WriteUInt(s.transparency);
        out.WriteInt32(s.blend);
        out.WriteInt(s.colour);
        for (float f : s.floats) out.WriteFloat(f);
        if (version >= 2) {
            DS_FileLink3(s.link).Write(*ar);
            DS_FileLink3(s.second).Write(*ar);
        } else {
            out.WriteInt(2);
            out.WriteResourceBlob(LegacyBlob(11));
            out.WriteResourceBlob(LegacyBlob(12));
            out.WriteResourceBlob(LegacyBlob(13));
        }
        out.WriteUInt(s.secondFrameCount);
        out.WriteFloat(s.secondFrameRate);
        out.WriteUInt(s.frameCount);
        out.WriteFloat(s.frameRate);
        out.WriteBool(s.sheet);
        if (version == 1) {
            out.WriteInt(static_cast<int32_t>(s.durations.size()));
            for (float d : s.durations) out.WriteFloat(d);
        }
        if (version >= 4) out.WriteInt32(s.sequence);
        if (version >= 5) {
            out.WriteInt32(s.mirrorV);
            out.WriteInt32(s.mirrorH);
        }
        if (version >= 6) out.WriteInt32(s.isStatic);
        if (version >= 7) out.WriteUInt(s.animationSpeed);
        out.WriteInt(kSentinel);
    });
}

// Reads a DS_BaseSpriteProp record (and the sentinel after it) into item.
bool ReadRecord(const std::vector<uint8_t>& bytes, TestSpriteKind& item, size_t size = SIZE_MAX)
{
    int32_t after = 0;
    bool body = false;
    const bool failed = ReadBytes(bytes, std::min(size, bytes.size()), [&](DS_IOF_Archive* ar) {
        body = item.DS_BaseSpriteProp::ReadBody(ar);
        ar->archive->ReadInt(after);
    });
    return body && !failed && after == kSentinel;
}

}  // namespace

TEST(BaseSpriteProp, DefaultsAndSharedOperations)
{
    PictureSize picture(800, 600);
    TestSpriteKind item;
    EXPECT_EQ(item.count.GetValue(), 1u);
    EXPECT_EQ(item.TransparencyAlpha(), 255);
    EXPECT_EQ(item.color.GetValue(), 0xFFFFFFul);
    EXPECT_EQ(item.blendMode.GetValue(), 0);
    EXPECT_EQ(item.maxAlpha, 1.0f);
    EXPECT_EQ(item.minScale, 1.0f);
    EXPECT_EQ(item.frameCount, 1u);
    EXPECT_FLOAT_EQ(item.animationSpeed.GetDerived(), 1.0f);
    EXPECT_EQ(item.Kind(), 3);
    EXPECT_EQ(item.GetCount(), 1u);

    const ItemPreview preview = item.GetPreview();
    EXPECT_EQ(preview.link, &item.imageLink);
    EXPECT_TRUE(preview.link->GetPath().empty());
    EXPECT_EQ(preview.count, 0);
    EXPECT_FALSE(preview.flag);
    EXPECT_FLOAT_EQ(preview.scale, 1.0f);

    item.frameCount = 4;
    int32_t frame = 0;
    std::vector<int32_t> frames;
    for (int i = 0; i < 5; ++i) frames.push_back(frame = (i == 0 ? 0 : item.NextFrame(frame)));
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 1, 2, 3, 0}));
    EXPECT_FLOAT_EQ(item.GetPreview().scale, 0.25f);
    // A frame count of 0 from a hand-made document counts as 1.
    item.frameCount = 0;
    EXPECT_EQ(item.NextFrame(0), 0);
    EXPECT_EQ(item.NextFrame(5), 0);
    EXPECT_FLOAT_EQ(item.GetPreview().scale, 1.0f);
}

TEST(BaseSpriteProp, TransparencyGivesTheAlphaByteWithoutWrapping)
{
    const struct {
        unsigned transparency;
        int alpha;
    } cases[] = {{0, 255}, {10, 229}, {50, 127}, {100, 0}, {101, 0}, {255, 0}, {100000, 0}};
    for (const auto& c : cases) {
        TestSpriteKind item;
        item.transparency.SetValue(c.transparency);
        EXPECT_EQ(item.TransparencyAlpha(), c.alpha) << c.transparency;
    }
}

TEST(BaseSpriteProp, ModulateAlphaFollowsTheTimeLine)
{
    TestSpriteKind item;
    EXPECT_EQ(item.ModulateAlpha(0x80123456u), 0x80123456u);  // always visible
    item.TimeLine().mode = DS_TimeLineControl::kCycle;
    item.TimeLine().AdvanceLocalTime(10.0f);
    item.TimeLine().AdvanceLocalTime(10.25f);  // halfway through the fade-in
    ASSERT_NEAR(item.TimeLine().GetAlpha(), 0.5f, 1e-5f);
    EXPECT_EQ(item.ModulateAlpha(0x80123456u), 0x40123456u);
    EXPECT_EQ(item.ModulateAlpha(0xFF0000FFu), 0x7F0000FFu);
}

TEST(BaseSpriteProp, EveryRecordVersionReadsItsFields)
{
    PictureSize picture(800, 600);
    const Stored s;
    for (int32_t version = 1; version <= 7; ++version) {
        SCOPED_TRACE(version);
        TestSpriteKind item;
        ASSERT_TRUE(ReadRecord(HandMade(version, s), item));
        EXPECT_EQ(item.count.GetValue(), 12u);
        EXPECT_EQ(item.speed.GetValue(), version < 3 ? 80u : 60u);
        EXPECT_EQ(item.size.GetValue(), 40u);
        EXPECT_EQ(item.TransparencyAlpha(), 127);
        EXPECT_EQ(item.blendMode.GetValue(), 1);
        EXPECT_EQ(item.color.GetValue(), 0x0000FFul);
        EXPECT_FLOAT_EQ(item.pulseSpeed, 0.5f);
        EXPECT_FLOAT_EQ(item.minAlpha, 0.2f);
        EXPECT_FLOAT_EQ(item.maxAlpha, 0.9f);
        EXPECT_FLOAT_EQ(item.minScale, 0.5f);
        EXPECT_FLOAT_EQ(item.maxScale, 2.0f);
        EXPECT_EQ(item.secondFrameCount, 3u);
        EXPECT_FLOAT_EQ(item.secondFrameRate, 2.5f);
        EXPECT_EQ(item.frameCount, 4u);
        EXPECT_FLOAT_EQ(item.frameRate, 2.0f);
        EXPECT_TRUE(item.sheet);
        if (version == 1) {
            EXPECT_TRUE(item.imageLink.GetPath().empty());
            EXPECT_TRUE(item.secondImageLink.GetPath().empty());
            ASSERT_EQ(item.legacyBlobs.size(), 2u);
            EXPECT_EQ(item.legacyBlobs[1].id, 12);
            EXPECT_EQ(item.legacySecond.id, 13);
            EXPECT_EQ(item.legacyDurations, s.durations);
        } else {
            EXPECT_EQ(item.imageLink.GetValue(), s.link);
            EXPECT_EQ(item.secondImageLink.GetValue(), s.second);
            EXPECT_TRUE(item.legacyBlobs.empty());
            EXPECT_TRUE(item.legacyDurations.empty());
        }
        EXPECT_EQ(item.sequence, version >= 4 ? 1 : 0);
        EXPECT_EQ(item.mirrorVertically.GetValue(), version >= 5 ? 1 : 0);
        EXPECT_EQ(item.mirrorHorizontally.GetValue(), version >= 5 ? 1 : 0);
        EXPECT_EQ(item.isStatic.GetValue(), version >= 6 ? 1 : 0);
        EXPECT_FLOAT_EQ(item.animationSpeed.GetDerived(), version >= 7 ? 2.0f : 1.0f);
    }
}

TEST(BaseSpriteProp, RecordRoundTripsThroughTheKindsReader)
{
    PictureSize picture(800, 600);
    TestSpriteKind item;
    item.marker = 77;
    item.count.SetValue(9);
    item.size.SetValue(64);
    item.transparency.SetValue(30);
    item.color.SetValue(0x123456);
    item.pulseSpeed = 0.75f;
    item.imageLink.StoreValue({L"a.dds", 3});
    item.frameCount = 2;
    item.sheet = true;
    item.sequence = 1;
    item.mirrorHorizontally.SetValue(1);
    item.isStatic.SetValue(1);
    item.animationSpeed.SetValue(150);
    item.rectangle.top.SetValue(300);  // normalised top 0.5
    const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });

    // Through the registry reader as a document would be read.
    IOF_Virtual_ReaderT<TestSpriteKind> reader;
    std::unique_ptr<DS_ABObj_Constructor> read;
    EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) {
        ReadRecordHeader(ar);
        read = reader.Create(ar, TestSpriteKind::kVersion);
    }));
    ASSERT_TRUE(read);
    auto& kind = static_cast<TestSpriteKind&>(*read);
    EXPECT_EQ(kind.marker, 77);
    EXPECT_EQ(kind.count.GetValue(), 9u);
    EXPECT_EQ(kind.TransparencyAlpha(), 178);
    EXPECT_EQ(kind.imageLink.GetValue(), (FileLinkValue{L"a.dds", 3}));
    EXPECT_FLOAT_EQ(kind.animationSpeed.GetDerived(), 1.5f);
    EXPECT_FLOAT_EQ(kind.normTop, 0.5f);
    EXPECT_EQ(WrittenBytes([&](DS_IOF_Archive* ar) { kind.Write(ar); }), bytes);

    // A clone carries every field and the animation clock.
    kind.animationSpeed.Update(0.1f);
    std::unique_ptr<DS_ParticleSystemCtrl> clone(kind.Clone());
    EXPECT_EQ(WrittenBytes([&](DS_IOF_Archive* ar) { clone->Write(ar); }), bytes);
    EXPECT_FLOAT_EQ(clone->animationSpeed.GetLocalTime(), kind.animationSpeed.GetLocalTime());
}

TEST(BaseSpriteProp, RecordsCutShortAreRefused)
{
    PictureSize picture(800, 600);
    for (int32_t version : {1, 7}) {
        const std::vector<uint8_t> bytes = HandMade(version, Stored());
        // Every cut before the sentinel fails the read (and never crashes).
        for (size_t size = 0; size + sizeof(int32_t) < bytes.size(); ++size) {
            TestSpriteKind item;
            EXPECT_FALSE(ReadRecord(bytes, item, size)) << version << " cut at " << size;
        }
    }
}

TEST(BaseSpriteProp, HostileValuesAreReadSafely)
{
    PictureSize picture(800, 600);
    Stored s;
    s.count = 100000;
    s.transparency = 101;
    s.frameCount = 0;
    s.floats[0] = std::numeric_limits<float>::quiet_NaN();
    s.floats[4] = std::numeric_limits<float>::infinity();
    s.frameRate = -std::numeric_limits<float>::infinity();
    TestSpriteKind item;
    ASSERT_TRUE(ReadRecord(HandMade(7, s), item));
    EXPECT_EQ(item.count.GetValue(), DS_BaseSpriteProp::kMaxSprites);
    EXPECT_EQ(item.TransparencyAlpha(), 0);
    EXPECT_EQ(item.pulseSpeed, 0.0f);
    EXPECT_EQ(item.maxScale, 0.0f);
    EXPECT_EQ(item.frameRate, 0.0f);
    EXPECT_EQ(item.FrameCount(), 1u);
    EXPECT_EQ(item.NextFrame(0), 0);
}
