// Text items drawn for real over a black 600 x 400 picture stretched over
// the 600 x 400 back buffer (picture pixels are back-buffer pixels), with
// the text effect the build makes for documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "engine/scene/CountedPtr.h"
#include "objects/particles/FXObj.h"
#include "objects/text/ScrollingTextConstructor.h"
#include "objects/text/StaticTextConstructor.h"
#include "unit/scene/Light2DTestFixture.h"

namespace {

class TextDraw : public Light2DFixture {
protected:
    const FileLinkValue kPictureLink{L"text-test-picture", 1};
    const FileLinkValue kEffectLink{L"text.fxo", 1};

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        ShowPlainPicture(kPictureLink, 0xFF000000u);
        StoreEffect(kEffectLink, "document/text");
    }

    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
    }

    // A white text in a 240 x 120 box at (300, 200).
    void Setup(DS_StaticTextConstructor& item, const wchar_t* text, bool withEffect = true)
    {
        item.text.SetValue(text);
        item.color.SetValue(0xFFFFFF);
        item.position.SetValue(D3DXVECTOR3(300.0f, 200.0f, 0.0f));
        item.boxWidth.SetValue(240);
        item.boxHeight.SetValue(120);
        if (withEffect) item.effectLink.StoreValue(kEffectLink);
    }

    void Frame(DS_StaticTextConstructor& item, float t)
    {
        objects_.clear();
        objects_.emplace_back(item.CreateObject());
        objects_.front()->Update(t);
        DrawFrame(objects_);
    }

    // The bounds of the bright pixels in the rectangle; false when none.
    bool BrightBounds(UINT x0, UINT y0, UINT x1, UINT y1, RECT& bounds)
    {
        const PixelSnapshot shot = SnapshotPixels();
        bool any = false;
        bounds = {LONG(x1), LONG(y1), LONG(x0), LONG(y0)};
        for (UINT y = y0; y < y1; ++y) {
            for (UINT x = x0; x < x1; ++x) {
                const uint32_t pixel = shot.At(x, y);
                if (pixel == 0xFFFFFFFFu) continue;
                if (((pixel >> 8) & 0xFF) < 128) continue;
                any = true;
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x);
                bounds.bottom = std::max<LONG>(bounds.bottom, y);
            }
        }
        return any;
    }

    std::vector<CountedPtr<DS_ABObj>> objects_;
};

}  // namespace

TEST_F(TextDraw, CentredTextSitsInTheMiddleOfItsBox)
{
    DS_StaticTextConstructor item;
    Setup(item, L"TEST");
    item.verticalAlignment.SetValue(1);
    item.horizontalAlignment.SetValue(1);
    Frame(item, 0.1f);
    RECT bounds;
    ASSERT_TRUE(BrightBounds(150, 120, 450, 280, bounds)) << "no text drawn";
    // Inside the box, centred within a few pixels both ways.
    EXPECT_GE(bounds.left, 180);
    EXPECT_LE(bounds.right, 420);
    EXPECT_NEAR((bounds.left + bounds.right) / 2.0, 300.0, 4.0);
    EXPECT_NEAR((bounds.top + bounds.bottom) / 2.0, 200.0, 4.0);
    // The rest of the picture stays as it was.
    EXPECT_TRUE(Near(ReadPixel(50, 50), kBlack));
    EXPECT_TRUE(Near(ReadPixel(550, 350), kBlack));
}

TEST_F(TextDraw, NothingShowsForEmptyTextNoEffectOrAnEmptyBox)
{
    struct Case {
        const char* name;
        const wchar_t* text;
        bool effect;
        unsigned boxWidth;
    };
    const Case cases[] = {
        {"empty text", L"", true, 240},
        {"no effect", L"TEST", false, 240},
        {"box of width 0", L"TEST", true, 0},
    };
    for (const Case& c : cases) {
        DS_StaticTextConstructor item;
        Setup(item, c.text, c.effect);
        item.boxWidth.SetValue(c.boxWidth);
        Frame(item, 0.1f);
        RECT bounds;
        EXPECT_FALSE(BrightBounds(150, 120, 450, 280, bounds)) << c.name;
    }
}

TEST_F(TextDraw, ScrollingTextRunsUpItsBox)
{
    DS_ScrollingTextConstructor item;
    Setup(item, L"UP");
    item.horizontalAlignment.SetValue(1);
    item.verticalAlignment.SetValue(1);
    item.scrollTime.SetValue(1);
    item.direction.SetValue(0);
    objects_.emplace_back(item.CreateObject());
    auto& object = static_cast<DS_FXObj&>(*objects_.front());
    auto& clone = static_cast<DS_ScrollingTextConstructor&>(object.EffectItem());
    // Offset 1/3 puts the text where the static text would be; a little
    // more moves it up.
    std::vector<LONG> centres;
    for (float offset : {1.0f / 3.0f, 0.40f}) {
        clone.SetOffsets(offset, 1.0f / 3.0f);
        object.Update(0.0f);  // no time passes: the offsets stay
        DrawFrame(objects_);
        RECT bounds;
        ASSERT_TRUE(BrightBounds(150, 120, 450, 280, bounds)) << offset;
        centres.push_back((bounds.top + bounds.bottom) / 2);
    }
    EXPECT_NEAR(centres[0], 200, 4);
    EXPECT_LT(centres[1], centres[0] - 4);
}

TEST_F(TextDraw, AHugeBoxIsClampedToWhatATextureHoldsAndStillShowsTheText)
{
    DS_StaticTextConstructor item;
    Setup(item, L"TEST");
    item.verticalAlignment.SetValue(1);
    item.horizontalAlignment.SetValue(1);
    item.boxWidth.SetValue(UINT32_MAX);
    Frame(item, 0.1f);
    RECT bounds;
    ASSERT_TRUE(BrightBounds(150, 120, 450, 280, bounds)) << "no text drawn";
    // Centred in the clamped box, which is centred on the position.
    EXPECT_NEAR((bounds.left + bounds.right) / 2.0, 300.0, 4.0);
    EXPECT_NEAR((bounds.top + bounds.bottom) / 2.0, 200.0, 4.0);
}

TEST_F(TextDraw, FontHeightsBeyondATextureAreClamped)
{
    for (int32_t height : {INT32_MAX, INT32_MIN, -5000}) {
        DS_StaticTextConstructor item;
        Setup(item, L"TEST");
        item.font.height = height;
        item.UpdateFont();
        ASSERT_NE(item.Font(), nullptr) << height;
        D3DXFONT_DESCW desc{};
        ASSERT_TRUE(SUCCEEDED(item.Font()->GetDescW(&desc))) << height;
        EXPECT_EQ(std::abs(desc.Height), static_cast<INT>(DS_StaticTextConstructor::kMaxTargetSide)) << height;
    }
}
