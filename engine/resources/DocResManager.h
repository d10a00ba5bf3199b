// The document resource manager: the last record of a scene document holds
// copies of the bytes of every picture, picture sequence, compiled effect
// and painted mask the scene uses, so a document plays without its author's
// files and without "common_res.dll". Reading the record turns the stored
// pictures into texture sets and the masks into mask textures; afterwards
// the manager serves the scene objects from its caches, filling a missing
// entry from the module or file that a link names. Everything is created on
// the manager's device with the manager's own texture loader and kept until
// the manager is destroyed.
//
// Default-pool objects (render-target chains) and the D3DX effects and fonts
// must be told about a device reset: OnLostDevice before IDirect3DDevice9::
// Reset, OnResetDevice after it.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/archive/IOF_Item.h"
#include "engine/archive/SceneDocument.h"
#include "engine/params/FontMediaParam.h"
#include "engine/render/RenderTargetChain.h"
#include "engine/render/TextureFrames.h"
#include "engine/resources/ComPtr.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/FileLink.h"
#include "engine/resources/TextureLoader.h"

// The key of the resources that belong to one scene object (painted masks,
// private render targets, fonts). Only the GUID identifies the key.
struct GuidResourceKey {
    GUID guid = {};
    ds_string name;
    bool flag = false;
};

// Orders keys by the GUID's 16 bytes as memcmp does; name and flag take no
// part, so two keys with the same GUID are one key.
struct GuidLess {
    bool operator()(const GuidResourceKey& a, const GuidResourceKey& b) const;
};

// A stored mask picture (PNG bytes in the program's document).
struct GuidImageRecord {
    GuidResourceKey key;
    EmbeddedFile picture;
};

using BlobMap = std::map<FileLinkValue, std::vector<ResourceBlob>, FileLinkLess>;
using FrameTimeMap = std::map<FileLinkValue, std::vector<float>, FileLinkLess>;
using GuidImageMap = std::map<GuidResourceKey, GuidImageRecord, GuidLess>;

// The manager's eleven maps. Declared in this order, so they are destroyed
// in the reverse order; the render-target chains go first of all.
class ResourceStore {
public:
    ResourceStore() = default;
    ResourceStore(const ResourceStore&) = delete;
    ResourceStore& operator=(const ResourceStore&) = delete;
    ~ResourceStore();

    // Stored record parts. Each reader inserts its entries (an entry whose key
    // is already present is not replaced) and stops at the first fault, with
    // the archive failed: a negative count, data that runs short.
    static void ReadBlobMap(DS_IOF_Archive* ar, BlobMap& map);
    static void ReadFrameTimeMap(DS_IOF_Archive* ar, FrameTimeMap& map);
    static void ReadGuidImageMap(DS_IOF_Archive* ar, GuidImageMap& map);
    // Writers: an int count, then the entries in key order.
    static void WriteBlobMap(DS_IOF_Archive* ar, const BlobMap& map);
    static void WriteFrameTimeMap(DS_IOF_Archive* ar, const FrameTimeMap& map);
    static void WriteGuidImageMap(DS_IOF_Archive* ar, const GuidImageMap& map);

    // 1. Bytes of linked files other than pictures (effects, meshes, sounds), kept for saving.
    BlobMap linkedFiles;
    // 2. Picture bytes, one blob per frame; only while reading and writing.
    BlobMap images;
    // 3. Frame durations of picture sequences.
    FrameTimeMap frameTimes;
    // 4. Mask pictures; only while reading and writing.
    GuidImageMap maskImages;
    // 5. Texture sets.
    std::map<FileLinkValue, TextureFrames, FileLinkLess> textureSets;
    // 6. Meshes.
    std::map<FileLinkValue, MeshEntry, FileLinkLess> meshes;
    // 7. Private render targets.
    std::map<GuidResourceKey, std::unique_ptr<RenderTargetChain>, GuidLess> renderTargets;
    // 8. Effects.
    std::map<FileLinkValue, ComPtr<ID3DXEffect>, FileLinkLess> effects;
    // 9. Fonts.
    std::map<GuidResourceKey, ComPtr<ID3DXFont>, GuidLess> fonts;
    // The sprite each font draws its text through. Without one, D3DX makes
    // and frees a sprite (with its vertex declaration and state block) on
    // every DrawText call.
    std::map<GuidResourceKey, ComPtr<ID3DXSprite>, GuidLess> fontSprites;
    // 10. The bytes of every picture and linked file the manager has seen.
    BlobMap byteCache;
    // 11. Mask textures made from the stored mask pictures.
    std::map<GuidResourceKey, ComPtr<IDirect3DTexture9>, GuidLess> maskTextures;
};

