// The explosion drawn for real with the effect the build makes for
// documents, over a black 600 x 400 picture stretched over the 600 x 400
// back buffer (picture pixels are back-buffer pixels).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/scene/CountedPtr.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ExplosionConstructor.h"
#include "objects/particles/FXObj.h"
#include "unit/scene/Light2DTestFixture.h"

namespace {

class ExplosionDraw : public Light2DFixture {
protected:
    const FileLinkValue kPictureLink{L"explosion-test-picture", 1};
    const FileLinkValue kGradientLink{L"explosion-test-gradient", 1};
    const FileLinkValue kNoiseLink{L"explosion-test-noise", 1};
    const FileLinkValue kEffectLink{L"explosion.fxo", 1};
    static constexpr UINT kCentreX = 300, kCentreY = 200;

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        saved_ = ViewMetrics::Instance();
        AddPicture(kPictureLink, MakeTexture(8, 8, [](UINT, UINT) { return 0xFF000000u; }), 600, 400);
        MakeLayer(kPictureLink, RenderContext::kStretch);
        ViewMetrics::Instance().pictureWidth = 600;
        ViewMetrics::Instance().pictureHeight = 400;
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

    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
        ViewMetrics::Instance() = saved_;
    }

    // A red explosion of size 200 at the centre that fades in over 1 s from
    // the start of its cycle and then stays.
    void Setup(DS_ExplosionConstructor& item, bool withEffect = true)
    {
        item.color.SetValue(0x0000FF);
        item.size.SetValue(200);
        item.position.SetValue(D3DXVECTOR3(float(kCentreX), float(kCentreY), 0.0f));
        item.imageLink.StoreValue(kGradientLink);
        item.secondImageLink.StoreValue(kNoiseLink);
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
        objects_.clear();
        objects_.emplace_back(item.CreateObject());
    }

    DS_ExplosionConstructor& Clone()
    {
        return static_cast<DS_ExplosionConstructor&>(static_cast<DS_FXObj&>(*objects_.front()).EffectItem());
    }

    void Frame(float t)
    {
        objects_.front()->UpdateAt(t);
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

    std::vector<CountedPtr<DS_ABObj>> objects_;
    ViewMetrics saved_;
};

}  // namespace

TEST_F(ExplosionDraw, GrowsAsItFadesInAndLeavesThePictureAroundIt)
{
    DS_ExplosionConstructor item;
    Setup(item);
    Frame(10.0f);  // the cycle starts
    std::vector<int> reaches;
    for (float t : {10.2f, 10.6f, 11.5f}) {
        Frame(t);
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
    };
    const Case cases[] = {
        {"no effect", false, 0},
        {"invisible", true, 500},
    };
    for (const Case& c : cases) {
        DS_ExplosionConstructor item;
        Setup(item, c.effect);
        Clone().TimeLine().invisible.minimum.SetValue(c.invisible);
        Clone().TimeLine().invisible.maximum.SetValue(c.invisible);
        Frame(10.0f);
        Frame(11.5f);
        EXPECT_TRUE(DarkAroundCentre()) << c.name;
    }
}
