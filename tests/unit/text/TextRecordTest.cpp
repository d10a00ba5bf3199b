// The text items without a device: their records, the DrawText flags from
// the alignments and the scrolling offsets.
#include <gtest/gtest.h>

#include <vector>

#include "engine/scene/TimeLineControl.h"
#include "objects/text/ScrollingTextConstructor.h"
#include "objects/text/StaticTextConstructor.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

// Reads a record as the registry does: header, then the kind's fields.
template <class T>
bool ReadItem(DS_IOF_Archive* ar, T& item)
{
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return item.ReadFields(ar, version);
}

// A version 1 static text: its fields with four old durations, then the
// current inner levels.
void WriteVersionOneStatic(DS_IOF_Archive* ar, const unsigned durations[4])
{
    DS_StaticTextConstructor source;
    source.TimeLine().mode = DS_TimeLineControl::kCycle;  // the stored mode
    WriteRecordHeader(ar, DS_StaticTextConstructor::kClassName, 1);
    ar->archive->WriteInt32(1);
    ar->archive->WriteInt32(2);
    ar->archive->WriteString(L"old text");
    ar->archive->WriteInt32(20);
    ar->archive->WriteUInt(400);
    ar->archive->WriteInt32(1);
    ar->archive->WriteString(L"Courier New");
    for (int i = 0; i < 4; ++i) ar->archive->WriteUInt(durations[i]);
    source.DS_StatBaseFXCtrl::WriteBody(ar);
}

}  // namespace

TEST(TextRecord, RoundTripsOfBothKinds)
{
    DS_ScrollingTextConstructor item;
    EXPECT_EQ(item.color.GetValue(), 0x000000FFul);
    EXPECT_EQ(item.TimeLine().speedMode, 1);
    EXPECT_EQ(item.font.height, 32);
    EXPECT_EQ(item.font.faceName, L"Arial");
    item.verticalAlignment.SetValue(1);
    item.horizontalAlignment.SetValue(2);
    item.text.SetValue(L"Corvalline\nsecond line");
    item.font.height = 48;
    item.font.italic = 1;
    item.scrollTime.SetValue(300);
    item.direction.SetValue(3);
    item.boxWidth.SetValue(320);
    item.boxHeight.SetValue(90);
    const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });

    DS_ScrollingTextConstructor copy;
    EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(ReadItem(ar, copy)); }));
    EXPECT_EQ(copy.verticalAlignment.GetValue(), 1);
    EXPECT_EQ(copy.horizontalAlignment.GetValue(), 2);
    EXPECT_EQ(copy.text.GetValue(), L"Corvalline\nsecond line");
    EXPECT_EQ(copy.font.height, 48);
    EXPECT_EQ(copy.font.italic, 1);
    EXPECT_EQ(copy.scrollTime.GetValue(), 300u);
    EXPECT_EQ(copy.direction.GetValue(), 3);
    EXPECT_EQ(copy.boxWidth.GetValue(), 320u);
    EXPECT_EQ(WrittenBytes([&](DS_IOF_Archive* ar) { copy.Write(ar); }), bytes);
    // A clone shares the item's key, so both draw into one target.
    std::unique_ptr<DS_ParticleSystemCtrl> clone(copy.Clone());
    EXPECT_EQ(memcmp(&static_cast<DS_ScrollingTextConstructor*>(clone.get())->Key().guid, &copy.Key().guid,
                     sizeof(GUID)),
              0);

    for (size_t size = 0; size < bytes.size(); size += 5) {
        DS_ScrollingTextConstructor cut;
        bool accepted = true;
        const bool failed = ReadBytes(bytes, size, [&](DS_IOF_Archive* ar) { accepted = ReadItem(ar, cut); });
        EXPECT_TRUE(failed && !accepted) << "cut at " << size;
    }
}