// Entry readers and writers of the stored maps; a failed read leaves the
// archive failed and the entry partly filled (the caller drops it).
void ReadBlobMapEntry(DS_IOF_Archive* ar, FileLinkValue& key, std::vector<ResourceBlob>& blobs);
void ReadFrameTimeEntry(DS_IOF_Archive* ar, FileLinkValue& key, std::vector<float>& durations);
void ReadGuidImageRecord(DS_IOF_Archive* ar, GuidImageRecord& record);

class DS_DocResManager : public DS_IOF_Item {
public:
    static constexpr int32_t kVersion = 3;
    // Older layouts: pictures and frame times only; then linked files too.
    static constexpr int32_t kVersionPicturesOnly = 1;
    static constexpr int32_t kVersionWithoutMasks = 2;
    static constexpr uint32_t kRenderTargetSize = 512;

    // Creates the manager's texture loader on device (the current device by
    // default). Module names are looked for in moduleFolder first (the
    // program's folder when empty).
    explicit DS_DocResManager(IDirect3DDevice9* device = CurrentDevice(), const ds_string& moduleFolder = {});
    DS_DocResManager(const DS_DocResManager&) = delete;
    DS_DocResManager& operator=(const DS_DocResManager&) = delete;
    // Tells the device-dependent objects the device is lost, stops being the
    // current manager when it is, then releases everything.
    ~DS_DocResManager() override;

    // Reads the record body of the given version and builds the texture
    // sets, byte cache and mask textures; a version other than the two older
    // layouts is read as the newest one. False when the archive failed (what
    // was read before the fault stays).
    bool Read(DS_IOF_Archive* ar, int32_t version);
    // Writes the record, header "DS_DocResManager" version 3.
    void Write(DS_IOF_Archive* ar) override;

    // Texture sets (references into the manager's map, valid as long as it).
    // A set without texture slots is filled from the module a ".dll" or empty
    // link names (one slot, empty when the module or resource is missing); a
    // file the document does not hold gives an empty set.
    TextureFrames& GetTextureSet(const FileLinkValue& link);
    TextureFrames& GetTextureSet(const DS_FileLink3& link) { return GetTextureSet(link.GetValue()); }
    std::vector<TextureFrames> GetTextureSetList(const std::vector<FileLinkValue>& links);
    std::vector<TextureFrames> GetTextureSetList(const std::vector<DS_ImageFileLink>& links);
    // A picture sequence resource of the module the link names ("DDS", the
    // stamp as number): a frame-time array, then a blob array. An empty set
    // when it is missing or unreadable.
    TextureFrames& LoadSequence(const DS_FileLink3& link);

    // Image links for bytes: the link's key comes from the (first) blob; the
    // blobs' bytes go to the byte cache and their textures to the key's set.
    // An empty blob list gives an empty link and changes nothing.
    void MakeImageLink(const ResourceBlob& blob, std::unique_ptr<DS_ImageFileLink>& link);
    void MakeSequenceLink(std::unique_ptr<DS_ImageFileLink>& link, const std::vector<ResourceBlob>& blobs,
                          const std::vector<float>& durations);
    // An image link for a file path; a duration above 0 becomes the single
    // frame's duration.
    void MakeImageLinkFromFile(float duration, const ds_string& path, std::unique_ptr<DS_ImageFileLink>& link);

