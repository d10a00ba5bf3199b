#include "tools/composer/DocumentFile.h"

#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

#include "engine/archive/IOF_W.h"
#include "engine/resources/CurrentScene.h"
#include "tools/composer/ComposerFiles.h"

namespace {

constexpr wchar_t kDocumentHeader[] = L"KVB v 4.0.0";

// Reads a document's root as the player does, and from its manager's record
// only the maps, keeping the mask pictures that reading the manager itself
// turns into textures and discards.
class MaskPictureContent : public SlideShowContent {
public:
    void ReadResourceManager(DS_IOF_Archive* ar, int32_t version) override
    {
        ResourceStore::ReadBlobMap(ar, store_.images);
        ResourceStore::ReadFrameTimeMap(ar, store_.frameTimes);
        // The linked-file map from version 2, the mask map from version 3.
        if (version >= 2) ResourceStore::ReadBlobMap(ar, store_.linkedFiles);
        if (version >= 3) ResourceStore::ReadGuidImageMap(ar, store_.maskImages);
    }

    GuidImageMap& Masks() { return store_.maskImages; }

private:
    ResourceStore store_;
};

}  // namespace

bool WriteSceneDocument(DS_SlideShow_Light& root, DS_DocResManager& manager, const std::string& path,
                        std::string& error)
{
    DS_DocResManager* const wasCurrent = CurrentDocResManager();
    SetCurrentDocResManager(&manager);
    DS_IOF_W writer;
    DS_IOF_Archive archive;
    archive.archive = &writer;
    archive.classes = &SceneClasses();
    writer.WriteString(kDocumentHeader);
    root.Write(&archive);
    manager.Write(&archive);
    SetCurrentDocResManager(wasCurrent);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::vector<uint8_t>& bytes = writer.Bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::remove(path.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool RewriteSceneDocument(const std::string& input, const std::string& output, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(input, bytes) || bytes.empty()) {
        error = "cannot read " + input;
        return false;
    }
    SlideShowDocument document;
    MaskPictureContent masks;
    if (FAILED(ReadSlideShowDocument(bytes.data(), bytes.size(), SceneClasses(), document)) ||
        FAILED(ReadSceneDocument(bytes.data(), bytes.size(), SceneClasses(), masks))) {
        error = input + " is not a scene document";
        return false;
    }
    ResourceStore& store = document.manager->Store();
    store.images.clear();
    store.frameTimes.clear();
    store.linkedFiles.clear();
    store.maskImages = std::move(masks.Masks());
    return WriteSceneDocument(*document.root, *document.manager, output, error);
}
