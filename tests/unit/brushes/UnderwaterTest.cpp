// The underwater picture layer and its wobble brush: the values sent to the
// effect, the record in every version, the closing pass over the finished
// scene, and a frame without render targets after a device reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "effects/brushes/UnderwaterFX.h"
#include "effects/lights/FakeUndervater.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "unit/brushes/BrushKindHelpers.h"
#include "unit/brushes/BrushPixelFixture.h"
#include "unit/brushes/BrushRecords.h"

namespace {

const FileLinkValue kWobbleLink{DS_FX_Constructor::kEffectModule, DS_UnderwaterFX::kDefaultEffectId};

FakeUndervater* AsUnderwater(const std::unique_ptr<DS_2D_Light>& layer)
{
    return dynamic_cast<FakeUndervater*>(layer.get());
}

TEST(UnderwaterRecords, RoundTripAndOlderVersions)
{
    FakeUndervater light;
    light.PictureLink().StoreValue(FileLinkValue{L"sea.jpg", 3});
    light.Underwater().amplitude.SetValue(70);
    light.Underwater().wavelength.SetValue(20);
    light.Underwater().speed.SetValue(30);
    MemoryArchive memory;
    DS_IOF_Archive out = memory.Handle();
    light.Write(&out);
    std::unique_ptr<DS_2D_Light> read = ReadPictureLayer(memory);
    ASSERT_NE(AsUnderwater(read), nullptr);
    EXPECT_EQ(read->PictureLink().GetValue().path, L"sea.jpg");
    EXPECT_EQ(AsUnderwater(read)->Underwater().amplitude.GetValue(), 70u);
    EXPECT_EQ(AsUnderwater(read)->Underwater().wavelength.GetValue(), 20u);
    EXPECT_EQ(AsUnderwater(read)->Underwater().speed.GetValue(), 30u);

    // Version 1: one uint, the speed, halved.
    MemoryArchive older;
    DS_IOF_Archive olderOut = older.Handle();
    WriteRecordHeader(&olderOut, FakeUndervater::kClassName, 1);
    older.WriteUInt(51);
    DS_2D_Light plain;
    plain.WriteBody(&olderOut);
    read = ReadPictureLayer(older);
    ASSERT_NE(AsUnderwater(read), nullptr);
    EXPECT_EQ(AsUnderwater(read)->Underwater().speed.GetValue(), 25u);
    EXPECT_EQ(AsUnderwater(read)->Underwater().amplitude.GetValue(), 50u) << "the other settings keep their defaults";

    // Version 0 reads as version 2: the brush record follows the header.
    MemoryArchive zero;
    DS_IOF_Archive zeroOut = zero.Handle();
    WriteRecordHeader(&zeroOut, FakeUndervater::kClassName, 0);
    DS_UnderwaterFX wobble;
    wobble.amplitude.SetValue(90);
    wobble.Write(&zeroOut);
    plain.WriteBody(&zeroOut);
    read = ReadPictureLayer(zero);
    ASSERT_NE(AsUnderwater(read), nullptr);
    EXPECT_EQ(AsUnderwater(read)->Underwater().amplitude.GetValue(), 90u);

    ForEachTruncation(light, 3, [](MemoryArchive& cut, size_t size) {
        EXPECT_EQ(ReadPictureLayer(cut), nullptr) << "cut by " << size;
    });
}

class UnderwaterLayer : public BrushPixelFixture {
protected:
    FakeUndervater& MakeUnderwater(UINT w, UINT h)
    {
        picture_ = MakeTexture(8, 8, [](UINT, UINT) { return 0xFF808080u; });
        AddPicture(kPictureLink, picture_, w, h);
        return static_cast<FakeUndervater&>(
            MakeLayer(kPictureLink, RenderContext::kStretch, std::make_unique<FakeUndervater>()));
    }

    // A frame as the slide composes it, with the closing pass.
    void FrameWithBorders()
    {
        DrawFrame(objects_);
        ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
        layer_->DrawBorders(false);
        Device()->EndScene();
    }
};

TEST_F(UnderwaterLayer, WobbleValuesOnA1024By768Picture)
{
    RecordingEffect* effect = AddRecorder(kWobbleLink);
    FakeUndervater& light = MakeUnderwater(1024, 768);
    EXPECT_TRUE(light.NeedsSceneTexture()) << "even without objects";
    // One second of time at speed 25: clock 25, "time" 2.
    for (int i = 0; i <= 10; ++i) light.FrameMove(0.1f * static_cast<float>(i));
    FrameWithBorders();
    ASSERT_EQ(effect->draws.size(), 1u);
    const RecordingEffect::State& s = effect->draws[0];
    EXPECT_EQ(s.technique, "Main");
    ExpectNear(s.Floats("frequency"), {13.20f, 9.90f}, 0.01f, "frequency");
    ExpectNear(s.Floats("amplitude"), {0.00625f}, 1e-7f, "amplitude");
    ExpectNear(s.Floats("time"), {2.0f}, 1e-4f, "time");
    EXPECT_EQ(s.Texture("Mask"), nullptr) << "no mask";
    EXPECT_NE(s.Texture("Background"), nullptr) << "the finished scene";
    EXPECT_NE(s.Texture("Background"), picture_.Get());
}

TEST_F(UnderwaterLayer, AFrameWithoutRenderTargetsSkipsTheWobble)
{
    RecordingEffect* effect = AddRecorder(kWobbleLink);
    FakeUndervater& light = MakeUnderwater(1024, 768);
    // A device reset releases the chain; until the next restore the frame
    // is drawn straight to the back buffer and there is no finished scene.
    light.InvalidateDeviceObjects();
    FrameWithBorders();
    EXPECT_TRUE(effect->draws.empty());
    EXPECT_FALSE(light.InChain());
}

// The wobble effect drawn for real over a picture whose red rises by one a
// texel from left to right, without a mask, as the underwater layer draws
// it: every pixel shifts by at most the amplitude, and most shift.
TEST_F(UnderwaterLayer, WobbleShiftsThePictureByAtMostItsAmplitude)
{
    StoreEffect(kWobbleLink, "088_underwater");
    picture_ = MakeTexture(256, 256, [](UINT x, UINT) { return 0xFF000000u | (x << 16); });
    AddPicture(kPictureLink, picture_, 256, 256);
    MakeLayer(kPictureLink, RenderContext::kStretch);
    DrawFrame(objects_);
    std::vector<uint32_t> plain;
    const PixelSnapshot before = SnapshotPixels();
    for (UINT y = 10; y < 400; y += 37) {
        for (UINT x = 40; x < 560; x += 23) plain.push_back(before.At(x, y));
    }
    DS_UnderwaterFX wobble;
    wobble.amplitude.SetValue(400);  // 0.05 of the picture
    DS_BrushObj* object = MakeObject(wobble);
    ASSERT_TRUE(object->Brush()->HasEffect());
    Frame(0.1f);
    const int limit = static_cast<int>(0.05f * 256.0f) + 3;
    size_t index = 0, moved = 0;
    const PixelSnapshot shot = SnapshotPixels();
    for (UINT y = 10; y < 400; y += 37) {
        for (UINT x = 40; x < 560; x += 23) {
            const int before = static_cast<int>((plain[index++] >> 16) & 0xFF);
            const int after = static_cast<int>((shot.At(x, y) >> 16) & 0xFF);
            EXPECT_LE(std::abs(after - before), limit) << x << ", " << y;
            if (std::abs(after - before) > 2) ++moved;
        }
    }
    EXPECT_GT(moved, index / 4) << "the wobble moved too little of the picture";
}

}  // namespace
