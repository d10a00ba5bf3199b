// Everything the writing archive writes, the reading archive reads back to
// the same value, consuming exactly the bytes written.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSceneClasses.h"
#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"

namespace {

using archive_test::ValueItem;

ValueItem MakeFilledItem()
{
    ValueItem item;
    item.blob.id = 12;
    item.blob.module = L"common_res.dll";
    item.blob.data = {0, 1, 0xFF};
    item.blob.name = L"C:\\a\\b.png";
    item.file.data = std::vector<uint8_t>(300, 0x5C);
    item.file.name = std::wstring(300, L'f');
    item.text = L"\x263A text";
    item.stamp = -5000000000LL;
    item.scale = -2.75f;
    item.pair = {INT32_MIN, INT32_MAX};
    item.colour = 0x00112233;
    item.count = 0xFFFFFFFFu;
    item.letter = static_cast<char>(0xE0);
    item.flag = true;
    item.offset = -1;
    item.key = {0xDEADBEEF, 0x0102, 0xA0B0, {1, 2, 3, 4, 5, 6, 7, 8}};
    item.times = {0.0f, 1e-7f, 3.5f};
    return item;
}

std::vector<uint8_t> WriteItem(ValueItem& item)
{
    DS_IOF_W writer;
    DS_IOF_Archive handle;
    handle.archive = &writer;
    item.Write(&handle);
    return writer.Bytes();
}

TEST(ArchiveRoundTrip, EveryKindReadsBackAndEndsAtLastByte)
{
    ValueItem written = MakeFilledItem();
    const std::vector<uint8_t> bytes = WriteItem(written);
    EXPECT_EQ(WriteItem(written), bytes) << "writing twice gives the same bytes";

    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    DS_IOF_Archive handle;
    handle.archive = &archive;
    const int32_t version = ReadRecordHeader(&handle);
    EXPECT_EQ(version, ValueItem::kVersion);
    ValueItem read;
    read.ReadFields(&handle, version);
    ASSERT_FALSE(handle.Failed());
    EXPECT_TRUE(buffer.AtEnd());

    EXPECT_EQ(read.blob.id, written.blob.id);
    EXPECT_EQ(read.blob.module, written.blob.module);
    EXPECT_EQ(read.blob.data, written.blob.data);
    EXPECT_EQ(read.blob.name, written.blob.name);
    EXPECT_EQ(read.file.data, written.file.data);
    EXPECT_EQ(read.file.name, written.file.name);
    EXPECT_EQ(read.text, written.text);
    EXPECT_EQ(read.stamp, written.stamp);
    EXPECT_EQ(read.scale, written.scale);
    EXPECT_EQ(read.pair.first, written.pair.first);
    EXPECT_EQ(read.pair.second, written.pair.second);
    EXPECT_EQ(read.colour, written.colour);
    EXPECT_EQ(read.count, written.count);
    EXPECT_EQ(read.letter, written.letter);
    EXPECT_EQ(read.flag, written.flag);
    EXPECT_EQ(read.offset, written.offset);
    EXPECT_TRUE(IsEqualGUID(read.key, written.key));
    EXPECT_EQ(read.times, written.times);
}

TEST(ArchiveRoundTrip, OlderVersionLeavesNewerFieldsAtDefaults)
{
    ValueItem written = MakeFilledItem();
    std::vector<uint8_t> bytes = WriteItem(written);
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    DS_IOF_Archive handle;
    handle.archive = &archive;
    ReadRecordHeader(&handle);
    ValueItem read;
    read.ReadFields(&handle, 1);
    EXPECT_FALSE(handle.Failed());
    EXPECT_TRUE(IsEqualGUID(read.key, GUID{}));
    EXPECT_TRUE(read.times.empty());
    EXPECT_FALSE(buffer.AtEnd());
}

TEST(ArchiveRoundTrip, BoolIsWrittenAsOneOrZero)
{
    DS_IOF_W writer;
    writer.WriteBool(true);
    writer.WriteBool(false);
    EXPECT_EQ(writer.Bytes(), (std::vector<uint8_t>{1, 0}));
}

TEST(ArchiveRoundTrip, WritingArchiveRefusesReads)
{
    DS_IOF_W writer;
    int32_t value = 4;
    writer.ReadInt(value);
    EXPECT_EQ(value, 4);
    EXPECT_TRUE(writer.Failed());
}

TEST(ArchiveRoundTrip, ReadingArchiveWritesNothing)
{
    const uint8_t stored[] = {1, 0, 0, 0};
    ResourceBuffer buffer(stored, sizeof(stored));
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    archive.WriteInt(7);
    archive.WriteString(L"ignored");
    int32_t value = 0;
    archive.ReadInt(value);
    EXPECT_EQ(value, 1);
}

}  // namespace
