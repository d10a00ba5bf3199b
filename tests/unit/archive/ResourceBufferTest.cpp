// Reading the stored value forms from a bounded buffer: string headers,
// fixed-width kinds, blobs and files, raw arrays, and every way a stored
// size can run past the end of the data.
#include <gtest/gtest.h>

#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Units(size_t count, uint16_t unit = 'a')
{
    Bytes bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

struct StringHeaderCase {
    size_t length;
    Bytes header;
};

class ArchiveStringHeader : public ::testing::TestWithParam<StringHeaderCase> {};

TEST_P(ArchiveStringHeader, ReadsTextAfterHeaderOfItsForm)
{
    const StringHeaderCase& c = GetParam();
    const Bytes stored = Concat({c.header, Units(c.length), {0x5A}});
    ResourceBuffer buffer(stored.data(), stored.size());
    ds_string text;
    ReadArchiveString(buffer, text);
    EXPECT_FALSE(buffer.Failed());
    EXPECT_EQ(text, ds_string(c.length, L'a'));
    EXPECT_EQ(buffer.Remaining(), 1u) << "header of " << c.header.size() << " bytes";
}

TEST_P(ArchiveStringHeader, WriterUsesTheSameHeader)
{
    const StringHeaderCase& c = GetParam();
    DS_IOF_W writer;
    writer.WriteString(ds_string(c.length, L'a'));
    const Bytes expected = Concat({c.header, Units(c.length)});
    EXPECT_EQ(writer.Bytes(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ArchiveStringHeader,
    ::testing::Values(StringHeaderCase{1, {0xFF, 0xFE, 0xFF, 0x01}}, StringHeaderCase{254, {0xFF, 0xFE, 0xFF, 0xFE}},
                      StringHeaderCase{255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
                      StringHeaderCase{65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}},
                      StringHeaderCase{65535, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
                      StringHeaderCase{70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}));

TEST(ArchiveString, StoredLengthZeroKeepsTargetInEveryHeaderForm)
{
    const Bytes forms[] = {{0xFF, 0xFE, 0xFF, 0x00},
                           {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x00},
                           {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}};
    for (const Bytes& stored : forms) {
        ResourceBuffer buffer(stored.data(), stored.size());
        ds_string text = L"kept";
        ReadArchiveString(buffer, text);
        EXPECT_FALSE(buffer.Failed());
        EXPECT_EQ(text, L"kept");
        EXPECT_TRUE(buffer.AtEnd());
    }
}

TEST(ArchiveString, DocumentHeaderBytes)
{
    DS_IOF_W writer;
    writer.WriteString(L"KVB v 4.0.0");
    const Bytes expected = Concat({{0xFF, 0xFE, 0xFF, 0x0B}, {'K', 0,   'V', 0,   'B', 0,   ' ', 0,   'v', 0,   ' ',
                                                              0,   '4', 0,   '.', 0,   '0', 0,   '.', 0,   '0', 0}});
    EXPECT_EQ(writer.Bytes(), expected);
}

TEST(ArchiveString, ZeroUnitCutsTextButAllUnitsAreConsumed)
{
    const Bytes stored = {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0, 0, 'b', 0, 0x77};
    ResourceBuffer buffer(stored.data(), stored.size());
    ds_string text;
    ReadArchiveString(buffer, text);
    EXPECT_EQ(text, L"a");
    EXPECT_EQ(buffer.Remaining(), 1u);
}

TEST(ArchiveString, NonAsciiUnitsAreLittleEndian)
{
    const Bytes stored = {0xFF, 0xFE, 0xFF, 0x02, 0xE9, 0x00, 0x3A, 0x26};
    ResourceBuffer buffer(stored.data(), stored.size());
    ds_string text;
    ReadArchiveString(buffer, text);
    EXPECT_EQ(text, ds_string({wchar_t(0x00E9), wchar_t(0x263A)}));
}

// Stored bytes that must be refused, named for the test list.
struct BadBytesCase {
    const char* what;
    Bytes stored;
};

void PrintTo(const BadBytesCase& c, std::ostream* os)
{
    *os << c.what;
}

std::string CaseName(const ::testing::TestParamInfo<BadBytesCase>& info)
{
    std::string name = info.param.what;
    for (char& c : name) c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// Stored forms cut short or claiming more than the data holds: the read
// fails, the target keeps its value and nothing past the end is touched.
class ShortString : public ::testing::TestWithParam<BadBytesCase> {};

TEST_P(ShortString, FailsAndKeepsTarget)
{
    const Bytes& stored = GetParam().stored;
    ResourceBuffer buffer(stored.data(), stored.size());
    ds_string text = L"kept";
    ReadArchiveString(buffer, text);
    EXPECT_TRUE(buffer.Failed());
    EXPECT_EQ(text, L"kept");
    EXPECT_EQ(buffer.Remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortString,
    ::testing::Values(BadBytesCase{"empty", {}}, BadBytesCase{"markers only", {0xFF, 0xFE, 0xFF}},
                      BadBytesCase{"long length cut", {0xFF, 0xFE, 0xFF, 0xFF, 0x00}},
                      BadBytesCase{"huge length cut", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00}},
                      BadBytesCase{"one unit short", {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}},
                      BadBytesCase{"length beyond data", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}),
    CaseName);

TEST(ResourceBuffer, FailureIsStickyAndLeavesTargetsUnchanged)
{
    const Bytes stored = {1, 2, 3};
    ResourceBuffer buffer(stored.data(), stored.size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    int32_t value = 99;
    archive.ReadInt(value);
    EXPECT_EQ(value, 99);
    EXPECT_TRUE(archive.Failed());
    char letter = 'x';
    archive.ReadChar(letter);  // one byte would be there, but the archive has failed
    EXPECT_EQ(letter, 'x');
}

TEST(ResourceBuffer, EmptyBufferFailsEveryRead)
{
    ResourceBuffer buffer;
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    bool flag = true;
    archive.ReadBool(flag);
    EXPECT_TRUE(flag);
    EXPECT_TRUE(archive.Failed());
}

TEST(ResourceBuffer, MissingModuleResourceIsNotFound)
{
    ResourceBuffer buffer;
    EXPECT_FALSE(ResourceBuffer::FromModule(nullptr, 107, L"DDS", buffer));
    EXPECT_EQ(buffer.Remaining(), 0u);
}

TEST(ArchiveKinds, Int64IsStoredLowByteFirst)
{
    const struct {
        int64_t value;
        Bytes stored;
    } cases[] = {{258, {0x02, 0x01, 0, 0, 0, 0, 0, 0}}, {-1, Bytes(8, 0xFF)}};
    for (const auto& c : cases) {
        DS_IOF_W writer;
        writer.WriteInt64(c.value);
        EXPECT_EQ(writer.Bytes(), c.stored);
        ResourceBuffer buffer(c.stored.data(), c.stored.size());
        DS_IOF_R<ResourceBuffer> archive(&buffer);
        int64_t read = 0;
        archive.ReadInt64(read);
        EXPECT_EQ(read, c.value);
        EXPECT_TRUE(buffer.AtEnd());
    }
}

TEST(ArchiveKinds, AnyNonZeroByteReadsAsTrue)
{
    const struct {
        uint8_t stored;
        bool expected;
    } cases[] = {{0x00, false}, {0x01, true}, {0x02, true}, {0x80, true}, {0xFF, true}};
    for (const auto& c : cases) {
        ResourceBuffer buffer(&c.stored, 1);
        DS_IOF_R<ResourceBuffer> archive(&buffer);
        bool value = !c.expected;
        archive.ReadBool(value);
        EXPECT_EQ(value, c.expected) << int(c.stored);
        EXPECT_FALSE(archive.Failed());
    }
}

TEST(ArchiveKinds, IntPairCutShortKeepsBothHalves)
{
    const Bytes stored = {1, 0, 0, 0, 2, 0};
    ResourceBuffer buffer(stored.data(), stored.size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    IntPair pair{7, 8};
    archive.ReadIntPair(pair);
    EXPECT_TRUE(archive.Failed());
    EXPECT_EQ(pair.first, 7);
    EXPECT_EQ(pair.second, 8);
}

const Bytes kEmptyString = {0xFF, 0xFE, 0xFF, 0x00};

TEST(ArchiveBlob, ZeroSizeBlobHasNoDataAndConsumesHeaderFieldsOnly)
{
    const Bytes stored = Concat({{5, 0, 0, 0}, kEmptyString, {0, 0, 0, 0}, kEmptyString, {0x42}});
    ResourceBuffer buffer(stored.data(), stored.size());
    ResourceBlob blob;
    ReadArchiveBlob(buffer, blob);
    EXPECT_FALSE(buffer.Failed());
    EXPECT_EQ(blob.id, 5);
    EXPECT_TRUE(blob.data.empty());
    EXPECT_EQ(buffer.Remaining(), 1u);

    // A stored size of 0 reads no bytes and leaves the data that was there.
    ResourceBuffer again(stored.data(), stored.size());
    ResourceBlob filled;
    filled.data = {9};
    ReadArchiveBlob(again, filled);
    EXPECT_EQ(filled.data, Bytes{9});
}

// Sizes and counts that cannot be right: each fails without allocating
// from the stored value.
class BadStoredSize : public ::testing::TestWithParam<BadBytesCase> {};

TEST_P(BadStoredSize, BlobFileAndArraysFail)
{
    const Bytes& stored = GetParam().stored;
    {
        const Bytes blobBytes = Concat({{1, 0, 0, 0}, kEmptyString, stored});
        ResourceBuffer buffer(blobBytes.data(), blobBytes.size());
        ResourceBlob blob;
        ReadArchiveBlob(buffer, blob);
        EXPECT_TRUE(buffer.Failed());
        EXPECT_TRUE(blob.data.empty());
    }
    {
        ResourceBuffer buffer(stored.data(), stored.size());
        EmbeddedFile file;
        ReadArchiveFile(buffer, file);
        EXPECT_TRUE(buffer.Failed());
        EXPECT_TRUE(file.data.empty());
    }
    {
        ResourceBuffer buffer(stored.data(), stored.size());
        std::vector<float> times;
        EXPECT_FALSE(ReadFrameTimeArray(buffer, times));
        EXPECT_TRUE(times.empty());
    }
    {
        ResourceBuffer buffer(stored.data(), stored.size());
        std::vector<ResourceBlob> blobs;
        EXPECT_FALSE(ReadBlobArray(buffer, blobs));
        EXPECT_TRUE(blobs.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadStoredSize,
                         ::testing::Values(BadBytesCase{"negative", {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}},
                                           BadBytesCase{"most negative", {0, 0, 0, 0x80, 1, 2, 3, 4}},
                                           BadBytesCase{"largest", {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4}},
                                           BadBytesCase{"above bytes left", {0x40, 0, 0, 0, 1, 2, 3, 4}},
                                           BadBytesCase{"size cut", {0x01, 0}}),
                         CaseName);

TEST(RawArrays, FrameTimesAndBlobsReadInOrder)
{
    DS_IOF_W writer;
    writer.WriteInt(2);
    writer.WriteFloat(0.5f);
    writer.WriteFloat(1.25f);
    writer.WriteInt(2);
    ResourceBlob first;
    first.id = 3;
    first.data = {7, 7};
    writer.WriteResourceBlob(first);
    writer.WriteResourceBlob(ResourceBlob());
    const Bytes stored = writer.Bytes();

    ResourceBuffer buffer(stored.data(), stored.size());
    std::vector<float> times = {9.0f, 9.0f, 9.0f};
    ASSERT_TRUE(ReadFrameTimeArray(buffer, times));
    EXPECT_EQ(times, (std::vector<float>{0.5f, 1.25f}));
    std::vector<ResourceBlob> blobs;
    ASSERT_TRUE(ReadBlobArray(buffer, blobs));
    ASSERT_EQ(blobs.size(), 2u);
    EXPECT_EQ(blobs[0].id, 3);
    EXPECT_EQ(blobs[0].data, (Bytes{7, 7}));
    EXPECT_TRUE(blobs[1].data.empty());
    EXPECT_TRUE(buffer.AtEnd());
}

}  // namespace
