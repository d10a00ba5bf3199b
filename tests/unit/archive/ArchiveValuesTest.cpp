// GUID strings, counted lists, blob name and data rules, and FileNameOf.
#include <gtest/gtest.h>
#include <windows.h>

#include "engine/archive/ArchiveValues.h"
#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"

namespace {

const GUID kSampleGuid = {0x7C11B408, 0x6BE6, 0x4F1B, {0x94, 0xC8, 0x40, 0x19, 0x02, 0x25, 0xF7, 0x82}};
const wchar_t kSampleText[] = L"{7C11B408-6BE6-4F1B-94C8-40190225F782}";

// Reads back what a DS_IOF_W wrote.
class WrittenBytes {
public:
    explicit WrittenBytes(const DS_IOF_W& writer)
        : bytes(writer.Bytes()), buffer(bytes.data(), bytes.size()), archive(&buffer)
    {
        handle.archive = &archive;
    }
    DS_IOF_Archive* Handle() { return &handle; }
    bool AtEnd() const { return buffer.AtEnd(); }

private:
    std::vector<uint8_t> bytes;
    ResourceBuffer buffer;
    DS_IOF_R<ResourceBuffer> archive;
    DS_IOF_Archive handle;
};

TEST(GuidString, FormatsUpperCaseRegistryForm)
{
    EXPECT_EQ(FormatGuidString(kSampleGuid), kSampleText);
    EXPECT_EQ(FormatGuidString(GUID{}), L"{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidString, RoundTripThroughArchive)
{
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    WriteGuid(kSampleGuid, &out);
    WrittenBytes in(writer);
    GUID read = {};
    ReadGuid(read, in.Handle());
    EXPECT_TRUE(IsEqualGUID(read, kSampleGuid));
    EXPECT_TRUE(in.AtEnd());
}

TEST(GuidString, LowerCaseDigitsParse)
{
    GUID parsed = {};
    EXPECT_TRUE(ParseGuidString(L"{7c11b408-6be6-4f1b-94c8-40190225f782}", parsed));
    EXPECT_TRUE(IsEqualGUID(parsed, kSampleGuid));
}

class MalformedGuid : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(MalformedGuid, GivesNullGuid)
{
    GUID parsed = kSampleGuid;
    EXPECT_FALSE(ParseGuidString(GetParam(), parsed));
    EXPECT_TRUE(IsEqualGUID(parsed, GUID{}));

    // Through the archive: the stored string is read, the GUID becomes null
    // and the document goes on.
    DS_IOF_W writer;
    writer.WriteString(GetParam());
    writer.WriteInt(5);
    WrittenBytes in(writer);
    GUID read = kSampleGuid;
    ReadGuid(read, in.Handle());
    EXPECT_TRUE(IsEqualGUID(read, GUID{}));
    int32_t next = 0;
    in.Handle()->archive->ReadInt(next);
    EXPECT_EQ(next, 5);
    EXPECT_FALSE(in.Handle()->Failed());
}

INSTANTIATE_TEST_SUITE_P(
    Strings, MalformedGuid,
    ::testing::Values(L"", L"{}", L"7C11B408-6BE6-4F1B-94C8-40190225F782", L"{7C11B408-6BE6-4F1B-94C8-40190225F782",
                      L"{7C11B408-6BE6-4F1B-94C8-40190225F7820}", L"{7C11B408-6BE6-4F1B-94C8-40190225F78G}",
                      L"{7C11B408-6BE6-4F1B-94C840190225F7822}", L"{7C11B408+6BE6-4F1B-94C8-40190225F782}",
                      L"(7C11B408-6BE6-4F1B-94C8-40190225F782)", L"{ 7C11B40-6BE6-4F1B-94C8-40190225F782}",
                      L"{0x11B408-6BE6-4F1B-94C8-40190225F782}"));

TEST(CountedLists, RoundTripAppendsInOrder)
{
    std::vector<ResourceBlob> blobs(2);
    blobs[0].id = 1;
    blobs[0].data = {4, 5};
    blobs[1].name = L"x.png";
    const std::vector<float> floats = {1.0f, -0.5f};
    DS_IOF_W writer;
    DS_IOF_Archive out;
    out.archive = &writer;
    WriteBlobList(&out, blobs);
    WriteFloatList(&out, floats);

    WrittenBytes in(writer);
    std::vector<ResourceBlob> readBlobs(1);  // readers append
    std::vector<float> readFloats = {9.0f};
    ReadBlobList(in.Handle(), readBlobs);
    ReadFloatList(in.Handle(), readFloats);
    EXPECT_FALSE(in.Handle()->Failed());
    EXPECT_TRUE(in.AtEnd());
    ASSERT_EQ(readBlobs.size(), 3u);
    EXPECT_EQ(readBlobs[1].id, 1);
    EXPECT_EQ(readBlobs[1].data, (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(readBlobs[2].name, L"x.png");
    EXPECT_EQ(readFloats, (std::vector<float>{9.0f, 1.0f, -0.5f}));
}

TEST(CountedLists, BadCountsFailTheArchive)
{
    const int32_t counts[] = {-1, INT32_MIN, 3, INT32_MAX};  // one float is stored after each count
    for (const int32_t count : counts) {
        DS_IOF_W writer;
        writer.WriteInt(count);
        writer.WriteFloat(1.0f);
        WrittenBytes floatsIn(writer);
        std::vector<float> floats;
        ReadFloatList(floatsIn.Handle(), floats);
        EXPECT_TRUE(floatsIn.Handle()->Failed()) << count;
        WrittenBytes blobsIn(writer);
        std::vector<ResourceBlob> blobs;
        ReadBlobList(blobsIn.Handle(), blobs);
        EXPECT_TRUE(blobsIn.Handle()->Failed()) << count;
        EXPECT_TRUE(blobs.empty());
    }
}

TEST(ResourceBlobRules, SetNameDropsBytesOnlyForAnotherName)
{
    ResourceBlob blob;
    blob.name = L"a.png";
    blob.data = {1, 2};
    blob.SetName(L"a.png");
    EXPECT_EQ(blob.data.size(), 2u);
    blob.SetName(L"b.png");
    EXPECT_TRUE(blob.data.empty());
    EXPECT_EQ(blob.name, L"b.png");
}

TEST(ResourceBlobRules, CopyDataToKeepsTargetsIdAndModule)
{
    ResourceBlob source;
    source.name = L"s.png";
    source.data = {3};
    source.id = 1;
    ResourceBlob target;
    target.id = 40;
    target.module = L"common_res.dll";
    source.CopyDataTo(target);
    EXPECT_EQ(target.name, L"s.png");
    EXPECT_EQ(target.data, (std::vector<uint8_t>{3}));
    EXPECT_EQ(target.id, 40);
    EXPECT_EQ(target.module, L"common_res.dll");
}

TEST(ResourceBlobRules, MissingModuleResourceLeavesBlobUnchanged)
{
    ResourceBlob blob;
    blob.id = 31999;
    blob.module = L"no_such_module_here.dll";
    blob.data = {1};
    EXPECT_FALSE(blob.LoadFromModule());
    EXPECT_EQ(blob.data, (std::vector<uint8_t>{1}));
}

// A named module is mapped for its resources only; one that is missing
// never lets its number find the program's own resource of that number.
TEST(ResourceBlobRules, ModulesAreResourceFilesAndNeverStandIns)
{
    ResourceBlob library;
    library.id = 62;
    library.module = L"common_res.dll";
    ASSERT_TRUE(library.LoadFromModule());
    EXPECT_FALSE(library.data.empty());
    EXPECT_EQ(GetModuleHandleW(L"common_res.dll"), nullptr);

    ResourceBlob own;
    own.id = 302;  // a picture of the test program itself
    EXPECT_TRUE(own.LoadFromModule());
    ResourceBlob absent = own;
    absent.module = L"no_such_module_here.dll";
    absent.data.clear();
    EXPECT_FALSE(absent.LoadFromModule());
    EXPECT_TRUE(absent.data.empty());
}

TEST(FileNameOf, TextAfterLastBackslash)
{
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {{L"C:\\music\\set\\song.mp3", L"song.mp3"}, {L"song.mp3", L""}, {L"C:\\dir\\", L""}, {L"", L""}};
    for (const auto& c : cases) EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
}

}  // namespace
