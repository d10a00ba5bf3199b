// The single-rectangle generator level: its record in both versions, bad
// records, and the one quad it builds.
#include <gtest/gtest.h>

#include <limits>

#include "engine/archive/IOF_Item.h"
#include "objects/particles/SingleRectGN.h"
#include "unit/particles/ParticleTestSupport.h"

namespace {

class TestRectKind : public DS_SingleRectGN {
public:
    void Render(DS_ABRender*, DS_ParticlesObj*) override {}
    DS_ParticleGenerator* Clone() const override { return new TestRectKind(*this); }
};

TestRectKind FilledRect()
{
    TestRectKind item;
    const D3DXVECTOR3 corners[4] = {{10, 20, 0}, {10, 80, 0}, {90, 20, 0}, {90, 80, 0.5f}};
    for (int k = 0; k < 4; ++k) item.rectangle.Corner(k).StoreValue(corners[k]);
    item.origin.SetValue(D3DXVECTOR3(3, 4, 5));
    item.color.StoreValue(0x00102030);
    item.mirrorU.SetValue(1);
    item.SetName(L"plant");
    return item;
}

bool ReadRect(const std::vector<uint8_t>& bytes, TestRectKind& item, size_t* left = nullptr)
{
    MemoryArchive memory(bytes);
    DS_IOF_Archive ar = memory.Handle();
    const bool ok = item.ReadBody(&ar);
    if (left) *left = memory.Remaining();
    return ok && !ar.Failed();
}

// The record written by an older writer: version 1 with two extra floats.
std::vector<uint8_t> VersionOneRecord(const TestRectKind& item)
{
    TestRectKind copy(item);
    const std::vector<uint8_t> newest = WrittenRecord(copy);
    MemoryArchive header;
    DS_IOF_Archive h = header.Handle();
    WriteRecordHeader(&h, DS_SingleRectGN::kClassName, 2);
    const size_t rectangleEnd = header.bytes.size() + 12 * sizeof(float);
    MemoryArchive m;
    DS_IOF_Archive ar = m.Handle();
    WriteRecordHeader(&ar, DS_SingleRectGN::kClassName, 1);
    m.bytes.insert(m.bytes.end(), newest.begin() + header.bytes.size(), newest.begin() + rectangleEnd);
    m.WriteFloat(7.0f);
    m.WriteFloat(std::numeric_limits<float>::quiet_NaN());
    m.bytes.insert(m.bytes.end(), newest.begin() + rectangleEnd, newest.end());
    return m.bytes;
}

}  // namespace

TEST(SingleRectGNRecord, BothVersionsReadTheSameItem)
{
    TestRectKind item = FilledRect();
    const std::vector<uint8_t> newest = WrittenRecord(item);
    for (const std::vector<uint8_t>& bytes : {newest, VersionOneRecord(item)}) {
        TestRectKind read;
        size_t left = 1;
        ASSERT_TRUE(ReadRect(bytes, read, &left));
        EXPECT_EQ(left, 0u);
        EXPECT_EQ(WrittenRecord(read), newest);
        EXPECT_EQ(read.rectangle.Corner(3).GetValue(), D3DXVECTOR3(90, 80, 0.5f));
        EXPECT_EQ(read.origin.GetValue(), D3DXVECTOR3(3, 4, 5));
        EXPECT_EQ(read.mirrorU.GetValue(), 1);
        EXPECT_EQ(read.Name(), L"plant");
    }
}

TEST(SingleRectGNRecord, BadRecordsAreRefusedOrClamped)
{
    TestRectKind item = FilledRect();
    const std::vector<uint8_t> bytes = WrittenRecord(item);
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        TestRectKind read;
        EXPECT_FALSE(ReadRect(std::vector<uint8_t>(bytes.begin(), bytes.end() - cut), read)) << cut;
    }
    TestRectKind damaged = FilledRect();
    damaged.rectangle.Corner(1).StoreValue(D3DXVECTOR3(std::numeric_limits<float>::infinity(), 5.0f,
                                                       std::numeric_limits<float>::quiet_NaN()));
    TestRectKind read;
    ASSERT_TRUE(ReadRect(WrittenRecord(damaged), read));
    EXPECT_EQ(read.rectangle.Corner(1).GetValue(), D3DXVECTOR3(0.0f, 5.0f, 0.0f));
}
