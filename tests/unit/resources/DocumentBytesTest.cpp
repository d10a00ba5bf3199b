// A written document carries the bytes of everything it links to: each file
// link, as it is written, saves its cached bytes in the resource manager's
// linked-file map, and the picture layer saves its picture and its camera's
// border picture in the image map. The manager's record is then read back on
// a real device with no library to fall back on, as a document plays
// without "common_res.dll".
#include <d3d9.h>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "engine/archive/IOF_Item.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/Light2D.h"
#include "unit/MemoryArchive.h"
#include "unit/resources/DocResTestSupport.h"

namespace {

// A library that never exists: what the read manager serves can come only
// from the written record.
const wchar_t kAbsentLibrary[] = L"corvalline_absent_res.dll";
// The vertex size the clock's mesh is read with (position, normal, texture).
constexpr uint32_t kMeshVertexSize = 32;

// Makes a manager current for the writes of a test and clears it after.
class CurrentManager {
public:
    explicit CurrentManager(DS_DocResManager& manager) { SetCurrentDocResManager(&manager); }
    ~CurrentManager() { SetCurrentDocResManager(nullptr); }
    CurrentManager(const CurrentManager&) = delete;
    CurrentManager& operator=(const CurrentManager&) = delete;
};

}  // namespace

class DocumentBytesTest : public D3DTestDevice {
protected:
    // Writes written's record and reads it back on the test device, modules
    // looked for in an empty folder; the record must be read to its end.
    std::unique_ptr<DS_DocResManager> WriteAndReadBack(DS_DocResManager& written)
    {
        MemoryArchive archive;
        DS_IOF_Archive handle = archive.Handle();
        written.Write(&handle);
        auto read = std::make_unique<DS_DocResManager>(Device(), folder.Path());
        const int32_t version = ReadRecordHeader(&handle);
        EXPECT_TRUE(read->Read(&handle, version));
        EXPECT_EQ(archive.Remaining(), 0u);
        return read;
    }

    EmptyModuleFolder folder;
};

TEST_F(DocumentBytesTest, WrittenLinksCarryTheirBytes)
{
    struct Case {
        const char* what;
        DS_FileLink3 link;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"library effect", DS_HLSLEffectFile(90, kAbsentLibrary), ReadBuiltEffect("090_water")},
        {"document effect", DS_HLSLEffectFile(FileLinkValue{L"particles.fxo", 0}),
         ReadBuiltEffect("document/particles")},
        {"library mesh", DS_MeshFile(70, kAbsentLibrary), ReadBuildFile("res/common_res/generated/clock.x")},
        {"sound file", DS_FileLink3(FileLinkValue{L"C:\\sounds\\tone.wav", 1234567}), {'R', 'I', 'F', 'F', 4, 0}},
    };
    DS_DocResManager written(nullptr);
    for (const Case& c : cases) {
        ASSERT_FALSE(c.bytes.empty()) << c.what;
        written.Store().byteCache[c.link.GetValue()] = {NamedBlob(c.link.GetPath(), c.bytes)};
    }
    MemoryArchive links;
    {
        CurrentManager current(written);
        for (const Case& c : cases) c.link.Write(links.Handle());
    }
    // The links' own stored form stays the path and the stamp.
    for (const Case& c : cases) {
        DS_FileLink3 back;
        back.Read(links.Handle());
        EXPECT_EQ(back.GetValue(), c.link.GetValue()) << c.what;
    }
    EXPECT_EQ(links.Remaining(), 0u);

    const std::unique_ptr<DS_DocResManager> read = WriteAndReadBack(written);
    for (const Case& c : cases) {
        const ResourceBlob* blob = read->GetBlob(c.link);
        ASSERT_NE(blob, nullptr) << c.what;
        EXPECT_EQ(blob->data, c.bytes) << c.what;
    }
    EXPECT_TRUE(read->GetEffect(cases[0].link));
    EXPECT_TRUE(read->GetEffect(cases[1].link));
    EXPECT_FALSE(read->GetMesh(cases[2].link, kMeshVertexSize).IsEmpty());
}

TEST_F(DocumentBytesTest, PictureLayerSavesItsPictureAndBorderOnce)
{
    const FileLinkValue picture{L"C:\\pictures\\slide.png", 5};
    const FileLinkValue border{kAbsentLibrary, 6};
    DS_DocResManager written(nullptr);
    written.Store().byteCache[picture] = {NamedBlob(picture.path, ReadFixtureBytes(L"fixture.png"))};
    written.Store().byteCache[border] = {LibraryBlob(kAbsentLibrary, 6, ReadFixtureBytes(L"fixture.bmp"))};

    DS_2D_Light layer;
    layer.PictureLink().StoreValue(picture);
    layer.Camera().borderPath = border.path;
    layer.Camera().borderStamp = border.stamp;
    MemoryArchive record;
    {
        CurrentManager current(written);
        DS_IOF_Archive handle = record.Handle();
        layer.Write(&handle);
    }
    const std::pair<const char*, FileLinkValue> pictures[] = {{"picture", picture}, {"border", border}};
    for (const auto& [what, key] : pictures) {
        EXPECT_EQ(written.Store().images.count(key), 1u) << what;
        // Saved as pictures, not a second time among the linked files.
        EXPECT_EQ(written.Store().linkedFiles.count(key), 0u) << what;
    }

    const std::unique_ptr<DS_DocResManager> read = WriteAndReadBack(written);
    for (const auto& [what, key] : pictures) {
        const TextureFrames& set = read->GetTextureSet(key);
        ASSERT_EQ(set.textures.size(), 1u) << what;
        EXPECT_TRUE(set.textures[0]) << what;
    }
}
