// Records of the butterfly, clock and 3D-in-2D array items: every version
// read, the newest written in reader order, and damaged records refused or
// clamped.
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "objects/3d/Array3DIn2D.h"
#include "objects/3d/ButterflyConstructor.h"
#include "objects/3d/ClockConstructor.h"
#include "unit/objects3d/Object3DTestSupport.h"

namespace {

std::unique_ptr<DS_ButterflyConstructor> SampleButterfly()
{
    auto item = std::make_unique<DS_ButterflyConstructor>();
    item->count.StoreValue(7);
    item->size.StoreValue(120);
    item->imageLink.StoreValue({L"wing.png", 12});
    item->bodyImageLink.StoreValue({L"body.png", 3});
    item->firstExtra.SetValue(11);
    item->secondExtra.SetValue(22);
    item->wingScale = 2.5f;
    item->speed.StoreValue(80);
    item->SetName(L"flutter");
    return item;
}

std::unique_ptr<DS_ClockConstructor> SampleClock()
{
    auto item = std::make_unique<DS_ClockConstructor>();
    item->clockRect.left.StoreValue(10);
    item->clockRect.right.StoreValue(310);
    item->clockRect.top.StoreValue(20);
    item->clockRect.bottom.StoreValue(320);
    item->clockRect.extraX.StoreValue(160);
    item->clockRect.extraY.StoreValue(170);
    item->handsImageLink.StoreValue({L"hands.dds", 5});
    item->size.StoreValue(300);
    return item;
}

std::unique_ptr<DS_3D_in_2D_array_Constructor> SampleArray()
{
    auto item = std::make_unique<DS_3D_in_2D_array_Constructor>();
    item->SetName(L"leaves");
    item->count.StoreValue(5);
    const uint8_t meshBytes[] = {1, 2, 3, 4};
    item->mesh.name = L"leaf.x";
    item->mesh.SetData(meshBytes, sizeof(meshBytes));
    item->texture.module = L"common_res.dll";
    item->texture.id = 6;
    item->motion.leafSize.StoreValue(48);
    item->motion.speed.StoreValue(50);
    item->motion.swing.StoreValue(50);
    item->motion.sideChange.StoreValue(20);
    item->motion.spin.StoreValue(120);
    item->motion.SetDirection(270);
    return item;
}

struct KindCase {
    const char* name;
    std::function<std::unique_ptr<DS_ABObj_Constructor>()> make;
};

const std::vector<KindCase>& Kinds()
{
    static const std::vector<KindCase> kinds = {
        {"butterfly", [] { return std::unique_ptr<DS_ABObj_Constructor>(SampleButterfly()); }},
        {"clock", [] { return std::unique_ptr<DS_ABObj_Constructor>(SampleClock()); }},
        {"array", [] { return std::unique_ptr<DS_ABObj_Constructor>(SampleArray()); }},
    };
    return kinds;
}

}  // namespace

