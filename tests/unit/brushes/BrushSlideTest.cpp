// Brush items inside a slide record, through the real archive writer and
// reader: read by class name, written back byte for byte, and built into
// brush objects by the slide.
#include <gtest/gtest.h>

#include "effects/brushes/RadialWaveFX.h"
#include "effects/brushes/WaterFX.h"
#include "effects/brushes/WaterfallFX.h"
#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/SlideContainer.h"

namespace {

std::vector<uint8_t> WriteSlide(DS_SlideContainer& slide, const SceneClassRegistry& classes)
{
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    out.classes = &classes;
    slide.Write(&out);
    return writer.Bytes();
}

TEST(BrushSlide, BrushItemsRoundTripThroughASlideAndBecomeBrushObjects)
{
    SetCurrentDocResManager(nullptr);
    SceneClassRegistry classes;
    RegisterSceneClasses(classes);
    DS_SlideContainer slide;
    slide.SetLight(CountedPtr<DS_2D_Light>(new DS_2D_Light()));
    auto water = std::make_unique<DS_WaterFX>();
    water->angle.SetValue(75);
    auto stream = std::make_unique<DS_WaterfallFX>();
    stream->layerCount.SetValue(3);
    stream->effectLink.StoreValue(FileLinkValue{L"stream.fx", 42});
    auto wave = std::make_unique<DS_RadialWaveFX>();
    wave->direction.SetValue(1);
    slide.DrawnItems().push_back(std::move(water));
    slide.DrawnItems().push_back(std::move(stream));
    slide.DrawnItems().push_back(std::move(wave));
    const std::vector<uint8_t> bytes = WriteSlide(slide, classes);

    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Archive in;
    in.archive = &reader;
    in.classes = &classes;
    std::unique_ptr<DS_SlideContainer> read = DS_SlideContainer::ReadAny(&in);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(buffer.Remaining(), 0u);
    ASSERT_EQ(read->DrawnItems().size(), 3u);
    EXPECT_NE(dynamic_cast<DS_WaterFX*>(read->DrawnItems()[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<DS_WaterfallFX*>(read->DrawnItems()[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<DS_RadialWaveFX*>(read->DrawnItems()[2].get()), nullptr);
    EXPECT_EQ(WriteSlide(*read, classes), bytes);

    read->BuildObjects();
    ASSERT_EQ(read->DrawnObjects().size(), 3u);
    for (const auto& object : read->DrawnObjects()) {
        EXPECT_EQ(object->Kind(), 4);
        EXPECT_NE(dynamic_cast<DS_BrushObj*>(object.Get()), nullptr);
    }
    // The slide writes the objects' clones: still the same record.
    EXPECT_EQ(WriteSlide(*read, classes), bytes);
    read->FrameMove(0.1f);
}

}  // namespace
