// The stored records of the MP3 and WAV sound items: round trips through the
// scene-item registry, the older "DS_Sound_Ctrl" versions that kept the time
// line's mode and invisible seconds, and records cut short.
#include <gtest/gtest.h>

#include <limits>

#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/TimeLineControl.h"
#include "sound/MP3Constructor.h"
#include "sound/SoundClasses.h"
#include "sound/WAVConstructor.h"

namespace {

class SoundItemRecords : public ::testing::Test {
protected:
    void SetUp() override { RegisterSoundClasses(classes_); }

    std::vector<uint8_t> Write(DS_ABObj_Constructor& item)
    {
        DS_IOF_W writer;
        DS_IOF_Archive out;
        out.archive = &writer;
        out.classes = &classes_;
        item.Write(&out);
        return writer.Bytes();
    }

    // The item a registry read makes of bytes; remaining gets the bytes left.
    std::unique_ptr<DS_ABObj_Constructor> Read(const std::vector<uint8_t>& bytes, size_t* remaining = nullptr)
    {
        ResourceBuffer buffer(bytes.data(), bytes.size());
        DS_IOF_R<ResourceBuffer> reader(&buffer);
        DS_IOF_Archive in;
        in.archive = &reader;
        in.classes = &classes_;
        std::unique_ptr<DS_ABObj_Constructor> item = ReadRecordByName(&in, classes_.sceneItems);
        if (item) {
            EXPECT_FALSE(in.Failed());
        }
        if (remaining) *remaining = buffer.Remaining();
        return item;
    }

    static void FillSound(DS_Sound_Ctrl& sound)
    {
        sound.volume.SetValue(37);
        sound.balance.SetValue(81);
        sound.SetName(L"rain on the roof");
        sound.TimeLine().mode = DS_TimeLineControl::kCycle;
        sound.TimeLine().invisible.minimum.SetValue(200);
        sound.TimeLine().invisible.maximum.SetValue(450);
    }

    static void ExpectSameSound(const DS_Sound_Ctrl& read, const DS_Sound_Ctrl& written)
    {
        EXPECT_EQ(read.volume.GetValue(), written.volume.GetValue());
        EXPECT_EQ(read.balance.GetValue(), written.balance.GetValue());
        EXPECT_EQ(read.Name(), written.Name());
        EXPECT_EQ(read.TimeLine().mode, written.TimeLine().mode);
        EXPECT_EQ(read.TimeLine().invisible.minimum.GetValue(), written.TimeLine().invisible.minimum.GetValue());
        EXPECT_EQ(read.TimeLine().invisible.maximum.GetValue(), written.TimeLine().invisible.maximum.GetValue());
    }

