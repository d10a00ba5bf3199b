// The brushes of the program's document (res/scene.kvb): their settings,
// and the copies of their masks, effects and library pictures that let the
// document play without the files and without "common_res.dll".
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "effects/brushes/RadialWaveFX.h"
#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "unit/scene/ComposedDocuments.h"

namespace {

const SceneClassRegistry& Classes()
{
    return ComposedDocumentClasses();
}

const FileLinkValue kLibraryNoise{L"common_res.dll", 62};
const FileLinkValue kLibraryBump{L"common_res.dll", 89};

// The document read record by record, the manager's maps kept as stored
// (reading a manager turns them into textures and drops the bytes).
class StoredDocument : public testing::Test {
protected:
    void SetUp() override
    {
        bytes_ = ReadBuildFile("res/scene.kvb");
        ASSERT_FALSE(bytes_.empty());
        DocumentRecords records(bytes_);
        ASSERT_TRUE(records.ReadRoot(root_));
        DS_IOF_Archive& in = records.in;
        ds_string text;
        int32_t version = 0;
        records.reader.ReadString(text);
        records.reader.ReadInt(version);
        ASSERT_EQ(text, L"DS_DocResManager");
        ResourceStore::ReadBlobMap(&in, images_);
        ResourceStore::ReadFrameTimeMap(&in, frameTimes_);
        ResourceStore::ReadBlobMap(&in, linked_);
        ResourceStore::ReadGuidImageMap(&in, masks_);
        ASSERT_FALSE(in.Failed());
        EXPECT_EQ(records.buffer.Remaining(), 0u);
        ASSERT_EQ(root_.Slides().size(), 1u);
        const auto& items = root_.Slides()[0]->DrawnItems();
        ASSERT_EQ(items.size(), 3u);
        radial_ = dynamic_cast<DS_RadialWaveFX*>(items[0].get());
        stream_ = dynamic_cast<DS_WaterfallFX*>(items[1].get());
        water_ = dynamic_cast<DS_WaterFX*>(items[2].get());
        ASSERT_TRUE(radial_ && stream_ && water_) << "radial wave, stream, water in that order";
    }

