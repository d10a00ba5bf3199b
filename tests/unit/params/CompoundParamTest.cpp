#include <gtest/gtest.h>

#include <vector>

#include "engine/params/FontMediaParam.h"
#include "engine/params/FunLightCtrl.h"
#include "engine/params/MediaDirection.h"
#include "engine/params/MediaQuad.h"
#include "engine/params/MediaRectangle.h"
#include "engine/render/RenderContext.h"
#include "engine/render/ViewMetrics.h"
#include "engine/resources/CurrentScene.h"
#include "unit/MemoryArchive.h"

namespace {

struct Counter {
    int calls = 0;
    void OnAny() { ++calls; }
};

std::vector<uint8_t> Int32Bytes(std::initializer_list<int32_t> values)
{
    MemoryArchive archive;
    for (int32_t v : values) archive.WriteInt32(v);
    return archive.bytes;
}

TEST(MediaRectangleTest, StoredFormIsSixInt32InFieldOrder)
{
    MediaRectangle rect;
    rect.left.SetValue(10);
    rect.right.SetValue(-20);
    rect.top.SetValue(30);
    rect.bottom.SetValue(40);
    rect.extraX.SetValue(5);
    rect.extraY.SetValue(6);
    MemoryArchive out;
    rect.Write(out.Handle());
    EXPECT_EQ(out.bytes, Int32Bytes({10, -20, 30, 40, 5, 6}));
}

TEST(MediaRectangleTest, ReadStoresDirectlyWithoutNotification)
{
    MediaRectangle rect;
    Counter counter;
    DS_FunLightCtrl2<Counter> listener(&Counter::OnAny, &counter);
    listener.Attach(&rect.left);
    MemoryArchive in(Int32Bytes({1, 2, 3, 4, 5, 6}));
    rect.Read(in.Handle());
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(rect.left.GetValue(), 1);
    EXPECT_EQ(rect.right.GetValue(), 2);
    EXPECT_EQ(rect.top.GetValue(), 3);
    EXPECT_EQ(rect.bottom.GetValue(), 4);
    EXPECT_EQ(rect.extraX.GetValue(), 5);
    EXPECT_EQ(rect.extraY.GetValue(), 6);
    EXPECT_EQ(counter.calls, 0);
}

TEST(MediaRectangleTest, TruncatedReadKeepsTheFieldsNotRead)
{
    MediaRectangle rect;
    rect.bottom.SetValue(99);
    MemoryArchive in(Int32Bytes({1, 2, 3}));
    rect.Read(in.Handle());
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(rect.top.GetValue(), 3);
    EXPECT_EQ(rect.bottom.GetValue(), 99);
}

TEST(MediaRectangleTest, AssignmentSyncsUndoCachesSilently)
{
    MediaRectangle source;
    source.left.SetValue(7);
    source.extraY.SetValue(8);
    MediaRectangle target;
    Counter counter;
    DS_FunLightCtrl2<Counter> listener(&Counter::OnAny, &counter);
    listener.Attach(&target.left);
    target = source;
    EXPECT_EQ(target.left.GetValue(), 7);
    EXPECT_EQ(target.left.GetUndoCtrl().CachedValue(), 7);
    EXPECT_EQ(target.extraY.GetValue(), 8);
    EXPECT_EQ(counter.calls, 0);
    MediaRectangle copy(source);
    EXPECT_EQ(copy.left.GetValue(), 7);
    EXPECT_EQ(copy.extraY.GetValue(), 8);
}

struct ContainsCase {
    float x, y;
    bool inside;
};

class RectangleContainsTest : public ::testing::TestWithParam<ContainsCase> {};

TEST_P(RectangleContainsTest, BoundsAreInclusive)
{
    MediaRectangle rect;
    rect.left.SetValue(10);
    rect.right.SetValue(20);
    rect.top.SetValue(100);
    rect.bottom.SetValue(200);
    EXPECT_EQ(rect.ContainsViewPoint(GetParam().x, GetParam().y), GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(Points, RectangleContainsTest,
                         ::testing::Values(ContainsCase{15, 150, true}, ContainsCase{10, 100, true},
                                           ContainsCase{20, 200, true}, ContainsCase{9.99f, 150, false},
                                           ContainsCase{20.01f, 150, false}, ContainsCase{15, 99.9f, false},
                                           ContainsCase{15, 200.5f, false}));

// A point of the view tested against a rectangle in picture pixels: an
// 800 x 600 view on a 400 x 300 back buffer, a 1000 x 500 picture fitted
// into it (back-buffer rows 50 to 250), with and without a zoomed, shifted
// render context.
TEST(RectangleContainsViewPointTest, GoesThroughBackBufferAndPicturePixels)
{
    ViewMetrics& metrics = ViewMetrics::Instance();
    const ViewMetrics saved = metrics;
    metrics.backBufferRatioX = 0.5f;
    metrics.backBufferRatioY = 0.5f;
    metrics.fittedQuad.FitPicture(1000.0f, 500.0f, 400.0f, 300.0f);
    metrics.pictureWidth = 1000;
    metrics.pictureHeight = 500;
    MediaRectangle rect;
    rect.left.SetValue(100);
    rect.right.SetValue(200);
    rect.top.SetValue(100);
    rect.bottom.SetValue(200);
    RenderContext zoomed;
    zoomed.SetOffsetScale(-50.0f, -50.0f, 2.0f, 2.0f);
    const struct {
        RenderContext* context;
        float x, y;
        D3DXVECTOR3 picture;
        bool inside;
    } cases[] = {
        {nullptr, 200.0f, 200.0f, {250.0f, 125.0f, 0.0f}, false},
        {nullptr, 80.0f, 240.0f, {100.0f, 175.0f, 0.0f}, true},
        {nullptr, 0.0f, 100.0f, {0.0f, 0.0f, 0.0f}, false},
        {&zoomed, 200.0f, 200.0f, {175.0f, 112.5f, 0.0f}, true},
        {&zoomed, 80.0f, 240.0f, {100.0f, 137.5f, 0.0f}, true},
        {&zoomed, 0.0f, 100.0f, {50.0f, 50.0f, 0.0f}, false},
    };
    for (const auto& c : cases) {
        SetCurrentRenderContext(c.context);
        const D3DXVECTOR3 picture = ScreenToView(c.x * 0.5f, c.y * 0.5f, 3.0f);
        EXPECT_FLOAT_EQ(picture.x, c.picture.x) << c.x << ", " << c.y;
        EXPECT_FLOAT_EQ(picture.y, c.picture.y) << c.x << ", " << c.y;
        EXPECT_EQ(picture.z, 3.0f);
        EXPECT_EQ(rect.Contains(c.x, c.y, ViewPointToPicture), c.inside) << c.x << ", " << c.y;
    }
    SetCurrentRenderContext(nullptr);
    metrics.fittedQuad = ScreenQuad();
    EXPECT_EQ(ScreenToView(10.0f, 20.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f)) << "an empty quad divides by nothing";
    metrics = saved;
}

TEST(MediaQuadTest, StoredFormIsTwelveFloatsCornerByCorner)
{
    MediaQuad quad;
    quad.SetRect(D3DXVECTOR3(10.0f, 20.0f, 3.0f), 4.0f, 6.0f);
    MemoryArchive out;
    quad.Write(out.Handle());
    MemoryArchive expected;
    for (float f : {8.0f, 17.0f, 3.0f, 8.0f, 23.0f, 3.0f, 12.0f, 17.0f, 3.0f, 12.0f, 23.0f, 3.0f})
        expected.WriteFloat(f);
    EXPECT_EQ(out.bytes, expected.bytes);

    MediaQuad read;
    Counter counter;
    DS_FunLightCtrl2<Counter> listener(&Counter::OnAny, &counter);
    listener.Attach(&read.Corner(2));
    MemoryArchive in(out.bytes);
    read.Read(in.Handle());
    EXPECT_EQ(counter.calls, 0);
    EXPECT_EQ(read.Corner(2).GetValue(), D3DXVECTOR3(12.0f, 17.0f, 3.0f));
    MediaQuad copy(read);
    EXPECT_EQ(copy.Corner(3).GetValue(), D3DXVECTOR3(12.0f, 23.0f, 3.0f));
}

struct AxesCase {
    unsigned degrees;
    float firstX, firstY, secondX, secondY;
};

class DirectionAxesTest : public ::testing::TestWithParam<AxesCase> {};

TEST_P(DirectionAxesTest, AxesTurnCounterClockwiseByTheAngle)
{
    const AxesCase& c = GetParam();
    const MediaDirection direction(c.degrees);
    EXPECT_NEAR(direction.FirstAxis().x, c.firstX, 1e-6f);
    EXPECT_NEAR(direction.FirstAxis().y, c.firstY, 1e-6f);
    EXPECT_NEAR(direction.SecondAxis().x, c.secondX, 1e-6f);
    EXPECT_NEAR(direction.SecondAxis().y, c.secondY, 1e-6f);
    EXPECT_EQ(direction.FirstAxis().w, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Angles, DirectionAxesTest,
                         ::testing::Values(AxesCase{0, 1, 0, 0, 1}, AxesCase{90, 0, 1, -1, 0},
                                           AxesCase{180, -1, 0, 0, -1}, AxesCase{270, 0, -1, 1, 0}));

TEST(MediaDirectionTest, AxesFollowTheAngleOnlyWhenCopied)
{
    MediaDirection direction;
    direction.SetValue(90);
    EXPECT_NEAR(direction.FirstAxis().x, 1.0f, 1e-6f);  // not recomputed on change
    const MediaDirection copy(direction);
    EXPECT_NEAR(copy.FirstAxis().x, 0.0f, 1e-6f);
    EXPECT_NEAR(copy.FirstAxis().y, 1.0f, 1e-6f);
}

TEST(MediaSectorTest, CopyTakesDirectionAndSpread)
{
    MediaSector sector(30, 15);
    const MediaSector copy(sector);
    EXPECT_EQ(copy.GetValue(), 30u);
    EXPECT_EQ(copy.spread.GetValue(), 15u);
    EXPECT_EQ(copy.spread.Controls().size(), 1u);
}

TEST(FontMediaParamTest, DefaultsAndCopy)
{
    FontMediaParam font;
    EXPECT_EQ(font.height, 32);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.italic, 0);
    EXPECT_EQ(font.faceName, L"Arial");
    font.faceName = L"Courier";
    font.italic = 1;
    const FontMediaParam copy(font);
    EXPECT_EQ(copy.faceName, L"Courier");
    EXPECT_EQ(copy.italic, 1);
}

}  // namespace
