#include "engine/resources/DocResManager.h"

#include <cstring>
#include <utility>

#include "engine/archive/ArchiveValues.h"

namespace {

constexpr wchar_t kClassName[] = L"DS_DocResManager";

void ReadLinkValue(DS_IOF_Archive* ar, FileLinkValue& key)
{
    ar->archive->ReadString(key.path);
    ar->archive->ReadInt64(key.stamp);
}

void WriteLinkValue(DS_IOF_Archive* ar, const FileLinkValue& key)
{
    ar->archive->WriteString(key.path);
    ar->archive->WriteInt64(key.stamp);
}

// Reads count entries with readEntry(key, value) and inserts each complete
// one; an entry whose key is present already keeps the earlier value.
template <class Map, class ReadEntry>
void ReadMap(DS_IOF_Archive* ar, Map& map, ReadEntry readEntry)
{
    int32_t count = 0;
    if (!ReadListCount(ar, count)) return;
    for (int32_t i = 0; i < count; ++i) {
        typename Map::key_type key;
        typename Map::mapped_type value;
        readEntry(key, value);
        if (ar->Failed()) return;
        map.emplace(std::move(key), std::move(value));
    }
}

}  // namespace

bool GuidLess::operator()(const GuidResourceKey& a, const GuidResourceKey& b) const
{
    static_assert(sizeof(GUID) == 16, "a GUID is compared as its 16 stored bytes");
    return std::memcmp(&a.guid, &b.guid, sizeof(GUID)) < 0;
}

void ReadBlobMapEntry(DS_IOF_Archive* ar, FileLinkValue& key, std::vector<ResourceBlob>& blobs)
{
    ReadLinkValue(ar, key);
    if (ar->Failed()) return;
    ReadBlobList(ar, blobs);
}

void ReadFrameTimeEntry(DS_IOF_Archive* ar, FileLinkValue& key, std::vector<float>& durations)
{
    ReadLinkValue(ar, key);
    if (ar->Failed()) return;
    ReadFloatList(ar, durations);
}

void ReadGuidImageRecord(DS_IOF_Archive* ar, GuidImageRecord& record)
{
    ReadGuid(record.key.guid, ar);
    ar->archive->ReadString(record.key.name);
    ar->archive->ReadBool(record.key.flag);
    ar->archive->ReadEmbeddedFile(record.picture);
}

ResourceStore::~ResourceStore()
{
    // The chains go before every other map, as their owner promised.
    renderTargets.clear();
}

void ResourceStore::ReadBlobMap(DS_IOF_Archive* ar, BlobMap& map)
{
    ReadMap(ar, map, [ar](FileLinkValue& key, std::vector<ResourceBlob>& blobs) { ReadBlobMapEntry(ar, key, blobs); });
}

void ResourceStore::ReadFrameTimeMap(DS_IOF_Archive* ar, FrameTimeMap& map)
{
    ReadMap(ar, map,
            [ar](FileLinkValue& key, std::vector<float>& durations) { ReadFrameTimeEntry(ar, key, durations); });
}

void ResourceStore::ReadGuidImageMap(DS_IOF_Archive* ar, GuidImageMap& map)
{
    ReadMap(ar, map, [ar](GuidResourceKey& key, GuidImageRecord& record) {
        ReadGuidImageRecord(ar, record);
        key = record.key;
    });
}

void ResourceStore::WriteBlobMap(DS_IOF_Archive* ar, const BlobMap& map)
{
    ar->archive->WriteInt(static_cast<int32_t>(map.size()));
    for (const auto& [key, blobs] : map) {
        WriteLinkValue(ar, key);
        WriteBlobList(ar, blobs);
    }
}

void ResourceStore::WriteFrameTimeMap(DS_IOF_Archive* ar, const FrameTimeMap& map)
{
    ar->archive->WriteInt(static_cast<int32_t>(map.size()));
    for (const auto& [key, durations] : map) {
        WriteLinkValue(ar, key);
        WriteFloatList(ar, durations);
    }
}

void ResourceStore::WriteGuidImageMap(DS_IOF_Archive* ar, const GuidImageMap& map)
{
    ar->archive->WriteInt(static_cast<int32_t>(map.size()));
    for (const auto& entry : map) {
        const GuidImageRecord& record = entry.second;
        WriteGuid(record.key.guid, ar);
        ar->archive->WriteString(record.key.name);
        ar->archive->WriteBool(record.key.flag);
        ar->archive->WriteEmbeddedFile(record.picture);
    }
}