TEST(Object3DRecords, EveryKindReadsBackWhatItWroteByItsClassName)
{
    PictureSize picture(640, 480);
    for (const KindCase& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        auto item = kind.make();
        const std::vector<uint8_t> bytes = ItemBytes(*item);
        ReadResult read = ReadItemBytes(bytes, bytes.size());
        ASSERT_NE(read.item, nullptr);
        EXPECT_FALSE(read.failed);
        EXPECT_EQ(read.remaining, 0u);
        EXPECT_EQ(ItemBytes(*read.item), bytes);
    }
    // The values themselves, where a reader could store them in the wrong field.
    auto butterfly = SampleButterfly();
    const std::vector<uint8_t> butterflyBytes = ItemBytes(*butterfly);
    auto* b = dynamic_cast<DS_ButterflyConstructor*>(ReadItemBytes(butterflyBytes, butterflyBytes.size()).item.get());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->count.GetValue(), 7u);
    EXPECT_EQ(b->size.GetValue(), 120u);
    EXPECT_EQ(b->imageLink.GetPath(), L"wing.png");
    EXPECT_EQ(b->bodyImageLink.GetStamp(), 3);
    EXPECT_EQ(b->bodyMeshLink.GetStamp(), DS_ButterflyConstructor::kBodyMesh);
    EXPECT_EQ(b->meshLink.GetStamp(), DS_ButterflyConstructor::kWingMesh);
    EXPECT_EQ(b->firstExtra.GetValue(), 11u);
    EXPECT_EQ(b->secondExtra.GetValue(), 22u);
    EXPECT_FLOAT_EQ(b->wingScale, 2.5f);
    EXPECT_EQ(b->speed.GetValue(), 80u);

    auto array = SampleArray();
    const std::vector<uint8_t> arrayBytes = ItemBytes(*array);
    auto* a = dynamic_cast<DS_3D_in_2D_array_Constructor*>(ReadItemBytes(arrayBytes, arrayBytes.size()).item.get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name(), L"leaves");
    EXPECT_EQ(a->count.GetValue(), 5u);
    EXPECT_EQ(a->mesh.data.size(), 4u);
    EXPECT_EQ(a->texture.id, 6);
    EXPECT_EQ(a->motion.leafSize.GetValue(), 48u);
    EXPECT_EQ(a->motion.sideChange.GetValue(), 20u);
    EXPECT_EQ(a->motion.spin.GetValue(), 120u);
    EXPECT_EQ(a->motion.Direction(), 270u);
    // 270 degrees: towards larger y.
    EXPECT_NEAR(a->motion.direction.x, 0.0f, 1e-6f);
    EXPECT_NEAR(a->motion.direction.y, 1.0f, 1e-6f);
}

TEST(Object3DRecords, ButterflyVersion1HasNoWingScaleAndGoesOnWithTheBaseRecord)
{
    PictureSize picture(640, 480);
    auto item = SampleButterfly();
    item->wingScale = 1234.5f;
    std::vector<uint8_t> bytes = ItemBytes(*item);
    // Version 1: the version int after the class name is 1 and the wing
    // scale's four bytes are not there.
    const std::vector<uint8_t> header =
        WrittenBytes([](DS_IOF_Archive* ar) { WriteRecordHeader(ar, DS_ButterflyConstructor::kClassName, 2); });
    const int32_t one = 1;
    std::memcpy(bytes.data() + header.size() - sizeof(one), &one, sizeof(one));
    const float marker = 1234.5f;
    const auto at = std::search(bytes.begin(), bytes.end(), reinterpret_cast<const uint8_t*>(&marker),
                                reinterpret_cast<const uint8_t*>(&marker) + sizeof(marker));
    ASSERT_NE(at, bytes.end());
    bytes.erase(at, at + sizeof(marker));

    ReadResult read = ReadItemBytes(bytes, bytes.size());
    ASSERT_NE(read.item, nullptr);
    EXPECT_EQ(read.remaining, 0u);
    auto* b = dynamic_cast<DS_ButterflyConstructor*>(read.item.get());
    ASSERT_NE(b, nullptr);
    EXPECT_FLOAT_EQ(b->wingScale, 1.0f);
    EXPECT_EQ(b->count.GetValue(), 7u);  // the base record read in place
    EXPECT_EQ(b->speed.GetValue(), 80u);
    EXPECT_EQ(b->Name(), L"flutter");
}

TEST(Object3DRecords, EveryCutRecordIsRefused)
{
    PictureSize picture(640, 480);
    for (const KindCase& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        auto item = kind.make();
        const std::vector<uint8_t> bytes = ItemBytes(*item);
        for (size_t size = 0; size < bytes.size(); ++size) {
            const ReadResult read = ReadItemBytes(bytes, size);
            EXPECT_EQ(read.item, nullptr) << "cut at " << size;
            EXPECT_TRUE(read.failed) << "cut at " << size;
        }
    }
}