    SceneClassRegistry classes_;
};

TEST_F(SoundItemRecords, Mp3RoundTrip)
{
    DS_MP3_Constructor written;
    FillSound(written);
    written.file.name = L"C:\\sounds\\bell.mp3";
    written.file.data = {0xFF, 0xFB, 0x90, 0x00, 0x12};
    const std::vector<uint8_t> bytes = Write(written);
    size_t remaining = 1;
    std::unique_ptr<DS_ABObj_Constructor> item = Read(bytes, &remaining);
    auto* read = dynamic_cast<DS_MP3_Constructor*>(item.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(remaining, 0u);
    EXPECT_EQ(read->file.name, written.file.name);
    EXPECT_EQ(read->file.data, written.file.data);
    ExpectSameSound(*read, written);
    EXPECT_EQ(Write(*read), bytes);
}

TEST_F(SoundItemRecords, WavRoundTrip)
{
    DS_WAV_Constructor written;
    FillSound(written);
    written.link.StoreValue({L"C:\\sounds\\drip.wav", 1700000000LL});
    const std::vector<uint8_t> bytes = Write(written);
    size_t remaining = 1;
    std::unique_ptr<DS_ABObj_Constructor> item = Read(bytes, &remaining);
    auto* read = dynamic_cast<DS_WAV_Constructor*>(item.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(remaining, 0u);
    EXPECT_EQ(read->link.GetValue(), written.link.GetValue());
    ExpectSameSound(*read, written);
    EXPECT_EQ(Write(*read), bytes);
}

TEST_F(SoundItemRecords, DefaultsAreFullVolumeCentred)
{
    DS_WAV_Constructor wav;
    EXPECT_EQ(wav.volume.GetValue(), 100u);
    EXPECT_EQ(wav.balance.GetValue(), 50u);
    EXPECT_EQ(wav.Kind(), 3);
    const ItemPreview preview = wav.GetPreview();
    ASSERT_NE(preview.link, nullptr);
    EXPECT_EQ(preview.link->GetPath(), L"common_res.dll");
    EXPECT_EQ(preview.link->GetStamp(), 2016);
    EXPECT_EQ(preview.count, 0);
    EXPECT_FALSE(preview.flag);
    EXPECT_EQ(preview.scale, 1.0f);
    // One picture for every sound item.
    EXPECT_EQ(DS_MP3_Constructor().GetPreview().link, preview.link);
}

// A WAV record whose "DS_Sound_Ctrl" level has the given version and fields,
// and whose item base record has baseVersion (2 adds a time line in mode 0
// with invisible 7 to 9 s).
std::vector<uint8_t> OldWavRecord(int32_t soundVersion, int32_t mode, uint32_t invisibleMin, uint32_t invisibleMax,
                                  int32_t baseVersion)
{
    DS_IOF_W w;
    DS_IOF_Archive out;
    out.archive = &w;
    WriteRecordHeader(&out, L"DS_WAV_Constructor", 1);
    DS_FileLink3(ds_string(L"old.wav")).Write(out);
    WriteRecordHeader(&out, L"DS_Sound_Ctrl", soundVersion);
    w.WriteUInt(60);
    w.WriteUInt(20);
    if (soundVersion < 3) {
        w.WriteInt32(mode);
        w.WriteUInt(invisibleMin);
        w.WriteUInt(invisibleMax);
    }
    WriteRecordHeader(&out, L"DS_ABObj_Constructor", baseVersion);
    w.WriteString(L"old sound");
    if (baseVersion >= 2) {
        DS_TimeLineControl timeLine;
        timeLine.invisible.minimum.SetValue(700);
        timeLine.invisible.maximum.SetValue(900);
        timeLine.Write(out);
    }
    return w.Bytes();
}

TEST_F(SoundItemRecords, OlderVersionsPutModeAndInvisibleSecondsIntoTheTimeLine)
{
    const unsigned kMax = std::numeric_limits<unsigned>::max();
    const struct {
        int32_t soundVersion;
        int32_t baseVersion;
        uint32_t storedMin, storedMax;
        int32_t mode;
        unsigned invisibleMin, invisibleMax;
    } cases[] = {
        // The stored seconds in hundredths when the item base keeps no time line.
        {2, 1, 3, 5, 1, 300, 500},
        {1, 1, 0, 2, 2, 0, 200},
        // Seconds too large for hundredths saturate.
        {2, 1, 50000000, 0xFFFFFFFFu, 1, kMax, kMax},
        // An item base of version 2 brings its own time line, which wins.
        {2, 2, 3, 5, 0, 700, 900},
        // Version 3 stores no times.
        {3, 2, 0, 0, 0, 700, 900},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sound v" << c.soundVersion << " base v" << c.baseVersion);
        size_t remaining = 1;
        std::unique_ptr<DS_ABObj_Constructor> item =
            Read(OldWavRecord(c.soundVersion, c.mode == 0 ? 1 : c.mode, c.storedMin, c.storedMax, c.baseVersion),
                 &remaining);
        auto* read = dynamic_cast<DS_WAV_Constructor*>(item.get());
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(remaining, 0u);
        EXPECT_EQ(read->volume.GetValue(), 60u);
        EXPECT_EQ(read->balance.GetValue(), 20u);
        EXPECT_EQ(read->Name(), L"old sound");
        EXPECT_EQ(read->TimeLine().mode, c.mode);
        EXPECT_EQ(read->TimeLine().invisible.minimum.GetValue(), c.invisibleMin);
        EXPECT_EQ(read->TimeLine().invisible.maximum.GetValue(), c.invisibleMax);
    }
}

TEST_F(SoundItemRecords, CutRecordsAreRefused)
{
    DS_MP3_Constructor mp3;
    FillSound(mp3);
    mp3.file.name = L"x.mp3";
    mp3.file.data = {1, 2, 3};
    DS_WAV_Constructor wav;
    FillSound(wav);
    wav.link.StoreValue({L"y.wav", 3});
    for (DS_ABObj_Constructor* item : {static_cast<DS_ABObj_Constructor*>(&mp3), static_cast<DS_ABObj_Constructor*>(&wav)}) {
        const std::vector<uint8_t> bytes = Write(*item);
        ASSERT_NE(Read(bytes), nullptr);
        for (size_t size = 0; size < bytes.size(); ++size) {
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + size);
            EXPECT_EQ(Read(cut), nullptr) << size << " of " << bytes.size() << " bytes";
        }
    }
}

TEST(SoundItemLevels, Mp3VolumeAndBalanceOnTheGraphScale)
{
    const struct {
        unsigned value;
        long volume, balance;
    } cases[] = {
        {100, 0, 4000}, {75, -1000, 2000}, {50, -2000, 0}, {25, -3000, -2000}, {0, -4000, -4000},
        // Above 100 counts as 100 (DirectShow refuses levels out of range).
        {101, 0, 4000}, {4000000000u, 0, 4000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GraphVolumeLevel(c.value), c.volume) << c.value;
        EXPECT_EQ(GraphBalanceLevel(c.value), c.balance) << c.value;
    }
}

TEST(SoundItemLevels, WavVolumeAddsTheUsersAndPanFollowsBalance)
{
    const struct {
        unsigned item;
        int user;
        bool mute;
        long volume;
    } volumes[] = {
        {100, 100, false, 0},        {80, 100, false, -1000},   {80, 75, false, -2250},
        {0, 0, false, -10000},       {100, 100, true, -10000},  {50, 100, true, -10000},
        {0, 100, false, -5000},      {100, 0, false, -5000},    {250, 100, false, 0},
    };
    for (const auto& c : volumes) {
        EXPECT_EQ(DS_WAV_Constructor::BufferVolume(c.item, c.user, c.mute), c.volume)
            << c.item << "/" << c.user << (c.mute ? " muted" : "");
    }
    const struct {
        unsigned balance;
        long pan;
    } pans[] = {{0, -5000}, {25, -2500}, {50, 0}, {100, 5000}, {180, 5000}};
    for (const auto& c : pans) EXPECT_EQ(DS_WAV_Constructor::BufferPan(c.balance), c.pan) << c.balance;
}

TEST(SoundItemLengths, WavInHundredthsMp3InWholeSeconds)
{
    WaveData wave;
    wave.format.resize(sizeof(WAVEFORMATEX));
    reinterpret_cast<WAVEFORMATEX*>(wave.format.data())->nAvgBytesPerSec = 176400;
    const struct {
        size_t bytes;
        unsigned hundredths;
    } wavCases[] = {{441000, 250}, {50000000, 28344}, {1763, 0}, {1764, 1}};
    for (const auto& c : wavCases) {
        wave.samples.assign(c.bytes, 0);
        EXPECT_EQ(wave.LengthInHundredths(), c.hundredths) << c.bytes << " bytes";
    }
    // DirectShow lengths in 100 ns units; an MP3 item keeps whole seconds.
    const struct {
        LONGLONG duration;
        unsigned hundredths;
    } mp3Cases[] = {{39000000, 300}, {25000000, 200},
                    {10000000, 100}, {9999999, 0},
                    {5000000, 0},    {0, 0},
                    {-5, 0},         {0x7FFFFFFFFFFFFFFFLL, std::numeric_limits<unsigned>::max()}};
    for (const auto& c : mp3Cases) {
        EXPECT_EQ(DS_MP3_Constructor::LengthInHundredths(c.duration), c.hundredths) << c.duration;
    }
}

}  // namespace
