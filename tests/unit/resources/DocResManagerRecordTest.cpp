// The resource manager's stored record on a real device: every version's
// layout is read and builds texture sets, the byte cache and mask textures;
// the written record is the newest layout in key order and reads back; a
// damaged record fails without a crash; loading a document makes its
// manager current.
#include <d3d9.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/archive/ArchiveValues.h"
#include "engine/archive/IOF_R.h"
#include "engine/archive/IOF_W.h"
#include "engine/archive/SceneClassRegistry.h"
#include "engine/resources/DocResManager.h"
#include "unit/resources/DocResTestSupport.h"

namespace {

// A library that never exists: its pictures and effects can come only from
// the stored copies, as when "common_res.dll" is absent.
const wchar_t kAbsentLibrary[] = L"corvalline_absent_res.dll";
const FileLinkValue kPicture{L"C:\\pictures\\slide.png", 1234567};
const FileLinkValue kLibraryPicture{kAbsentLibrary, 62};
const FileLinkValue kSequence{L"C:\\pictures\\run.seq", 5};
const FileLinkValue kEffect{kAbsentLibrary, 90};
const GUID kMaskGuid = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};

void PutLink(DS_IOF_W& w, const FileLinkValue& link)
{
    w.WriteString(link.path);
    w.WriteInt64(link.stamp);
}

void PutBlobs(DS_IOF_W& w, const std::vector<ResourceBlob>& blobs)
{
    w.WriteInt(static_cast<int32_t>(blobs.size()));
    for (const ResourceBlob& blob : blobs) w.WriteResourceBlob(blob);
}

// Which of the later maps a record holds.
struct Layout {
    bool linkedFiles;
    bool masks;
};
constexpr Layout kNewestLayout{true, true};

// The stored contents of the test document, in key order of each map.
struct TestDocument {
    std::vector<uint8_t> png = ReadFixtureBytes(L"fixture.png");
    std::vector<uint8_t> bmp = ReadFixtureBytes(L"fixture.bmp");
    std::vector<uint8_t> effect = ReadBuiltEffect("090_water");

    // Record bytes of the given layout; with a header version, the class
    // record.
    std::vector<uint8_t> Record(Layout layout = kNewestLayout, std::optional<int32_t> header = {}) const
    {
        DS_IOF_W w;
        if (header) {
            w.WriteString(L"DS_DocResManager");
            w.WriteInt(*header);
        }
        // Image map, keys in order ("C:\\pictures\\r..." < "C:\\pictures\\s..." < "c..."):
        // the sequence, the picture, the library picture.
        w.WriteInt(3);
        PutLink(w, kSequence);
        PutBlobs(w, {NamedBlob(L"f0.png", png), NamedBlob(L"f1.bmp", bmp)});
        PutLink(w, kPicture);
        PutBlobs(w, {NamedBlob(kPicture.path, png)});
        PutLink(w, kLibraryPicture);
        PutBlobs(w, {LibraryBlob(kAbsentLibrary, 62, bmp)});
        // Frame times: the single picture's entry gives it no durations.
        w.WriteInt(2);
        PutLink(w, kSequence);
        w.WriteInt(2);
        w.WriteFloat(0.5f);
        w.WriteFloat(0.25f);
        PutLink(w, kPicture);
        w.WriteInt(1);
        w.WriteFloat(9.0f);
        if (layout.linkedFiles) {
            // Linked files: the effect, and other bytes under the picture's
            // key, which must not replace the picture's cached bytes.
            w.WriteInt(2);
            PutLink(w, kPicture);
            PutBlobs(w, {NamedBlob(L"other", {1, 2, 3})});
            PutLink(w, kEffect);
            PutBlobs(w, {LibraryBlob(kAbsentLibrary, 90, effect)});
        }
        if (layout.masks) {
            w.WriteInt(1);
            w.WriteString(FormatGuidString(kMaskGuid));
            w.WriteString(L"");
            w.WriteBool(true);
            w.WriteEmbeddedFile(EmbeddedFile{L"", png});
        }
        return w.Bytes();
    }
};

struct ReadResult {
    bool read = false;
    bool atEnd = false;
};

ReadResult ReadBody(DS_DocResManager& manager, const std::vector<uint8_t>& bytes, int32_t version)
{
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    DS_IOF_Archive handle{&archive};
    ReadResult result;
    result.read = manager.Read(&handle, version);
    result.atEnd = buffer.AtEnd() && !handle.Failed();
    return result;
}

}  // namespace

