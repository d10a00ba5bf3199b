#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/scene/TimeLineControl.h"
#include "engine/scene/ViewObjCtrl.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

class ViewItem : public DS_ViewObjCtrl {
public:
    DS_ABObj* CreateObject() override { return nullptr; }
};

struct Edges {
    int left, right, top, bottom;
};

Edges PixelEdges(const DS_ViewObjCtrl& item)
{
    return {item.rectangle.left.GetValue(), item.rectangle.right.GetValue(), item.rectangle.top.GetValue(),
            item.rectangle.bottom.GetValue()};
}

void ExpectEdges(const DS_ViewObjCtrl& item, Edges expected)
{
    const Edges e = PixelEdges(item);
    EXPECT_EQ(e.left, expected.left);
    EXPECT_EQ(e.right, expected.right);
    EXPECT_EQ(e.top, expected.top);
    EXPECT_EQ(e.bottom, expected.bottom);
}

}  // namespace

TEST(ViewObjCtrl, DefaultsCoverThePictureAndGiveItsQuad)
{
    PictureSize picture(800, 600);
    ViewItem item;
    ExpectEdges(item, {0, 800, 0, 600});
    EXPECT_EQ(item.speed.GetValue(), 50u);
    EXPECT_FLOAT_EQ(item.SpeedFactor(), 1.0f);
    EXPECT_EQ(item.EdgeListenerCount(), 4u);
    const ScreenQuad quad = item.GetViewQuad();
    const float expected[4][2] = {{0, 600}, {0, 0}, {800, 600}, {800, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(quad.corners[i].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(quad.corners[i].y, expected[i][1]) << i;
    }
    EXPECT_FALSE(item.HitTest(10.0f, 10.0f));
}

TEST(ViewObjCtrl, PixelEdgesDriveTheNormalisedRectangle)
{
    PictureSize picture(800, 600);
    const struct {
        MediaParamT<int> MediaRectangle::*edge;
        int pixels;
        float DS_ViewObjCtrl::*normalised;
        float expected;
    } cases[] = {
        {&MediaRectangle::right, 400, &DS_ViewObjCtrl::normRight, 0.5f},
        {&MediaRectangle::left, 200, &DS_ViewObjCtrl::normLeft, 0.25f},
        {&MediaRectangle::top, 150, &DS_ViewObjCtrl::normTop, 0.25f},
        {&MediaRectangle::bottom, 300, &DS_ViewObjCtrl::normBottom, 0.5f},
    };
    for (const auto& c : cases) {
        ViewItem item;
        (item.rectangle.*c.edge).SetValue(c.pixels);
        EXPECT_FLOAT_EQ(item.*c.normalised, c.expected) << c.pixels;
        // A clone listens to its own edges only.
        ViewItem* clone = static_cast<ViewItem*>(new ViewItem(item));
        (clone->rectangle.*c.edge).SetValue(c.pixels + 80);
        EXPECT_FLOAT_EQ(item.*c.normalised, c.expected);
        EXPECT_NE(clone->*c.normalised, c.expected);
        delete clone;
    }
}

TEST(ViewObjCtrl, PixelRectangleFollowsThePictureSize)
{
    PictureSize picture(800, 600);
    ViewItem item;
    item.rectangle.right.SetValue(400);
    ViewMetrics::Instance().pictureWidth = 1000;
    ViewMetrics::Instance().pictureHeight = 500;
    item.UpdatePixelRect();
    ExpectEdges(item, {0, 500, 0, 500});
    EXPECT_FLOAT_EQ(item.normRight, 0.5f);
    EXPECT_FLOAT_EQ(item.GetRight(), 500.0f);
}

// Items built before the first resize see a picture of 0 x 0: the normalised
// rectangle must stay whole rather than become NaN.
TEST(ViewObjCtrl, NoPictureSizeKeepsTheNormalisedRectangle)
{
    PictureSize picture(0, 0);
    ViewItem item;
    item.normRight = 0.75f;
    ViewItem clone(item);
    for (const DS_ViewObjCtrl* view : {static_cast<const DS_ViewObjCtrl*>(&item), static_cast<const DS_ViewObjCtrl*>(&clone)}) {
        EXPECT_FLOAT_EQ(view->normLeft, 0.0f);
        EXPECT_FLOAT_EQ(view->normRight, 0.75f);
        EXPECT_FLOAT_EQ(view->normTop, 0.0f);
        EXPECT_FLOAT_EQ(view->normBottom, 1.0f);
    }
    ViewMetrics::Instance().pictureWidth = 800;
    ViewMetrics::Instance().pictureHeight = 600;
    clone.UpdatePixelRect();
    ExpectEdges(clone, {0, 600, 0, 600});
}

TEST(ViewObjCtrl, SpeedClockStepsAreCappedAndNeverNegative)
{
    const struct {
        unsigned speed;
        float times[3];
        float clocks[3];
    } cases[] = {
        {50, {0.1f, 5.0f, 4.9f}, {0.1f, 0.3f, 0.4f}},  // a jump counts 0.2; backwards still advances
        {100, {0.1f, 0.15f, 0.15f}, {0.2f, 0.3f, 0.3f}},
        {0, {0.1f, 0.2f, 0.3f}, {0.0f, 0.0f, 0.0f}},
    };
    for (const auto& c : cases) {
        ViewItem item;
        item.speed.SetValue(c.speed);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(item.SmoothSpeed(c.times[i]), c.speed);
            EXPECT_NEAR(item.SpeedClock(), c.clocks[i], 1e-5f) << c.speed << " step " << i;
            EXPECT_FLOAT_EQ(item.LastTime(), c.times[i]);
        }
        item.Restart();
        EXPECT_EQ(item.SpeedClock(), 0.0f);
        EXPECT_EQ(item.SpeedStep(), 0.0f);
        EXPECT_EQ(item.LastTime(), 0.0f);
    }
}

TEST(ViewObjCtrl, RandomPointsDrawXThenY)
{
    PictureSize picture(800, 600);
    ViewItem item;
    DS_SRand(1);
    D3DXVECTOR3 p = item.RandomPoint();
    EXPECT_FLOAT_EQ(p.x, 41.0f / 32767.0f * 800.0f);
    EXPECT_FLOAT_EQ(p.y, 18467.0f / 32767.0f * 600.0f);
    EXPECT_EQ(p.z, 0.0f);

    DS_SRand(1);
    p = item.RandomPointInside(25.0f, 10.0f);
    EXPECT_FLOAT_EQ(p.x, 25.0f + 41.0f / 32767.0f * 750.0f);
    EXPECT_FLOAT_EQ(p.y, 10.0f + 18467.0f / 32767.0f * 580.0f);

    // Narrower than the sprite: between right - hw and left + hw all the same.
    item.normLeft = 0.125f;   // 100
    item.normRight = 0.15f;   // 120
    for (uint32_t seed : {1u, 7u, 99u}) {
        DS_SRand(seed);
        p = item.RandomPointInside(20.0f, 0.0f);
        EXPECT_GE(p.x, 100.0f);
        EXPECT_LE(p.x, 120.0f);
    }
}

TEST(ViewObjCtrl, RecordRoundTripsAndVersionOneKeepsTheSpeed)
{
    PictureSize picture(800, 600);
    ViewItem item;
    item.rectangle.left.SetValue(80);
    item.rectangle.extraX.StoreValue(7);
    item.flag = true;
    item.speed.StoreValue(75);
    item.SetName(L"view");
    const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });

    ViewItem read;
    EXPECT_FALSE(ReadBytes(bytes, bytes.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(read.ReadBody(ar)); }));
    EXPECT_EQ(read.rectangle.left.GetValue(), 80);
    EXPECT_EQ(read.rectangle.extraX.GetValue(), 7);
    EXPECT_FLOAT_EQ(read.normLeft, 0.1f);
    EXPECT_TRUE(read.flag);
    EXPECT_EQ(read.speed.GetValue(), 75u);
    EXPECT_EQ(read.Name(), L"view");
    EXPECT_EQ(WrittenBytes([&](DS_IOF_Archive* ar) { read.Write(ar); }), bytes);

    // Version 1: no speed; a value after the record shows where it ended.
    const std::vector<uint8_t> old = WrittenBytes([&](DS_IOF_Archive* ar) {
        WriteRecordHeader(ar, L"DS_ViewObjCtrl", 1);
        for (int v : {10, 20, 30, 40, 0, 0}) ar->archive->WriteInt32(v);
        for (float f : {0.25f, 0.5f, 0.0f, 1.0f}) ar->archive->WriteFloat(f);
        ar->archive->WriteBool(false);
        ViewItem().DS_ABObj_Constructor::WriteBody(ar);
        ar->archive->WriteInt(12345);
    });
    ViewItem legacy;
    legacy.speed.StoreValue(3);
    int32_t after = 0;
    EXPECT_FALSE(ReadBytes(old, old.size(), [&](DS_IOF_Archive* ar) {
        EXPECT_TRUE(legacy.ReadBody(ar));
        ar->archive->ReadInt(after);
    }));
    EXPECT_EQ(after, 12345);
    EXPECT_EQ(legacy.speed.GetValue(), 3u);  // not stored: the item's own value stays
    EXPECT_EQ(ViewItem().speed.GetValue(), 50u);
    EXPECT_FLOAT_EQ(legacy.normRight, 0.5f);
    EXPECT_EQ(legacy.rectangle.bottom.GetValue(), 40);
}