TEST(TextRecord, VersionOneDurationsGoIntoTheTimeLineAloneAndInsideAScrollingText)
{
    struct Case {
        unsigned durations[4];  // fade-in, fade-out, show time, pause
        int32_t mode;
        unsigned fadeIn, fadeOut, visible, invisible;
    };
    const Case cases[] = {
        // Show time 0: always visible, nothing else changes.
        {{500, 500, 0, 1000}, DS_TimeLineControl::kAlwaysVisible, 50, 50, 100, 100},
        {{500, 500, 3000, 1000}, DS_TimeLineControl::kCycle, 50, 50, 300, 100},
    };
    for (bool scrolling : {false, true}) {
        for (const Case& c : cases) {
            const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) {
                if (scrolling) {
                    WriteRecordHeader(ar, DS_ScrollingTextConstructor::kClassName, 1);
                    ar->archive->WriteUInt(500);
                    ar->archive->WriteInt32(2);
                }
                WriteVersionOneStatic(ar, c.durations);
            });
            DS_ScrollingTextConstructor scroll;
            DS_StaticTextConstructor still;
            DS_StaticTextConstructor& item = scrolling ? scroll : still;
            // The stored mode (cycle) is kept unless the show time is 0.
            EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) {
                EXPECT_TRUE(scrolling ? ReadItem(ar, scroll) : ReadItem(ar, still));
            }));
            const DS_TimeLineControl& line = item.TimeLine();
            EXPECT_EQ(line.mode, c.mode) << scrolling;
            EXPECT_EQ(line.fadeIn, c.fadeIn);
            EXPECT_EQ(line.fadeOut, c.fadeOut);
            EXPECT_EQ(line.visible.maximum.GetValue(), c.visible);
            EXPECT_EQ(line.invisible.minimum.GetValue(), c.invisible);
            EXPECT_EQ(item.text.GetValue(), L"old text");
            EXPECT_EQ(item.font.faceName, L"Courier New");
            EXPECT_EQ(item.font.weight, 400);
            if (scrolling) EXPECT_EQ(scroll.scrollTime.GetValue(), 500u);
        }
    }
}

TEST(TextFlags, AlignmentsGiveDrawTextFormatBits)
{
    const struct {
        int vertical, horizontal;
        uint32_t flags;
    } cases[] = {{0, 0, 0}, {1, 1, 5}, {2, 2, 10}, {0, 1, 1}, {1, 0, 4}, {7, -3, 0}};
    for (const auto& c : cases) {
        DS_StaticTextConstructor item;
        item.verticalAlignment.SetValue(c.vertical);
        item.horizontalAlignment.SetValue(c.horizontal);
        item.UpdateFlags();
        EXPECT_EQ(item.Flags(), c.flags) << c.vertical << ", " << c.horizontal;
    }
}

TEST(TextScroll, ShiftFollowsTheOffsetsFraction)
{
    const struct {
        float offset, shift;
    } cases[] = {{0.5f, 0.5f}, {-0.25f, 0.25f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {2.0f / 3.0f, 1.0f}};
    for (const auto& c : cases) EXPECT_NEAR(DS_ScrollingTextConstructor::ShiftOf(c.offset), c.shift, 1e-5f) << c.offset;
}

TEST(TextScroll, OffsetsMoveByTheSpeedStepOverTheScrollTime)
{
    struct Case {
        int direction;
        unsigned scrollTime;
        float offset1, offset2;  // after 0.1 s at speed factor 1
    };
    const Case cases[] = {
        {0, 2, 0.05f, 1.0f / 3.0f},
        {1, 2, -0.05f, 1.0f / 3.0f},
        {2, 2, 0.0f, 1.0f / 3.0f + 0.05f},
        {3, 2, 0.0f, 1.0f / 3.0f - 0.05f},
        {5, 2, 0.0f, 1.0f / 3.0f},  // other directions do not move
        {0, 0, 0.0f, 1.0f / 3.0f},  // scroll time 0 does not scroll
    };
    for (const Case& c : cases) {
        DS_ScrollingTextConstructor item;
        item.direction.SetValue(c.direction);
        item.scrollTime.SetValue(c.scrollTime);
        item.boxWidth.SetValue(100);
        item.boxHeight.SetValue(50);
        SpriteInstance sprite;
        sprite.Init(item);
        item.SmoothSpeed(1.0f);
        item.SmoothSpeed(1.1f);
        item.UpdateSprite(sprite);  // always visible: the offsets move
        EXPECT_NEAR(item.Offset1(), c.offset1, 1e-5f) << c.direction << " " << c.scrollTime;
        EXPECT_NEAR(item.Offset2(), c.offset2, 1e-5f) << c.direction << " " << c.scrollTime;
        EXPECT_TRUE(std::isfinite(item.Shift()[0]) && std::isfinite(item.Shift()[1]));
        EXPECT_EQ(sprite.halfWidth, 50.0f);
        EXPECT_EQ(sprite.halfHeight, 25.0f);
    }
    // While the time line is invisible both offsets go back to 0.
    DS_ScrollingTextConstructor item;
    item.TimeLine().mode = DS_TimeLineControl::kCycle;
    SpriteInstance sprite;
    sprite.Init(item);
    item.UpdateSprite(sprite);
    EXPECT_EQ(item.Offset1(), 0.0f);
    EXPECT_EQ(item.Offset2(), 0.0f);
}
