// Still sprites drawn for real over a black 600 x 400 picture stretched over
// the 600 x 400 back buffer (picture pixels are back-buffer pixels): the bar
// stands where its fixed point and rotation put it, a flower's head sways
// while its stem base stays, a discharge's frames change.
#include <gtest/gtest.h>

#include "engine/scene/CountedPtr.h"
#include "objects/sprites/SpriteArrayObj.h"
#include "objects/sprites/StatObjConstructor.h"
#include "unit/D3DTestDevice.h"
#include "unit/scene/Light2DTestFixture.h"
#include "unit/sprites/SpriteTestSupport.h"

namespace {

class StillSpriteDraw : public Light2DFixture {
protected:
    const FileLinkValue kPictureLink{L"still-test-picture", 1};
    const FileLinkValue kBarLink{L"still-bar", 1};
    const FileLinkValue kStemLink{L"still-stem", 1};

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        ShowPlainPicture(kPictureLink, 0xFF000000u);
        // A red bar three times as wide as high: at size 60, 60 x 20 pixels.
        AddPicture(kBarLink, MakeTexture(24, 8, [](UINT, UINT) { return 0xFFFF0000u; }), 24, 8);
        // The same standing up: 20 x 60 pixels.
        AddPicture(kStemLink, MakeTexture(8, 24, [](UINT, UINT) { return 0xFFFF0000u; }), 8, 24);
    }

    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
    }

    void Draw(DS_StatObjConstructor& item, float t)
    {
        if (item.imageLink.GetPath().empty()) item.imageLink.StoreValue(kBarLink);
        item.size.SetValue(60);
        objects_.clear();
        objects_.emplace_back(item.CreateObject());
        objects_[0]->Update(t);
        DrawFrame(objects_);
    }

    std::vector<CountedPtr<DS_ABObj>> objects_;
};

}  // namespace

TEST_F(StillSpriteDraw, BarStandsTurnedAtItsPoint)
{
    const struct {
        unsigned rotation;
        POINT inside[2];
        POINT outside[2];
    } cases[] = {
        {0, {{175, 100}, {225, 100}}, {{200, 115}, {235, 100}}},
        {90, {{200, 75}, {200, 125}}, {{215, 100}, {200, 135}}},
    };
    for (const auto& c : cases) {
        DS_StatObjConstructor still;
        still.bounds.extraX.StoreValue(200);
        still.bounds.extraY.StoreValue(100);
        still.rotation.StoreValue(c.rotation);
        Draw(still, 0.1f);
        for (const POINT& p : c.inside)
            EXPECT_TRUE(Near(ReadPixel(p.x, p.y), kRed)) << c.rotation << ": " << p.x << ", " << p.y;
        for (const POINT& p : c.outside)
            EXPECT_TRUE(Near(ReadPixel(p.x, p.y), kBlack)) << c.rotation << ": " << p.x << ", " << p.y;
    }
}

// The runtime object's clone places the sprite and keeps the bounds that
// the hit test and the view quad use.
TEST_F(StillSpriteDraw, ObjectReportsTheBarsBounds)
{
    DS_StatObjConstructor still;
    still.bounds.extraX.StoreValue(200);
    still.bounds.extraY.StoreValue(100);
    still.rotation.StoreValue(90);
    Draw(still, 0.1f);
    auto& object = static_cast<DS_SpriteArrayObj&>(*objects_[0]);
    const auto& clone = static_cast<DS_StatObjConstructor&>(object.SpriteItem());
    EXPECT_EQ(clone.bounds.left.GetValue(), 190);
    EXPECT_EQ(clone.bounds.right.GetValue(), 210);
    EXPECT_EQ(clone.bounds.top.GetValue(), 70);
    EXPECT_EQ(clone.bounds.bottom.GetValue(), 130);
    // The view is the picture here: view points are picture points.
    const struct {
        POINT point;
        bool hit;
    } cases[] = {{{200, 100}, true},  {{190, 70}, true},  {{210, 130}, true},
                 {{215, 100}, false}, {{200, 65}, false}, {{185, 135}, false}};
    for (const auto& c : cases) {
        POINT point = c.point;
        EXPECT_EQ(object.HitTest(&point), c.hit) << c.point.x << ", " << c.point.y;
    }
}

TEST_F(StillSpriteDraw, FlowerHeadSwaysOverAStillStem)
{
    DS_FlowerConstructor flower;
    flower.swayAmplitude = 40.0f;
    flower.bounds.extraX.StoreValue(300);
    flower.bounds.extraY.StoreValue(200);
    flower.imageLink.StoreValue(kStemLink);  // from y 170 to 230, x 290 to 310
    Draw(flower, 0.1f);
    auto& object = *objects_[0];
    // Rows near the top of the bar move from frame to frame; the stem base stays.
    auto rowCentre = [&](UINT y) {
        int sum = 0, n = 0;
        const PixelSnapshot shot = SnapshotPixels();
        for (UINT x = 240; x < 360; ++x)
            if (Near(shot.At(x, y), kRed)) {
                sum += static_cast<int>(x);
                ++n;
            }
        return n ? sum / n : -1;
    };
    const int headBefore = rowCentre(175), baseBefore = rowCentre(228);
    for (float t = 0.3f; t < 1.6f; t += 0.2f) object.Update(t);
    DrawFrame(objects_);
    const int headAfter = rowCentre(175), baseAfter = rowCentre(228);
    ASSERT_GE(headBefore, 0);
    ASSERT_GE(headAfter, 0);
    EXPECT_GE(std::abs(headAfter - headBefore), 3);
    EXPECT_LE(std::abs(baseAfter - baseBefore), 1);
}