    std::vector<uint8_t> bytes_;
    DS_SlideShow_Light root_;
    BlobMap images_;
    FrameTimeMap frameTimes_;
    BlobMap linked_;
    GuidImageMap masks_;
    DS_RadialWaveFX* radial_ = nullptr;
    DS_WaterfallFX* stream_ = nullptr;
    DS_WaterFX* water_ = nullptr;
};

TEST_F(StoredDocument, BrushesHoldTheirSettings)
{
    // The water brush at its defaults.
    EXPECT_EQ(water_->angle.GetValue(), 40u);
    for (const UINTSclaleTo<float>* wave :
         {&water_->waveShape, &water_->bumpStrength, &water_->secondWaveStep, &water_->firstWaveLength}) {
        EXPECT_EQ(wave->GetValue(), 20u);
    }
    EXPECT_EQ(water_->shadows.GetValue(), 0u);
    EXPECT_EQ(water_->lightHeight.GetValue(), 0u);
    EXPECT_EQ(water_->color.GetValue(), 0xFFFFFFul);
    EXPECT_EQ(water_->bumpImage.GetValue(), kLibraryBump);
    EXPECT_EQ(water_->speed.GetValue(), 50u);
    EXPECT_EQ(water_->scale.GetValue(), 30u);
    EXPECT_EQ(water_->effectLink.GetValue(), (FileLinkValue{L"common_res.dll", 90}));

    EXPECT_EQ(stream_->layerTranslucency.GetValue(), 30u);
    EXPECT_EQ(stream_->layerCount.GetValue(), 3u);
    EXPECT_EQ(stream_->noiseAmplitude.GetValue(), 50u);
    EXPECT_EQ(stream_->fourthValue.GetValue(), 0u);
    EXPECT_EQ(stream_->threshold.GetValue(), 200u);
    EXPECT_EQ(stream_->noiseImage.GetValue(), kLibraryNoise);
    EXPECT_EQ(stream_->baseColor.GetValue(), 0xFFFFFFul);
    EXPECT_EQ(stream_->hidden.GetValue(), 0);
    EXPECT_EQ(stream_->strength.GetValue(), 50u);
    EXPECT_EQ(stream_->angle.GetValue(), 270u);
    EXPECT_EQ(stream_->speed.GetValue(), 4u);
    EXPECT_FALSE(stream_->effectLink.GetValue().path.empty()) << "the stream names its stored effect";
    // Its grid spans the picture: a zero quad would draw nothing.
    EXPECT_EQ(stream_->quad.Corner(3).GetValue(), D3DXVECTOR3(1024.0f, 768.0f, 0.0f));

    // The radial wave at its defaults, centred on the rings of the picture.
    EXPECT_EQ(radial_->amplitude.GetValue(), 50u);
    EXPECT_EQ(radial_->wavelength.GetValue(), 50u);
    EXPECT_EQ(radial_->backgroundScale.GetValue(), 50u);
    EXPECT_EQ(radial_->speed.GetValue(), 50u);
    EXPECT_EQ(radial_->effectLink.GetValue(), (FileLinkValue{L"common_res.dll", 103}));
    EXPECT_EQ(radial_->center.GetValue(), D3DXVECTOR3(166.0f, 484.0f, 0.0f));

    for (const DS_FX_Constructor* brush :
         {static_cast<DS_FX_Constructor*>(radial_), static_cast<DS_FX_Constructor*>(stream_),
          static_cast<DS_FX_Constructor*>(water_)}) {
        EXPECT_EQ(brush->fullScreen.GetValue(), 0);
    }
}

TEST_F(StoredDocument, BrushesCarryTheirMasksEffectsAndPictures)
{
    const struct {
        const DS_FX_Constructor* brush;
        const char* mask;
        const char* effect;
    } cases[] = {
        {radial_, "scenepics/mask_ripple.png", "fx/103_radialwave.fxo"},
        {stream_, "scenepics/mask_stream.png", "fx/105_stream.fxo"},
        {water_, "scenepics/mask_water.png", "fx/090_water.fxo"},
    };
    EXPECT_EQ(masks_.size(), 3u) << "one mask a brush, each under its own key";
    for (const auto& c : cases) {
        const auto mask = masks_.find(c.brush->maskKey);
        ASSERT_NE(mask, masks_.end()) << c.mask;
        EXPECT_EQ(mask->second.picture.data, ReadBuildFile(c.mask)) << c.mask;
        const auto effect = linked_.find(c.brush->effectLink.GetValue());
        ASSERT_NE(effect, linked_.end()) << c.effect;
        ASSERT_EQ(effect->second.size(), 1u);
        EXPECT_EQ(effect->second[0].data, ReadBuildFile(c.effect)) << c.effect;
    }
    const struct {
        FileLinkValue link;
        const char* file;
    } pictures[] = {
        {kLibraryNoise, "res/common_res/generated/distortion.dds"},
        {kLibraryBump, "res/common_res/generated/water_bump.png"},
    };
    for (const auto& picture : pictures) {
        const auto stored = images_.find(picture.link);
        ASSERT_NE(stored, images_.end()) << picture.file;
        ASSERT_EQ(stored->second.size(), 1u);
        EXPECT_EQ(stored->second[0].data, ReadBuildFile(picture.file)) << picture.file;
    }
}

// Built on a device, every brush finds its effect, mask and pictures in
// what the document stored.
class PlayedBrushes : public DocumentPlayback {
protected:
    // Reads the program's document and builds its objects. A still scene
    // has no camera drift and the picture stretched over the square back
    // buffer, so that picture points map to fixed pixels.
    void Play(bool still)
    {
        const std::vector<uint8_t> bytes = ReadBuildFile("res/scene.kvb");
        ASSERT_EQ(ReadSlideShowDocument(bytes.data(), bytes.size(), Classes(), document_), S_OK);
        SetCurrentDocResManager(document_.manager.get());
        document_.root->BuildObjects();
        if (!still) return;
        document_.root->Slides()[0]->GetLight()->Camera().enabled = 0;
        document_.root->SetPicturePosition(0);
    }