TEST(Object3DRecords, DamagedValuesAreClampedToWhatTheObjectsHold)
{
    PictureSize picture(640, 480);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float wingScale : {nan, inf, -inf}) {
        auto item = SampleButterfly();
        item->count.StoreValue(0xFFFFFFFFu);
        item->size.StoreValue(0xFFFFFFFFu);
        item->wingScale = wingScale;
        const std::vector<uint8_t> bytes = ItemBytes(*item);
        ReadResult read = ReadItemBytes(bytes, bytes.size());
        auto* b = dynamic_cast<DS_ButterflyConstructor*>(read.item.get());
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->count.GetValue(), DS_3D_Obj_Ctrl::kMaxCount);
        EXPECT_EQ(b->size.GetValue(), DS_3D_Obj_Ctrl::kMaxSize);
        EXPECT_FLOAT_EQ(b->wingScale, 1.0f);
    }
    auto array = SampleArray();
    array->count.StoreValue(0xFFFFFFFFu);
    const std::vector<uint8_t> bytes = ItemBytes(*array);
    ReadResult read = ReadItemBytes(bytes, bytes.size());
    auto* a = dynamic_cast<DS_3D_in_2D_array_Constructor*>(read.item.get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->count.GetValue(), DS_3D_in_2D_array_Constructor::kMaxCount);
}

TEST(Object3DRecords, KindsStartWithTheirDefaults)
{
    PictureSize picture(640, 480);
    DS_ButterflyConstructor butterfly;
    EXPECT_EQ(butterfly.count.GetValue(), 1u);
    EXPECT_EQ(butterfly.size.GetValue(), 100u);
    EXPECT_EQ(butterfly.speed.GetValue(), 50u);
    EXPECT_TRUE(butterfly.flag);
    EXPECT_TRUE(butterfly.imageLink.GetPath().empty());
    EXPECT_EQ(butterfly.bodyImageLink.GetValue(), (FileLinkValue{L"common_res.dll", 6}));
    EXPECT_FLOAT_EQ(butterfly.wingScale, 1.0f);

    DS_ClockConstructor clock;
    EXPECT_EQ(clock.size.GetValue(), 400u);
    EXPECT_EQ(clock.imageLink.GetValue(), (FileLinkValue{L"common_res.dll", 71}));
    EXPECT_EQ(clock.handsImageLink.GetValue(), (FileLinkValue{L"common_res.dll", 72}));
    EXPECT_EQ(clock.meshLink.GetValue(), (FileLinkValue{L"common_res.dll", 70}));
    EXPECT_EQ(clock.clockRect.extraX.GetValue(), 320);
    EXPECT_EQ(clock.clockRect.extraY.GetValue(), 240);
    EXPECT_TRUE(clock.IsRectPlaced());

    DS_3D_in_2D_array_Constructor array;
    EXPECT_EQ(array.count.GetValue(), 0u);
    EXPECT_EQ(array.motion.speed.GetValue(), 50u);
    EXPECT_EQ(array.motion.spin.GetValue(), 100u);
    EXPECT_EQ(array.motion.leafSize.GetValue(), 0u);
}

TEST(Object3DRecords, ClockQuadAndHitTestFollowItsOwnRectangle)
{
    PictureSize picture(640, 480);
    auto clock = SampleClock();
    const ScreenQuad quad = clock->GetViewQuad();
    EXPECT_EQ(quad.corners[0].x, 10.0f);
    EXPECT_EQ(quad.corners[0].y, 320.0f);
    EXPECT_EQ(quad.corners[1].y, 20.0f);
    EXPECT_EQ(quad.corners[3].x, 310.0f);
    // The picture fills the view: view points are picture points.
    ScreenQuad& fitted = ViewMetrics::Instance().fittedQuad;
    fitted.corners[0].x = fitted.corners[1].x = 0.0f;
    fitted.corners[2].x = fitted.corners[3].x = 640.0f;
    fitted.corners[1].y = fitted.corners[3].y = 0.0f;
    fitted.corners[0].y = fitted.corners[2].y = 480.0f;
    EXPECT_TRUE(clock->HitTest(160.0f, 170.0f));
    EXPECT_FALSE(clock->HitTest(400.0f, 170.0f));
}