DS_DocResManager::DS_DocResManager(IDirect3DDevice9* device, const ds_string& moduleFolder)
    : device_(device),
      loader_(std::make_unique<TextureLoader>(device, moduleFolder)),
      store_(std::make_unique<ResourceStore>())
{
}

DS_DocResManager::~DS_DocResManager()
{
    OnLostDevice();
    if (CurrentDocResManager() == this) {
        SetCurrentDocResManager(nullptr);
    }
    loader_.reset();
    store_.reset();
}

bool DS_DocResManager::Read(DS_IOF_Archive* ar, int32_t version)
{
    // Every version is read: the oldest two lack the later maps, and any
    // other version (newer ones included) is read as the newest layout. A
    // record that does not match still fails when its bytes run out.
    ResourceStore& store = *store_;
    ResourceStore::ReadBlobMap(ar, store.images);
    if (!ar->Failed()) ResourceStore::ReadFrameTimeMap(ar, store.frameTimes);
    if (ar->Failed()) return false;
    BuildTextureSets();
    if (version != kVersionPicturesOnly) {
        BlobMap linked;
        ResourceStore::ReadBlobMap(ar, linked);
        if (ar->Failed()) return false;
        for (const auto& [key, blobs] : linked) {
            store.byteCache.emplace(key, blobs);  // bytes cached from a picture stay
        }
        store.linkedFiles.insert(linked.begin(), linked.end());
    }
    if (version != kVersionPicturesOnly && version != kVersionWithoutMasks) {
        ResourceStore::ReadGuidImageMap(ar, store.maskImages);
        if (ar->Failed()) {
            store.maskImages.clear();
            return false;
        }
        BuildMaskTextures();
    }
    return true;
}

void DS_DocResManager::BuildTextureSets()
{
    ResourceStore& store = *store_;
    for (const auto& [key, blobs] : store.images) {
        TextureFrames& set = store.textureSets[key];
        store.byteCache[key] = blobs;
        set.textures.assign(blobs.size(), ComPtr<IDirect3DTexture9>());
        for (size_t i = 0; i < blobs.size(); ++i) {
            const TextureEntry entry = loader_->GetTexture(blobs[i]);
            set.textures[i] = entry.texture;
            set.width = entry.width;  // the last frame's size remains
            set.height = entry.height;
            set.aspect = entry.ratio;
        }
        if (blobs.size() > 1) {
            set.durations = store.frameTimes[key];
        }
    }
    store.images.clear();
}

void DS_DocResManager::BuildMaskTextures()
{
    ResourceStore& store = *store_;
    for (const auto& [key, record] : store.maskImages) {
        const TextureEntry entry = loader_->LoadFromMemory(record.picture.data.data(), record.picture.data.size());
        if (entry.texture) {
            store.maskTextures[key] = entry.texture;
        }
    }
    store.maskImages.clear();
}

void DS_DocResManager::Write(DS_IOF_Archive* ar)
{
    const ResourceStore& store = *store_;
    WriteRecordHeader(ar, kClassName, kVersion);
    ResourceStore::WriteBlobMap(ar, store.images);
    ResourceStore::WriteFrameTimeMap(ar, store.frameTimes);
    ResourceStore::WriteBlobMap(ar, store.linkedFiles);
    ResourceStore::WriteGuidImageMap(ar, store.maskImages);
}

std::unique_ptr<DS_DocResManager> ReadDocResManager(DS_IOF_Archive* ar, int32_t version)
{
    auto manager = std::make_unique<DS_DocResManager>();
    if (!manager->Read(ar, version)) {
        return nullptr;
    }
    return manager;
}

void DocResManagerContent::ReadResourceManager(DS_IOF_Archive* ar, int32_t version)
{
    manager_ = ReadDocResManager(ar, version);
}

namespace {

HRESULT MakeManagerCurrent(HRESULT loaded, DocResManagerContent& content)
{
    if (FAILED(loaded) || !content.Manager()) {
        content.Manager().reset();
        return FAILED(loaded) ? loaded : kErrSceneDocument;
    }
    SetCurrentDocResManager(content.Manager().get());
    return S_OK;
}

}  // namespace

HRESULT ReadSceneDocumentAndManager(const uint8_t* bytes, size_t size, const SceneClassRegistry& classes,
                                    DocResManagerContent& content)
{
    return MakeManagerCurrent(ReadSceneDocument(bytes, size, classes, content), content);
}

HRESULT LoadSceneDocumentAndManager(DocResManagerContent& content, HMODULE module)
{
    return MakeManagerCurrent(LoadSceneDocument(content, module), content);
}
