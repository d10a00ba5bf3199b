// The stored records of slides and of the slideshow root: round trips,
// the conversions of older slide versions, and the documents a player
// cannot show (no slide, a slide or picture layer that cannot be made).
#include <gtest/gtest.h>

#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/scene/SlideShow.h"

namespace {

class SlideRecords : public ::testing::Test {
protected:
    void SetUp() override { RegisterSceneClasses(classes_); }

    DS_IOF_Archive Writer()
    {
        DS_IOF_Archive out;
        out.archive = &writer_;
        out.classes = &classes_;
        return out;
    }

    // Reads with a fresh reader over bytes; fn gets the handle.
    template <class Fn>
    size_t Read(const std::vector<uint8_t>& bytes, Fn fn)
    {
        ResourceBuffer buffer(bytes.data(), bytes.size());
        DS_IOF_R<ResourceBuffer> reader(&buffer);
        DS_IOF_Archive in;
        in.archive = &reader;
        in.classes = &classes_;
        fn(&in);
        return buffer.Remaining();
    }

    static std::unique_ptr<DS_SlideContainer> MakeSlide(const wchar_t* name, unsigned fadeIn, unsigned show,
                                                        unsigned fadeOut)
    {
        auto slide = std::make_unique<DS_SlideContainer>();
        slide->name.StoreValue(name);
        slide->fadeIn.StoreValue(fadeIn);
        slide->show.StoreValue(show);
        slide->fadeOut.StoreValue(fadeOut);
        slide->integerValue.StoreValue(-5);
        slide->duration.SetValue(1234);
        slide->SetLight(CountedPtr<DS_2D_Light>(new DS_2D_Light()));
        return slide;
    }

    SceneClassRegistry classes_;
    DS_IOF_W writer_;
};

TEST_F(SlideRecords, SlideRoundTrip)
{
    DS_IOF_Archive out = Writer();
    MakeSlide(L"Slide A", 3, 7, 2)->Write(&out);
    const std::vector<uint8_t> bytes = writer_.Bytes();

    std::unique_ptr<DS_SlideContainer> read;
    EXPECT_EQ(Read(bytes, [&](DS_IOF_Archive* in) { read = DS_SlideContainer::ReadAny(in); }), 0u);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->name.GetValue(), L"Slide A");
    EXPECT_EQ(read->fadeIn.GetValue(), 3u);
    EXPECT_EQ(read->show.GetValue(), 7u);
    EXPECT_EQ(read->fadeOut.GetValue(), 2u);
    EXPECT_EQ(read->integerValue.GetValue(), -5);
    EXPECT_EQ(read->duration.GetValue(), 1234u);
    EXPECT_FLOAT_EQ(read->duration.GetDerived(), 12.34f);
    EXPECT_TRUE(read->GetLight());

    DS_IOF_W again;
    DS_IOF_Archive out2;
    out2.archive = &again;
    read->Write(&out2);
    EXPECT_EQ(again.Bytes(), bytes);
}

// Records of older versions, written field by field as those versions did.
TEST_F(SlideRecords, OlderVersionsConvertTheDuration)
{
    const struct {
        int32_t version;
        bool storesDuration;
        bool storesUpdatedItems;
        unsigned expected;
    } cases[] = {
        {1, false, false, 100000},
        {2, false, true, 100000},
        {3, true, true, 1200},
        {4, true, true, 12},
        {7, true, true, 12},  // newer versions read as the newest
    };
    for (const auto& c : cases) {
        DS_IOF_W writer;
        DS_IOF_Archive out;
        out.archive = &writer;
        WriteRecordHeader(&out, L"DS_SlideContainer", c.version);
        writer.WriteUInt(1);
        writer.WriteUInt(1);
        writer.WriteUInt(10);
        writer.WriteInt32(0);
        writer.WriteString(L"old");
        if (c.storesDuration) writer.WriteUInt(12);
        DS_2D_Light().Write(&out);
        writer.WriteInt(0);
        if (c.storesUpdatedItems) writer.WriteInt(0);

        std::unique_ptr<DS_SlideContainer> read;
        const size_t left = Read(writer.Bytes(), [&](DS_IOF_Archive* in) { read = DS_SlideContainer::ReadAny(in); });
        ASSERT_NE(read, nullptr) << c.version;
        EXPECT_EQ(left, 0u) << c.version;
        EXPECT_EQ(read->duration.GetValue(), c.expected) << c.version;
        EXPECT_FLOAT_EQ(read->duration.GetDerived(), c.expected * 0.01f) << c.version;
    }
}

