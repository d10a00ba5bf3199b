// Brushes with the full-screen flag that have nothing to draw: each gets a
// render target of its own (a fresh black one, or the back buffer for the
// last scene user), and the picture must still show as it was.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "effects/brushes/CloudFX.h"
#include "effects/brushes/FireFX.h"
#include "effects/brushes/PatternBrush.h"
#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "unit/brushes/BrushPixelFixture.h"

namespace {

const FileLinkValue kMissing{L"missing.png", 0};

struct EmptyCase {
    const char* name;
    bool effect;  // a recording effect, so that the brush gets past that check
    std::function<std::unique_ptr<DS_FX_Constructor>()> make;
};

template <class Brush>
std::unique_ptr<DS_FX_Constructor> Make(const std::function<void(Brush&)>& setup = nullptr)
{
    auto brush = std::make_unique<Brush>();
    if (setup) setup(*brush);
    return brush;
}

class FlaggedBrushPixels : public BrushPixelFixture {};

TEST_F(FlaggedBrushPixels, ABrushWithNothingToDrawLeavesThePicture)
{
    // A green picture: neither the black of a fresh target nor the colour
    // the back buffer is cleared to below.
    ShowPlainPicture(kPictureLink, 0xFF40C040);
    DrawFrame(objects_);
    const std::vector<uint32_t> plainRows[] = {Inside(100), Outside(100), Row(300, 20, 580)};
    ASSERT_EQ(plainRows[2].front(), 0x40C040u);
    // A pattern set whose one frame has no picture.
    const FileLinkValue holes{L"holes.png", 0};
    TextureFrames& gap = manager_->Store().textureSets[holes];
    gap.textures = {ComPtr<IDirect3DTexture9>()};
    gap.SetSize(64, 64);
    const EmptyCase cases[] = {
        {"no effect", false, [] { return Make<PlainBrush>(); }},
        {"water without its bump picture", true,
         [] { return Make<DS_WaterFX>([](DS_WaterFX& b) { b.bumpImage.StoreValue(kMissing); }); }},
        {"clouds without a cloud picture", true,
         [] { return Make<DS_CloudFX>([](DS_CloudFX& b) { b.cloudImage.StoreValue(kMissing); }); }},
        {"pattern frame without a picture", true,
         [holes] { return Make<DS_PatternBrush>([holes](DS_PatternBrush& b) { b.patternImage.StoreValue(holes); }); }},
        {"hidden stream", true, [] { return Make<DS_WaterfallFX>([](DS_WaterfallFX& b) { b.hidden.SetValue(1); }); }},
        {"fire without its pictures", true,
         [] {
             return Make<DS_FireFX>([](DS_FireFX& b) {
                 b.patternImage.StoreValue(kMissing);
                 b.noiseImage.StoreValue(kMissing);
             });
         }},
    };
    AddRecorder(kEffectLink);
    for (const EmptyCase& c : cases) {
        std::unique_ptr<DS_FX_Constructor> item = c.make();
        item->fullScreen.SetValue(1);
        if (c.effect) item->effectLink.StoreValue(kEffectLink);
        manager_->Store().maskTextures[item->maskKey] = mask_;
        objects_.clear();
        // Two scene users: the first drawn gets a fresh target of the chain,
        // the second draws into the back buffer.
        MakeObject(*item);
        ASSERT_TRUE(MakeObject(*item)->NeedsSceneTexture()) << c.name;
        // The back buffer holds whatever the swap left there: make that
        // visible.
        ASSERT_TRUE(SUCCEEDED(Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0)));
        Frame(0.5f);
        ExpectScene(Inside(100), plainRows[0], c.name);
        ExpectScene(Outside(100), plainRows[1], c.name);
        ExpectScene(Row(300, 20, 580), plainRows[2], c.name);
    }
}

}  // namespace
