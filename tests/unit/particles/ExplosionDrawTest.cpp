// The explosion drawn for real with the effect the build makes for
// documents, over a black 600 x 400 picture stretched over the 600 x 400
// back buffer (picture pixels are back-buffer pixels).
#include <gtest/gtest.h>

#include <vector>

#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ExplosionConstructor.h"
#include "objects/particles/FXObj.h"
#include "unit/sprites/SpriteDrawFixture.h"

namespace {

class ExplosionDraw : public SpriteDrawFixture {
protected:
    const FileLinkValue kGradientLink{L"explosion-test-gradient", 1};
    const FileLinkValue kNoiseLink{L"explosion-test-noise", 1};
    const FileLinkValue kEffectLink{L"explosion.fxo", 1};
    static constexpr UINT kCentreX = 300, kCentreY = 200;

    void SetUp() override
    {
        SpriteDrawFixture::SetUp();
        if (HasFatalFailure()) return;
        MakeBackground(kBlack);
        // White fire, opaque over its first half, fading to nothing at its
        // right end; an even grey noise, so the rim is a circle.
        AddPicture(kGradientLink, MakeTexture(64, 1, [](UINT x, UINT) {
                       const uint32_t alpha = x < 32 ? 255u : (63u - x) * 255u / 31u;
                       return (alpha << 24) | 0xFFFFFFu;
                   }),
                   64, 1);
        AddPicture(kNoiseLink, MakeTexture(8, 8, [](UINT, UINT) { return 0xFF808080u; }), 8, 8);
        StoreEffect(kEffectLink, "document/explosion");
    }

    // A red explosion of size 200 at the centre that fades in over 1 s from
    // the start of its cycle and then stays.
    void Setup(DS_ExplosionConstructor& item, bool withEffect = true, bool withPictures = true)
    {
        item.color.SetValue(0x0000FF);
        item.size.SetValue(200);
        item.position.SetValue(D3DXVECTOR3(float(kCentreX), float(kCentreY), 0.0f));
        if (withPictures) {
            item.imageLink.StoreValue(kGradientLink);
            item.secondImageLink.StoreValue(kNoiseLink);
        }
        if (withEffect) item.effectLink.StoreValue(kEffectLink);
        DS_TimeLineControl& line = item.TimeLine();
        line.mode = DS_TimeLineControl::kCycle;
        line.invisible.random = false;
        line.invisible.minimum.SetValue(0);
        line.invisible.maximum.SetValue(0);
        line.visible.random = false;
        line.visible.minimum.SetValue(100000);
        line.visible.maximum.SetValue(100000);
        line.fadeIn = 100;
        object_ = &BuildObject<DS_FXObj>(item);
    }

    DS_ExplosionConstructor& Clone() { return static_cast<DS_ExplosionConstructor&>(object_->EffectItem()); }

    // The time line advanced to application time t, then one frame.
    void FrameAt(float t)
    {
        object_->UpdateAt(t);
        DrawFrame(objects_);
    }

    // How far the red reaches to the right of the centre along its row. The
    // sprite's alpha also follows the time line's, so the fire is faint
    // early in the fade-in.
    int RedReach()
    {
        int reach = 0;
        for (UINT x = kCentreX; x < BackBufferWidth(); ++x) {
            if (((ReadPixel(x, kCentreY) >> 16) & 0xFF) < 40) break;
            reach = static_cast<int>(x - kCentreX) + 1;
        }
        return reach;
    }

    // True when no pixel of the square around the centre is lit.
    bool DarkAroundCentre()
    {
        const std::vector<uint32_t> pixels = BackBufferPixels();
        for (UINT y = kCentreY - 110; y < kCentreY + 110; ++y) {
            for (UINT x = kCentreX - 110; x < kCentreX + 110; ++x) {
                if (!Near(pixels[static_cast<size_t>(y) * BackBufferWidth() + x], kBlack)) return false;
            }
        }
        return true;
    }