TEST_F(SlideRecords, SlideShowRoundTrip)
{
    DS_SlideShow_Light root;
    root.Slides().push_back(CountedPtr<DS_SlideContainer>(MakeSlide(L"one", 1, 10, 1).release()));
    root.Slides().push_back(CountedPtr<DS_SlideContainer>(MakeSlide(L"two", 0, 5, 2).release()));
    auto audio = std::make_unique<DS_AudioFile>();
    audio->path = L"C:\\music\\a.mp3";
    audio->file.name = L"C:\\music\\a.mp3";
    audio->file.data = {1, 2, 3};
    root.AudioFiles().push_back(CountedPtr<DS_AudioFile>(audio.release()));
    DS_IOF_Archive out = Writer();
    root.Write(&out);
    const std::vector<uint8_t> bytes = writer_.Bytes();

    DS_SlideShow_Light read;
    bool accepted = false;
    const size_t left = Read(bytes, [&](DS_IOF_Archive* in) {
        ReadRecordHeader(in);
        accepted = read.ReadBody(in, DS_SlideShow_Light::kVersion);
    });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(left, 0u);
    ASSERT_EQ(read.Slides().size(), 2u);
    EXPECT_EQ(read.Slides()[1]->name.GetValue(), L"two");
    EXPECT_EQ(read.Slides()[1]->show.GetValue(), 5u);
    ASSERT_EQ(read.AudioFiles().size(), 1u);
    EXPECT_EQ(read.AudioFiles()[0]->file.data, (std::vector<uint8_t>{1, 2, 3}));

    DS_IOF_W again;
    DS_IOF_Archive out2;
    out2.archive = &again;
    read.Write(&out2);
    EXPECT_EQ(again.Bytes(), bytes);
}

// Roots that cannot be played are refused at load and keep no slide.
TEST_F(SlideRecords, UnplayableRootsAreRefused)
{
    const struct {
        const char* what;
        void (*write)(DS_IOF_Archive*);
    } cases[] = {
        {"no slide",
         [](DS_IOF_Archive* out) {
             out->archive->WriteInt(0);
             out->archive->WriteInt(0);
         }},
        {"a slide of an unknown class",
         [](DS_IOF_Archive* out) {
             out->archive->WriteInt(1);
             WriteRecordHeader(out, L"DS_SlideContainerX", 4);
             out->archive->WriteInt(0);
         }},
        {"a slide whose picture layer is of an unknown class",
         [](DS_IOF_Archive* out) {
             out->archive->WriteInt(1);
             WriteRecordHeader(out, L"DS_SlideContainer", 4);
             for (int i = 0; i < 3; ++i) out->archive->WriteUInt(1);
             out->archive->WriteInt32(0);
             out->archive->WriteString(L"s");
             out->archive->WriteUInt(100);
             WriteRecordHeader(out, L"ds_2d_light", 3);
             out->archive->WriteInt(0);
             out->archive->WriteInt(0);
             out->archive->WriteInt(0);
         }},
        {"a negative slide count",
         [](DS_IOF_Archive* out) {
             out->archive->WriteInt(-1);
             out->archive->WriteInt(0);
         }},
    };
    for (const auto& c : cases) {
        DS_IOF_W writer;
        DS_IOF_Archive out;
        out.archive = &writer;
        c.write(&out);
        DS_SlideShow_Light root;
        bool accepted = true;
        bool failed = false;
        Read(writer.Bytes(), [&](DS_IOF_Archive* in) {
            accepted = root.ReadBody(in, 1);
            failed = in->Failed();
        });
        EXPECT_FALSE(accepted) << c.what;
        EXPECT_TRUE(failed) << c.what;
        for (const auto& slide : root.Slides()) EXPECT_TRUE(slide) << c.what;
    }
}

}  // namespace
