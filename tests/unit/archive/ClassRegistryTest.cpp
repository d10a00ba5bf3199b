// Records chosen by class name: exact lookups, unknown names and readers
// that yield nothing fail the archive, and the registration tables.
#include <gtest/gtest.h>

#include <set>

#include "TestSceneClasses.h"
#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"

namespace {

using namespace archive_test;

// Writes a record header and a string body, then reads it back by name
// through the test item registry.
struct ByNameResult {
    std::unique_ptr<TestItem> item;
    bool failed = false;
};

ByNameResult ReadItemRecord(const ds_string& className, int32_t version)
{
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    WriteRecordHeader(&out, className.c_str(), version);
    writer.WriteString(L"body");
    const std::vector<uint8_t> bytes = writer.Bytes();
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    DS_IOF_Archive in;
    in.archive = &archive;
    ByNameResult result;
    result.item = ReadRecordByName(&in, TestClasses().items);
    result.failed = in.Failed();
    return result;
}

TEST(ClassRegistry, RegisteredNameCreatesItsClass)
{
    const ByNameResult result = ReadItemRecord(PickyItem::kClassName, 1);
    ASSERT_NE(result.item, nullptr);
    EXPECT_FALSE(result.failed);
    const auto* picky = dynamic_cast<const PickyItem*>(result.item.get());
    ASSERT_NE(picky, nullptr);
    EXPECT_EQ(picky->note, L"body");
    EXPECT_EQ(picky->version, 1);
}

TEST(ClassRegistry, NamesThatAreNotRegisteredFailTheArchive)
{
    const wchar_t* names[] = {L"testpickyitem", L"TESTPICKYITEM", L"TestPickyItem ", L"TestPicky", L""};
    for (const wchar_t* name : names) {
        const ByNameResult result = ReadItemRecord(name, 1);
        EXPECT_EQ(result.item, nullptr) << name;
        EXPECT_TRUE(result.failed) << name;
    }
}

TEST(ClassRegistry, RecordThatYieldsNoObjectFailsTheArchive)
{
    const ByNameResult result = ReadItemRecord(PickyItem::kClassName, PickyItem::kNewestVersion + 1);
    EXPECT_EQ(result.item, nullptr);
    EXPECT_TRUE(result.failed);
}

TEST(ClassRegistry, RecordListStopsAtBadCounts)
{
    const struct {
        int32_t count;
        size_t expectedItems;
        bool expectFailed;
    } cases[] = {{0, 0, false}, {1, 1, false}, {-1, 0, true}, {2, 1, true}, {INT32_MAX, 1, true}};
    for (const auto& c : cases) {
        DS_IOF_W writer;
        DS_IOF_Archive out;
        out.archive = &writer;
        writer.WriteInt(c.count);
        PickyItem stored;
        stored.Write(&out);
        const std::vector<uint8_t> bytes = writer.Bytes();
        ResourceBuffer buffer(bytes.data(), bytes.size());
        DS_IOF_R<ResourceBuffer> archive(&buffer);
        DS_IOF_Archive in;
        in.archive = &archive;
        std::vector<std::unique_ptr<TestItem>> items;
        ReadRecordList(&in, TestClasses().items, items);
        EXPECT_EQ(items.size(), c.expectedItems) << c.count;
        EXPECT_EQ(in.Failed(), c.expectFailed) << c.count;
    }
}

TEST(ClassRegistry, SecondRegistrationOfANameKeepsTheFirst)
{
    ClassRegistry<TestItem> registry;
    EXPECT_TRUE(registry.Register<ValueItem>(L"Name"));
    const auto* first = registry.Find(L"Name");
    EXPECT_FALSE(registry.Register<PickyItem>(L"Name"));
    EXPECT_EQ(registry.Find(L"Name"), first);
    EXPECT_EQ(registry.Size(), 1u);
}

// Every name a registration function must register, by registry; and no
// name beyond them.
struct ExpectedName {
    const char* registry;
    const wchar_t* name;
};

void ExpectExactlyRegistered(const std::vector<ExpectedName>& table, const char* registryName,
                             const std::vector<ds_string>& registered)
{
    std::set<ds_string> expected;
    for (const ExpectedName& entry : table) {
        if (std::string(entry.registry) == registryName) expected.insert(entry.name);
    }
    EXPECT_EQ(std::set<ds_string>(registered.begin(), registered.end()), expected) << registryName;
}

TEST(ClassRegistration, TestClassesAreRegisteredUnderTheirNames)
{
    const std::vector<ExpectedName> table = {
        {"slides", L"TestSlide"},
        {"items", L"TestValueItem"},
        {"items", L"TestPickyItem"},
    };
    TestClassRegistry classes;
    RegisterTestClasses(classes);
    ExpectExactlyRegistered(table, "slides", classes.slides.Names());
    ExpectExactlyRegistered(table, "items", classes.items.Names());
}

TEST(ClassRegistration, SceneClassesAreRegisteredUnderTheirStoredNames)
{
    // Each stored class adds its row as it is built.
    const std::vector<ExpectedName> table = {
        {"picture layers", L"DS_2D_Light"},
        {"picture layers", L"FakeUndervater"},
        {"picture layers", L"FakeLake2D"},
        {"picture layers", L"DS_WaterRingLight"},
        {"picture layers", L"DS_MatrixCodeLight"},
        {"picture layers", L"DS_GlassBallLight"},
        {"picture layers", L"DS_FlameLight"},
        {"slides", L"DS_SlideContainer"},
        {"scene items", L"DS_WavesFX"},
        {"scene items", L"DS_LightFX"},
        {"scene items", L"DS_LightFX_II"},
        {"scene items", L"DS_WaterFX"},
        {"scene items", L"DS_MoveFX"},
        {"scene items", L"DS_WaterfallFX"},
        {"scene items", L"DS_CloudFX"},
        {"scene items", L"DS_ExpandFX"},
        {"scene items", L"DS_RadialWaveFX"},
        {"scene items", L"DS_RotationFX"},
        {"scene items", L"DS_BendFX"},
        {"scene items", L"DS_PatternBrush"},
        {"scene items", L"DS_PatternBrushC"},
        {"scene items", L"DS_BackgroundCopy"},
        {"scene items", L"DS_FireFX"},
        {"scene items", L"DS_MP3_Constructor"},
        {"scene items", L"DS_WAV_Constructor"},
        {"scene items", L"DS_Bling"},
        {"scene items", L"DS_CustomAirBrush"},
        {"scene items", L"DS_TwinklingStars"},
        {"scene items", L"DS_FallingStars"},
        {"scene items", L"DS_FireworkSimple"},
        {"scene items", L"DS_LightningGN"},
        {"scene items", L"DS_StaticAnimation"},
        {"scene items", L"DS_BrownAnimation"},
        {"scene items", L"DS_PathAnimtion"},
        {"scene items", L"DS_Plant"},
        {"scene items", L"DS_RadialRays"},
        {"scene items", L"DS_Smoke"},
        {"scene items", L"DS_FishConstructor"},
        {"scene items", L"DS_BirdConstructor"},
        {"scene items", L"DS_GhostConstructor"},
        {"scene items", L"DS_FogConstructor"},
        {"scene items", L"DS_FlowConstructor"},
        {"scene items", L"DS_RainConstructor"},
        {"scene items", L"DS_DischargeFXConstructor"},
        {"scene items", L"DS_ButterflyConstructor"},
        {"scene items", L"DS_ClockConstructor"},
        {"scene items", L"DS_3D_in_2D_array_Constructor"},
        {"scene items", L"DS_GodRayConstructor"},
        {"scene items", L"DS_SparkleConstructor"},
        {"scene items", L"DS_LightingConstructor"},
        {"scene items", L"DS_GrassConstructor"},
        {"scene items", L"DS_StatObjConstructor"},
        {"scene items", L"DS_FlowerConstructor"},
        {"scene items", L"DS_DischargeConstructor"},
        {"scene items", L"DS_ExplosionConstructor"},
        {"scene items", L"DS_StaticTextConstructor"},
        {"scene items", L"DS_ScrollingTextConstructor"},
    };
    SceneClassRegistry classes;
    RegisterSceneClasses(classes);
    ExpectExactlyRegistered(table, "picture layers", classes.pictureLayers.Names());
    ExpectExactlyRegistered(table, "slides", classes.slides.Names());
    ExpectExactlyRegistered(table, "scene items", classes.sceneItems.Names());
}

}  // namespace