    // A point of the 1024 x 768 landscape on the square back buffer of a
    // still scene.
    static std::pair<int, int> BackBufferPoint(float x, float y)
    {
        const float side = static_cast<float>(kBackBufferSize);
        return {static_cast<int>(x * side / 1024.0f), static_cast<int>(y * side / 768.0f)};
    }
};

TEST_F(PlayedBrushes, BrushObjectsFindWhatTheyUse)
{
    ASSERT_NO_FATAL_FAILURE(Play(false));
    const auto& objects = document_.root->Slides()[0]->DrawnObjects();
    ASSERT_EQ(objects.size(), 3u);
    for (const auto& object : objects) {
        auto* brushObject = dynamic_cast<DS_BrushObj*>(object.Get());
        ASSERT_NE(brushObject, nullptr);
        EXPECT_EQ(brushObject->Kind(), DS_FX_Constructor::kObjectKind);
        EXPECT_TRUE(brushObject->Brush()->HasEffect());
        EXPECT_NE(brushObject->Brush()->GetMask().Get(), nullptr);
    }
    const auto* stream = dynamic_cast<DS_WaterfallFX*>(dynamic_cast<DS_BrushObj*>(objects[1].Get())->Brush());
    const auto* water = dynamic_cast<DS_WaterFX*>(dynamic_cast<DS_BrushObj*>(objects[2].Get())->Brush());
    ASSERT_TRUE(stream && water);
    EXPECT_NE(stream->NoiseTexture(), nullptr);
    EXPECT_EQ(stream->Layers().size(), 3u);
    EXPECT_EQ(stream->GridColumns(), 2u);
    EXPECT_NE(water->BumpTexture(), nullptr);
    SetCurrentDocResManager(nullptr);
}

// Sum of channel differences over the 5 x 5 patch around (x, y).
int PatchDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x, int y, int side)
{
    int sum = 0;
    for (int j = y - 2; j <= y + 2; ++j) {
        for (int i = x - 2; i <= x + 2; ++i) {
            const uint32_t p = a[static_cast<size_t>(j) * side + i], q = b[static_cast<size_t>(j) * side + i];
            for (int shift = 0; shift < 24; shift += 8) {
                sum += std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF));
            }
        }
    }
    return sum;
}

// Each brush changes the picture inside its own mask and nowhere else:
// the frame with the brush switched off differs there and matches outside
// every mask. Picture points map to the square back buffer (Stretch).
TEST_F(PlayedBrushes, EachBrushDrawsInsideItsMask)
{
    ASSERT_NO_FATAL_FAILURE(Play(true));
    const int side = static_cast<int>(kBackBufferSize);
    auto frame = [this](float t) {
        Frame(t);
        return BackBufferPixels();
    };
    const std::pair<int, int> outside[] = {BackBufferPoint(600, 100), BackBufferPoint(800, 400),
                                           BackBufferPoint(500, 745), BackBufferPoint(60, 300)};
    const struct {
        size_t object;
        const char* name;
        std::pair<int, int> inside;
    } cases[] = {
        {0, "rings", BackBufferPoint(166, 520)},
        {1, "falls", BackBufferPoint(166, 380)},
        {2, "lake", BackBufferPoint(600, 600)},
    };
    const auto& objects = document_.root->Slides()[0]->DrawnObjects();
    ASSERT_EQ(objects.size(), 3u);
    frame(10.0f);
    const std::vector<uint32_t> all = frame(10.1f);
    ASSERT_EQ(all.size(), static_cast<size_t>(side) * side);
    for (const auto& c : cases) {
        objects[c.object]->SetEnabled(false);
        const std::vector<uint32_t> without = frame(10.1f);
        objects[c.object]->SetEnabled(true);
        ASSERT_EQ(without.size(), all.size());
        EXPECT_GT(PatchDifference(all, without, c.inside.first, c.inside.second, side), 0) << c.name;
        for (const auto& point : outside) {
            EXPECT_EQ(PatchDifference(all, without, point.first, point.second, side), 0)
                << c.name << " at " << point.first << ", " << point.second;
        }
    }
    SetCurrentDocResManager(nullptr);
}

// A device reset in the middle of the played document, in the order the
// saver's slot runs it: the brushes have handed the scene texture (a
// default-pool render target) to their effects, and Reset still succeeds;
// afterwards the brushes draw again.
TEST_F(PlayedBrushes, DeviceResetWhilePlayingSucceedsAndBrushesDrawAfterwards)
{
    ASSERT_NO_FATAL_FAILURE(Play(true));
    Frame(10.0f);
    Frame(10.1f);

    document_.root->InvalidateDeviceObjects();
    document_.manager->OnLostDevice();
    ASSERT_EQ(ResetDevice(), D3D_OK) << "a default-pool object outlived the lost device";
    document_.manager->OnResetDevice();
    document_.root->RestoreDeviceObjects();

    const auto& objects = document_.root->Slides()[0]->DrawnObjects();
    ASSERT_EQ(objects.size(), 3u);
    Frame(10.2f);
    const std::vector<uint32_t> all = BackBufferPixels();
    objects[2]->SetEnabled(false);
    Frame(10.2f);
    const std::vector<uint32_t> withoutLake = BackBufferPixels();
    ASSERT_EQ(all.size(), static_cast<size_t>(kBackBufferSize) * kBackBufferSize);
    const std::pair<int, int> lake = BackBufferPoint(600, 600);
    EXPECT_GT(PatchDifference(all, withoutLake, lake.first, lake.second, static_cast<int>(kBackBufferSize)), 0)
        << "the lake brush draws after the reset";
    SetCurrentDocResManager(nullptr);
}

}  // namespace
