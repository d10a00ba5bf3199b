#include <gtest/gtest.h>

#include "engine/scene/ABObj.h"
#include "engine/scene/CountedPtr.h"
#include "engine/scene/TimeLineControl.h"
#include "unit/MemoryArchive.h"

namespace {

// Counts constructions and destructions of the test item and object kinds.
struct Census {
    int items = 0;
    int objects = 0;
    int itemsDeleted = 0;
    int objectsDeleted = 0;
};

class TestObject;

class TestItem : public DS_ABObj_Constructor {
public:
    explicit TestItem(Census& census) : census_(census) { ++census_.items; }
    TestItem(const TestItem& other) : DS_ABObj_Constructor(other), census_(other.census_) { ++census_.items; }
    ~TestItem() override { ++census_.itemsDeleted; }
    DS_ABObj* CreateObject() override;

private:
    Census& census_;
};

class TestObject : public DS_ABObj {
public:
    TestObject(TestItem* clone, Census& census) : DS_ABObj(clone), census_(census) { ++census_.objects; }
    ~TestObject() override { ++census_.objectsDeleted; }
    void Render(DS_ABRender*) override {}
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    void Update(float localTime) override { lastLocalTime = localTime; }

    float lastLocalTime = -1.0f;

private:
    Census& census_;
};

DS_ABObj* TestItem::CreateObject()
{
    return new TestObject(new TestItem(*this), census_);
}

TEST(ABObjRecord, RoundTripKeepsNameAndTimeLine)
{
    Census census;
    TestItem item(census);
    item.SetName(L"falling leaves");
    item.TimeLine().mode = DS_TimeLineControl::kCycle;
    item.TimeLine().fadeIn = 120;
    item.TimeLine().visible.minimum.SetValue(300);
    item.TimeLine().visible.maximum.SetValue(700);
    item.TimeLine().AddWindow({1.0f, 5.0f, 2.0f, 4.0f});

    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    item.Write(&handle);

    TestItem read(census);
    ASSERT_TRUE(read.ReadBody(&handle));
    EXPECT_EQ(archive.cursor, archive.bytes.size());
    EXPECT_EQ(read.Name(), L"falling leaves");
    EXPECT_EQ(read.TimeLine().mode, DS_TimeLineControl::kCycle);
    EXPECT_EQ(read.TimeLine().fadeIn, 120u);
    EXPECT_EQ(read.TimeLine().visible.minimum.GetValue(), 300u);
    EXPECT_EQ(read.TimeLine().visible.maximum.GetValue(), 700u);
    ASSERT_EQ(read.TimeLine().Windows().size(), 1u);
    EXPECT_FLOAT_EQ(read.TimeLine().Windows().begin()->end, 5.0f);
}

TEST(ABObjRecord, VersionOneKeepsDefaultTimeLine)
{
    MemoryArchive archive;
    archive.WriteString(L"DS_ABObj_Constructor");
    archive.WriteInt(1);
    archive.WriteString(L"old item");
    DS_IOF_Archive handle = archive.Handle();

    Census census;
    TestItem item(census);
    ASSERT_TRUE(item.ReadBody(&handle));
    EXPECT_EQ(item.Name(), L"old item");
    EXPECT_EQ(item.TimeLine().mode, DS_TimeLineControl::kAlwaysVisible);
    EXPECT_FLOAT_EQ(item.TimeLine().GetAlpha(), 1.0f);
    EXPECT_EQ(item.TimeLine().GetPhase(), DS_TimeLineControl::kVisible);

    // The first update adds the whole application time.
    std::unique_ptr<DS_ABObj> object(item.CreateObject());
    object->UpdateAt(7.5f);
    EXPECT_FLOAT_EQ(static_cast<TestObject*>(object.get())->lastLocalTime, 7.5f);
}

TEST(ABObjRecord, TruncatedRecordFailsAndKeepsTimeLine)
{
    Census census;
    TestItem item(census);
    item.TimeLine().fadeIn = 80;
    MemoryArchive archive;
    DS_IOF_Archive handle = archive.Handle();
    item.Write(&handle);
    archive.Truncate(4);

    TestItem read(census);
    EXPECT_FALSE(read.ReadBody(&handle));
    EXPECT_TRUE(handle.Failed());
    EXPECT_EQ(read.TimeLine().fadeIn, 50u);  // the default, not half a record
}

TEST(ABObjLifecycle, ObjectOwnsItsCloneAndOutlivesTheItem)
{
    Census census;
    auto item = std::make_unique<TestItem>(census);
    item->SetName(L"sprite");
    item->TimeLine().fadeOut = 250;
    CountedPtr<DS_ABObj> holder(item->CreateObject());
    ASSERT_TRUE(holder);
    EXPECT_EQ(census.items, 2);  // the item and its clone

    DS_ABObj_Constructor* clone = holder->Owner();
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone, item.get());
    EXPECT_EQ(clone->Name(), L"sprite");
    EXPECT_EQ(clone->TimeLine().fadeOut, 250u);
    EXPECT_NE(&clone->TimeLine(), &item->TimeLine());
    EXPECT_TRUE(holder->IsEnabled());
    EXPECT_EQ(holder->Kind(), DS_ABObj_Constructor::kKind);

    item.reset();  // the slide deletes the items it read
    EXPECT_EQ(census.itemsDeleted, 1);
    holder->UpdateAt(1.0f);

    holder.Release();
    EXPECT_EQ(census.objectsDeleted, 1);
    EXPECT_EQ(census.itemsDeleted, 2);  // the clone, once
}

TEST(CountedPtrTest, CountsCopiesAndDeletesThroughVirtualDestructor)
{
    Census census;
    TestItem item(census);
    CountedPtr<DS_ABObj> first(item.CreateObject());
    EXPECT_EQ(first.Count(), 1);
    {
        CountedPtr<DS_ABObj> second(first);
        CountedPtr<DS_ABObj> third;
        third = second;
        EXPECT_EQ(first.Count(), 3);
        EXPECT_EQ(third.Get(), first.Get());
    }
    EXPECT_EQ(first.Count(), 1);
    EXPECT_EQ(census.objectsDeleted, 0);

    // Assigning releases the old block first.
    CountedPtr<DS_ABObj> other(item.CreateObject());
    other = first;
    EXPECT_EQ(census.objectsDeleted, 1);
    EXPECT_EQ(first.Count(), 2);

    first.Release();
    EXPECT_FALSE(first);
    EXPECT_EQ(first.Count(), 0);
    other.Release();
    EXPECT_EQ(census.objectsDeleted, 2);
    EXPECT_EQ(census.itemsDeleted, 2);  // both clones

    CountedPtr<DS_ABObj> empty;
    empty.Release();  // nothing to do
    EXPECT_FALSE(empty);
    CountedPtr<DS_ABObj> fromNull(static_cast<DS_ABObj*>(nullptr));
    EXPECT_EQ(fromNull.Count(), 0);
}

TEST(ABObjLifecycle, RestartRewindsTheCloneTimeLine)
{
    Census census;
    TestItem item(census);
    std::unique_ptr<DS_ABObj> object(item.CreateObject());
    object->UpdateAt(3.0f);
    EXPECT_FLOAT_EQ(object->Owner()->TimeLine().Machine().LocalTime(), 3.0f);
    object->Restart();
    EXPECT_FLOAT_EQ(object->Owner()->TimeLine().Machine().LocalTime(), 0.0f);
    object->SetEnabled(false);
    EXPECT_FALSE(object->IsEnabled());
    EXPECT_FALSE(object->NeedsSceneTexture());
    EXPECT_EQ(object->OwnerQuery(), 0);
}

}  // namespace