TEST(ViewObjCtrl, HostileRecordsFailOrReadAsZero)
{
    PictureSize picture(800, 600);
    ViewItem item;
    const std::vector<uint8_t> bytes = WrittenBytes([&](DS_IOF_Archive* ar) { item.Write(ar); });
    for (size_t size = 0; size < bytes.size(); ++size) {
        ViewItem read;
        EXPECT_TRUE(ReadBytes(bytes, size, [&](DS_IOF_Archive* ar) { EXPECT_FALSE(read.ReadBody(ar)); })) << size;
    }
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity()};
    for (float value : hostile) {
        const std::vector<uint8_t> record = WrittenBytes([&](DS_IOF_Archive* ar) {
            WriteRecordHeader(ar, L"DS_ViewObjCtrl", 2);
            for (int v : {0, 0, 0, 0, 0, 0}) ar->archive->WriteInt32(v);
            for (int i = 0; i < 4; ++i) ar->archive->WriteFloat(value);
            ar->archive->WriteBool(false);
            ar->archive->WriteUInt(50);
            ViewItem().DS_ABObj_Constructor::WriteBody(ar);
        });
        ViewItem read;
        EXPECT_FALSE(ReadBytes(record, record.size(), [&](DS_IOF_Archive* ar) { EXPECT_TRUE(read.ReadBody(ar)); }));
        EXPECT_EQ(read.normLeft, 0.0f);
        EXPECT_EQ(read.normBottom, 0.0f);
        read.UpdatePixelRect();
        ExpectEdges(read, {0, 0, 0, 0});
    }
}

TEST(ViewObjCtrl, SaturatingTruncateIsDefinedEverywhere)
{
    const struct {
        float in;
        int32_t out;
    } cases[] = {
        {2.9f, 2}, {-2.9f, -2}, {0.0f, 0}, {3e9f, INT32_MAX}, {-3e9f, INT32_MIN},
        {std::numeric_limits<float>::infinity(), INT32_MAX}, {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(SaturatingTruncate(c.in), c.out) << c.in;
}