    // The first cached blob of the link; for a ".dll" link without one, a
    // blob loaded from the module (without bytes when that fails). Null for
    // any other link without cached bytes.
    const ResourceBlob* GetBlob(const DS_FileLink3& link);
    // The link's mesh, built from its cached bytes or the module's "DDS"
    // resource with vertices vertexSize bytes apart. An empty entry (vertex
    // count 0) when there are no usable bytes; the next call tries again.
    const MeshEntry& GetMesh(const DS_FileLink3& link, uint32_t vertexSize);
    // The link's effect (the caller gets its own reference), from its cached
    // bytes or the module's RCDATA resource: a compiled effect or effect
    // source text (IsEffectForD3DX). Bytes that are missing, a compiled
    // effect that fails IsWellFormedEffect, or bytes that D3DX rejects give
    // null; the next call tries again.
    ComPtr<ID3DXEffect> GetEffect(const DS_FileLink3& link);
    // A new font for the key (the one held before for it is released); null
    // when D3DX cannot make it.
    ComPtr<ID3DXFont> GetFont(const GuidResourceKey& key, const FontMediaParam& font);
    // The sprite made with the key's font by GetFont (the caller gets its
    // own reference); null without a font or when D3DX cannot make one.
    ComPtr<ID3DXSprite> GetFontSprite(const GuidResourceKey& key) const;
    // The key's private render target, 512 x 512, starting as a copy of the
    // key's mask texture; made once. Null when the device cannot make it (the
    // next call tries again).
    RenderTargetChain* GetRenderTarget(const GuidResourceKey& key);

    // Before a device Reset: effects and fonts release their default-pool
    // objects, render-target chains their textures. After it: all made again
    // (chains at their size, from their key's mask texture).
    void OnLostDevice();
    void OnResetDevice();

    // Copies an image link's durations and bytes into the maps the record
    // stores; a link with an empty path changes nothing.
    void MarkForSave(const DS_FileLink3& link);

    TextureLoader& Loader() { return *loader_; }
    ResourceStore& Store() { return *store_; }
    const ResourceStore& Store() const { return *store_; }
    IDirect3DDevice9* Device() const { return device_.Get(); }

private:
    void LoadTextureFramesFromModule(const FileLinkValue& link, TextureFrames& set);
    std::vector<ResourceBlob>& EnsureCacheEntry(const FileLinkValue& link);
    void BuildTextureSets();
    void BuildMaskTextures();
    void RemakeChain(const GuidResourceKey& key, RenderTargetChain& chain, uint32_t width, uint32_t height);

    ComPtr<IDirect3DDevice9> device_;
    std::unique_ptr<TextureLoader> loader_;
    std::unique_ptr<ResourceStore> store_;
};

// Constructs a manager on the current device and reads its record body of
// the given version (the loader has read the header). Null when the read
// failed.
std::unique_ptr<DS_DocResManager> ReadDocResManager(DS_IOF_Archive* ar, int32_t version);

// The part of a scene document's content that reads the resource manager;
// the root's reader derives from it and reads the root record.
class DocResManagerContent : public SceneDocumentContent {
public:
    void ReadResourceManager(DS_IOF_Archive* ar, int32_t version) override;

    // The manager read (null before, or when reading it failed).
    std::unique_ptr<DS_DocResManager>& Manager() { return manager_; }

private:
    std::unique_ptr<DS_DocResManager> manager_;
};

// Read or load the scene document into content (see SceneDocument.h); when
// the whole document was read, its manager becomes the current manager (the
// caller keeps content's manager alive while it is current). A failed
// document discards the manager read and leaves the current one as it was.
// S_OK or kErrSceneDocument.
HRESULT ReadSceneDocumentAndManager(const uint8_t* bytes, size_t size, const SceneClassRegistry& classes,
                                    DocResManagerContent& content);
HRESULT LoadSceneDocumentAndManager(DocResManagerContent& content, HMODULE module = nullptr);