class DocResManagerRecordTest : public D3DTestDevice {
protected:
    TestDocument doc;
    EmptyModuleFolder folder;
};

TEST_F(DocResManagerRecordTest, EveryVersionBuildsSetsCacheAndMasks)
{
    ASSERT_FALSE(doc.png.empty());
    ASSERT_FALSE(doc.effect.empty());
    // Versions 1 and 2 are the older layouts; every other version, older
    // or newer than the ones written, holds all four maps.
    const struct {
        int32_t version;
        Layout layout;
    } cases[] = {
        {1, {false, false}}, {2, {true, false}}, {3, {true, true}},  {4, {true, true}},
        {9, {true, true}},   {0, {true, true}},  {-1, {true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version));
        DS_DocResManager manager(Device(), folder.Path());
        const ReadResult result = ReadBody(manager, doc.Record(c.layout), c.version);
        ASSERT_TRUE(result.read);
        EXPECT_TRUE(result.atEnd);
        const ResourceStore& store = manager.Store();
        EXPECT_TRUE(store.images.empty());
        EXPECT_TRUE(store.maskImages.empty());
        EXPECT_EQ(store.textureSets.size(), 3u);
        EXPECT_EQ(store.byteCache.size(), c.layout.linkedFiles ? 4u : 3u);
        EXPECT_EQ(store.maskTextures.size(), c.layout.masks ? 1u : 0u);

        const TextureFrames& picture = manager.GetTextureSet(kPicture);
        ASSERT_EQ(picture.textures.size(), 1u);
        EXPECT_TRUE(picture.textures[0]);
        EXPECT_EQ(picture.width, 32u);
        EXPECT_EQ(picture.height, 16u);
        EXPECT_FLOAT_EQ(picture.aspect, 0.5f);
        EXPECT_TRUE(picture.durations.empty());
        // The picture's own bytes stay cached, whatever the linked files hold.
        EXPECT_EQ(store.byteCache.at(kPicture).front().data, doc.png);

        const TextureFrames& sequence = manager.GetTextureSet(kSequence);
        ASSERT_EQ(sequence.textures.size(), 2u);
        EXPECT_TRUE(sequence.textures[0] && sequence.textures[1]);
        EXPECT_EQ(sequence.durations, (std::vector<float>{0.5f, 0.25f}));

        // The library is absent: the stored copy serves.
        const TextureFrames& library = manager.GetTextureSet(DS_FileLink3(62, kAbsentLibrary));
        ASSERT_EQ(library.textures.size(), 1u);
        EXPECT_TRUE(library.textures[0]);
        EXPECT_EQ(library.width, 32u);

        EXPECT_EQ(static_cast<bool>(manager.GetEffect(DS_HLSLEffectFile(90, kAbsentLibrary))), c.layout.linkedFiles);
        if (c.layout.masks) {
            GuidResourceKey key;
            key.guid = kMaskGuid;
            const auto mask = store.maskTextures.find(key);
            ASSERT_NE(mask, store.maskTextures.end());
            D3DSURFACE_DESC desc = {};
            ASSERT_EQ(mask->second->GetLevelDesc(0, &desc), D3D_OK);
            EXPECT_EQ(desc.Width, 32u);
        }
    }
}

TEST_F(DocResManagerRecordTest, WritesTheNewestLayoutInKeyOrderAndReadsItBack)
{
    DS_DocResManager manager(Device(), folder.Path());
    ResourceStore& store = manager.Store();
    // Filled in an order other than key order.
    store.images[kLibraryPicture] = {LibraryBlob(kAbsentLibrary, 62, doc.bmp)};
    store.images[kSequence] = {NamedBlob(L"f0.png", doc.png), NamedBlob(L"f1.bmp", doc.bmp)};
    store.images[kPicture] = {NamedBlob(kPicture.path, doc.png)};
    store.frameTimes[kSequence] = {0.5f, 0.25f};
    store.frameTimes[kPicture] = {9.0f};
    store.linkedFiles[kEffect] = {LibraryBlob(kAbsentLibrary, 90, doc.effect)};
    store.linkedFiles[kPicture] = {NamedBlob(L"other", {1, 2, 3})};
    GuidImageRecord mask;
    mask.key.guid = kMaskGuid;
    mask.key.flag = true;
    mask.picture.data = doc.png;
    store.maskImages[mask.key] = mask;

    DS_IOF_W writer;
    DS_IOF_Archive handle{&writer};
    manager.Write(&handle);
    const std::vector<uint8_t> expected = doc.Record(kNewestLayout, 3);
    ASSERT_EQ(writer.Bytes(), expected);

    // Read back through the header as a document does.
    ResourceBuffer buffer(writer.Bytes().data(), writer.Bytes().size());
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    DS_IOF_Archive reading{&archive};
    const int32_t version = ReadRecordHeader(&reading);
    EXPECT_EQ(version, 3);
    SetCurrentDevice(Device());
    const std::unique_ptr<DS_DocResManager> read = ReadDocResManager(&reading, version);
    SetCurrentDevice(nullptr);
    ASSERT_TRUE(read);
    EXPECT_TRUE(buffer.AtEnd());
    EXPECT_EQ(read->Store().textureSets.size(), 3u);
    EXPECT_EQ(read->Store().maskTextures.size(), 1u);
}

