// Records of the plant, the radial rays and the smoke: round trips through
// the registry, the smoke's level layout, and damaged records.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "engine/archive/IOF_Item.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "objects/particles/Plant.h"
#include "objects/particles/RadialRays.h"
#include "objects/particles/Smoke.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

std::unique_ptr<DS_ParticleGenerator> FilledPlant()
{
    auto plant = std::make_unique<DS_Plant>();
    plant->timeSpeed.SetValue(40);
    plant->frequency.SetValue(30);
    plant->wMagnitude.SetValue(20);
    plant->bMagnitude.SetValue(10);
    plant->rectangle.SetRect(D3DXVECTOR3(300, 200, 0), 100, 200);
    plant->imageLinks.push_back(DS_ImageFileLink(DS_FileLink3(FileLinkValue{L"plant.png", 3})));
    plant->effectLink.StoreValue(FileLinkValue{L"plant.fx", 4});
    return plant;
}

std::unique_ptr<DS_ParticleGenerator> FilledRays()
{
    auto rays = std::make_unique<DS_RadialRays>();
    rays->rayLength.SetValue(300);
    rays->rayWidth.SetValue(40);
    rays->rayCount.SetValue(12);
    rays->textureIndex.SetValue(1);
    rays->random.SetValue(1);
    rays->seed.SetValue(77);
    rays->spread.SetValue(60);
    rays->rotationSpeed.SetValue(25);
    rays->rotationMode.SetValue(2);
    rays->fadeFloor.SetValue(100);
    rays->swingAmplitude.SetValue(50);
    rays->origin.SetValue(D3DXVECTOR3(10, 20, 0));
    return rays;
}

std::unique_ptr<DS_ParticleGenerator> FilledSmoke()
{
    auto smoke = std::make_unique<DS_Smoke>();
    smoke->xAcceleration.SetValue(100);
    smoke->particleLife.SetValue(75);
    smoke->rate.SetValue(20);
    smoke->particleSize.SetValue(64);
    smoke->speed.SetValue(50);
    smoke->origin.SetValue(D3DXVECTOR3(400, 500, 0));
    smoke->color.StoreValue(0x00808080);
    return smoke;
}

struct KindCase {
    const wchar_t* name;
    std::function<std::unique_ptr<DS_ParticleGenerator>()> make;
};

const KindCase kKinds[] = {
    {L"DS_Plant", FilledPlant},
    {L"DS_RadialRays", FilledRays},
    {L"DS_Smoke", FilledSmoke},
};

// The item the registry makes from a record written with its class name.
std::unique_ptr<DS_ABObj_Constructor> ReadThroughRegistry(const std::vector<uint8_t>& bytes, size_t* left = nullptr)
{
    SceneClassRegistry classes;
    RegisterSceneClasses(classes);
    MemoryArchive memory(bytes);
    DS_IOF_Archive ar = memory.Handle();
    std::unique_ptr<DS_ABObj_Constructor> item = ReadRecordByName(&ar, classes.sceneItems);
    if (left) *left = memory.Remaining();
    if (ar.Failed()) item.reset();
    return item;
}

bool Contains(const std::vector<uint8_t>& bytes, const wchar_t* name)
{
    std::vector<uint8_t> pattern;
    for (const wchar_t* c = name; *c; ++c) {
        pattern.push_back(static_cast<uint8_t>(*c));
        pattern.push_back(0);
    }
    return std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end()) != bytes.end();
}

}  // namespace

TEST(PlantRaysSmokeRecord, EachKindRoundTripsThroughTheRegistry)
{
    for (const KindCase& kind : kKinds) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(kind.name)));
        auto item = kind.make();
        const std::vector<uint8_t> bytes = WrittenRecord(*item);
        size_t left = 1;
        std::unique_ptr<DS_ABObj_Constructor> read = ReadThroughRegistry(bytes, &left);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(left, 0u);
        EXPECT_EQ(WrittenRecord(*read), bytes);
    }
    // A few values checked by name as well, derived ones included.
    auto plant = ReadThroughRegistry(WrittenRecord(*FilledPlant()));
    auto* p = dynamic_cast<DS_Plant*>(plant.get());
    ASSERT_NE(p, nullptr);
    EXPECT_FLOAT_EQ(p->frequency.GetDerived(), 3.0f);
    EXPECT_FLOAT_EQ(p->wMagnitude.GetDerived(), 0.04f);
    EXPECT_EQ(p->rectangle.Corner(3).GetValue(), D3DXVECTOR3(350, 300, 0));
    auto rays = ReadThroughRegistry(WrittenRecord(*FilledRays()));
    auto* r = dynamic_cast<DS_RadialRays*>(rays.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->seed.GetValue(), 77u);
    EXPECT_FLOAT_EQ(r->spread.GetDerived(), 0.4f);
    EXPECT_FLOAT_EQ(r->fadeFloor.GetDerived(), 0.0f);
    EXPECT_FLOAT_EQ(r->swingAmplitude.GetDerived(), 1.0f);
    EXPECT_EQ(r->origin.GetValue(), D3DXVECTOR3(10, 20, 0));
    auto smoke = ReadThroughRegistry(WrittenRecord(*FilledSmoke()));
    auto* s = dynamic_cast<DS_Smoke*>(smoke.get());
    ASSERT_NE(s, nullptr);
    EXPECT_FLOAT_EQ(s->xAcceleration.GetDerived(), 100.0f);
    EXPECT_EQ(s->origin.GetValue(), D3DXVECTOR3(400, 500, 0));
    EXPECT_EQ(s->rate.GetValue(), 20u);
}

TEST(PlantRaysSmokeRecord, SmokeStoresTheEmitterLevelWithoutHeaderAndNoStaticLevel)
{
    const std::vector<uint8_t> smoke = WrittenRecord(*FilledSmoke());
    EXPECT_FALSE(Contains(smoke, L"DS_ParticleOriginGenerator"));
    EXPECT_FALSE(Contains(smoke, L"DS_StaticGenerator"));
    EXPECT_TRUE(Contains(smoke, L"DS_TexParticleGenerator"));
    const std::vector<uint8_t> rays = WrittenRecord(*FilledRays());
    EXPECT_TRUE(Contains(rays, L"DS_StaticGenerator"));
    const std::vector<uint8_t> plant = WrittenRecord(*FilledPlant());
    EXPECT_TRUE(Contains(plant, L"DS_SingleRectGN"));
}

TEST(PlantRaysSmokeRecord, CutRecordsAreRefused)
{
    for (const KindCase& kind : kKinds) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(kind.name)));
        auto item = kind.make();
        const std::vector<uint8_t> bytes = WrittenRecord(*item);
        for (size_t cut = 1; cut < bytes.size(); cut += 3)
            EXPECT_EQ(ReadThroughRegistry(std::vector<uint8_t>(bytes.begin(), bytes.end() - cut)), nullptr) << cut;
    }
}