    DS_FXObj* object_ = nullptr;
};

}  // namespace

TEST_F(ExplosionDraw, GrowsAsItFadesInAndLeavesThePictureAroundIt)
{
    DS_ExplosionConstructor item;
    Setup(item);
    FrameAt(10.0f);  // the cycle starts
    std::vector<int> reaches;
    for (float t : {10.2f, 10.6f, 11.5f}) {
        FrameAt(t);
        reaches.push_back(RedReach());
        // Beyond the full size (half size 100) the picture is untouched.
        EXPECT_TRUE(Near(ReadPixel(kCentreX + 105, kCentreY), kBlack)) << t;
        EXPECT_TRUE(Near(ReadPixel(kCentreX, kCentreY - 105), kBlack)) << t;
        EXPECT_TRUE(Near(ReadPixel(kCentreX + 80, kCentreY + 80), kBlack)) << t;
        EXPECT_TRUE(Near(ReadPixel(20, 20), kBlack)) << t;
    }
    ASSERT_EQ(Clone().TimeLine().GetPhase(), DS_TimeLineControl::kVisible);
    EXPECT_GT(reaches[0], 5) << "nothing drawn while fading in";
    EXPECT_GT(reaches[1], reaches[0] + 8);
    EXPECT_GT(reaches[2], reaches[1] + 8);
    // Full size: the opaque half of the gradient ends about half way out.
    EXPECT_LT(reaches[2], 100);
    // Only the red channel: the gradient is white, tinted by the colour.
    EXPECT_EQ(ReadPixel(kCentreX, kCentreY) & 0x00FFFF, 0u);
}

TEST_F(ExplosionDraw, NothingShowsWithoutAnEffectOrWhileInvisible)
{
    struct Case {
        const char* name;
        bool effect;
        unsigned invisible;  // hundredths before the fade-in starts
        bool pictures;
    };
    const Case cases[] = {
        {"no effect", false, 0, true},
        {"invisible", true, 500, true},
        // Links naming no stored picture give empty sets: no texture bound,
        // and the fire reads as the second colour (black here).
        {"no pictures", true, 0, false},
    };
    for (const Case& c : cases) {
        DS_ExplosionConstructor item;
        if (!c.pictures) {
            item.imageLink.StoreValue(FileLinkValue{L"missing-gradient", 1});
            item.secondImageLink.StoreValue(FileLinkValue{L"missing-noise", 1});
        }
        Setup(item, c.effect, c.pictures);
        EXPECT_EQ(Clone().GradientTexture() != nullptr, c.pictures) << c.name;
        EXPECT_EQ(Clone().NoiseTexture() != nullptr, c.pictures) << c.name;
        Clone().TimeLine().invisible.minimum.SetValue(c.invisible);
        Clone().TimeLine().invisible.maximum.SetValue(c.invisible);
        FrameAt(10.0f);
        FrameAt(11.5f);
        EXPECT_TRUE(DarkAroundCentre()) << c.name;
    }
}

TEST_F(ExplosionDraw, NoiseKeepsRenewingWhenTheSlideComesBack)
{
    DS_ExplosionConstructor item;
    Setup(item);
    // Frames every 0.1 s of slide time over 3 s; counts the frames whose
    // draw renewed the noise offsets. At item speed 100 the speed clock
    // passes a whole unit every 0.5 s.
    auto renewalsInAShowing = [this]() {
        int renewals = 0;
        D3DXVECTOR2 last = Clone().NextNoise();
        for (int frame = 1; frame <= 30; ++frame) {
            FrameAt(0.1f * static_cast<float>(frame));
            if (Clone().NextNoise() != last) ++renewals;
            last = Clone().NextNoise();
        }
        return renewals;
    };
    const int first = renewalsInAShowing();
    EXPECT_GE(first, 4);
    object_->Restart();  // the slide is shown again
    EXPECT_EQ(renewalsInAShowing(), first);
}