TEST_F(DocResManagerRecordTest, KeysOfOneGuidAreOneKeyOrderedAsBytes)
{
    GuidResourceKey a;
    a.guid = kMaskGuid;
    a.name = L"first";
    GuidResourceKey b = a;
    b.name = L"second";
    b.flag = true;
    const GuidLess less;
    EXPECT_FALSE(less(a, b));
    EXPECT_FALSE(less(b, a));
    // The first field is compared as its little-endian bytes: 0x100 sorts
    // before 0x001 because its first byte is 0.
    GuidResourceKey low, high;
    low.guid.Data1 = 0x100;
    high.guid.Data1 = 0x001;
    EXPECT_TRUE(less(low, high));
}

TEST_F(DocResManagerRecordTest, DamagedRecordsFailWithoutCrashing)
{
    const std::vector<uint8_t> whole = doc.Record();
    // Every cut of the record, at a stride that still lands inside each map.
    for (size_t cut = 0; cut < whole.size(); cut += 1 + cut / 64) {
        DS_DocResManager manager(Device(), folder.Path());
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
        EXPECT_FALSE(ReadBody(manager, part, 3).read) << "cut at " << cut;
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t version;
    };
    const Case cases[] = {
        {"negative image count", {0xFF, 0xFF, 0xFF, 0xFF}, 3},
        {"huge image count, no entries", {0xFF, 0xFF, 0xFF, 0x7F}, 3},
        // A newer version is read as the newest layout: one without its
        // masks runs out of bytes.
        {"version 4 without its masks", doc.Record({true, false}), 4},
        {"version 0 without its maps", doc.Record({false, false}), 0},
    };
    for (const Case& c : cases) {
        DS_DocResManager manager(Device(), folder.Path());
        EXPECT_FALSE(ReadBody(manager, c.bytes, c.version).read) << c.what;
    }
}

namespace {

// A document whose root record has no body: enough to reach the manager.
class ManagerOnlyContent : public DocResManagerContent {
public:
    void ReadRoot(DS_IOF_Archive*, int32_t) override {}
};

std::vector<uint8_t> Document(const std::vector<uint8_t>& managerRecord)
{
    DS_IOF_W w;
    w.WriteString(L"KVB v 4.0.0");
    w.WriteString(L"DS_SlideShow_Light");
    w.WriteInt(1);
    w.WriteBytes(managerRecord.data(), managerRecord.size());
    return w.Bytes();
}

}  // namespace

TEST_F(DocResManagerRecordTest, LoadingADocumentMakesItsManagerCurrent)
{
    SetCurrentDevice(Device());
    SceneClassRegistry classes;
    ManagerOnlyContent content;
    const std::vector<uint8_t> good = Document(doc.Record(kNewestLayout, 3));
    ASSERT_EQ(ReadSceneDocumentAndManager(good.data(), good.size(), classes, content), S_OK);
    ASSERT_TRUE(content.Manager());
    EXPECT_EQ(CurrentDocResManager(), content.Manager().get());
    EXPECT_EQ(CurrentTextureLoader(), &content.Manager()->Loader());

    // A damaged document leaves the current manager as it was.
    std::vector<uint8_t> cut = good;
    cut.resize(cut.size() - 10);
    ManagerOnlyContent damaged;
    EXPECT_EQ(ReadSceneDocumentAndManager(cut.data(), cut.size(), classes, damaged), kErrSceneDocument);
    EXPECT_FALSE(damaged.Manager());
    EXPECT_EQ(CurrentDocResManager(), content.Manager().get());

    // A manager destroyed while current stops being current.
    content.Manager().reset();
    EXPECT_EQ(CurrentDocResManager(), nullptr);
    EXPECT_EQ(CurrentTextureLoader(), nullptr);
    SetCurrentDevice(nullptr);
}
