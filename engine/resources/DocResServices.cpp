// The services of the document resource manager: texture sets, image links,
// bytes, meshes, effects, fonts and private render targets, each made once
// and cached (fonts excepted), and the device-loss handling of what lives in
// the default pool.
#include <utility>

#include "engine/archive/ResourceBuffer.h"
#include "engine/resources/DocResManager.h"
#include "engine/resources/EffectBytes.h"

namespace {

constexpr wchar_t kModuleExtension[] = L".dll";
constexpr wchar_t kPictureType[] = L"DDS";

// The blob that names resource `stamp` of module `path`, without bytes.
ResourceBlob ModuleBlob(const FileLinkValue& link)
{
    ResourceBlob blob;
    blob.id = static_cast<int32_t>(link.stamp);
    blob.module = link.path;
    return blob;
}

void TakeSize(TextureFrames& set, const TextureEntry& entry)
{
    set.width = entry.width;
    set.height = entry.height;
    set.aspect = entry.ratio;
}

// The first cached blob with bytes for link, else a blob filled from the
// module's resource of the given type (cached only when it got bytes, so a
// module that appears later is found on the next call). Null when neither
// gives bytes.
const ResourceBlob* CachedOrModuleBytes(TextureLoader& loader, std::vector<ResourceBlob>& cache,
                                        const FileLinkValue& link, const wchar_t* type)
{
    if (!cache.empty() && !cache.front().data.empty()) {
        return &cache.front();
    }
    HMODULE module = nullptr;
    if (!loader.GetModule(link.path, module)) {
        return nullptr;
    }
    ResourceBuffer resource;
    ResourceBlob blob = ModuleBlob(link);
    if (!ResourceBuffer::FromModule(module, blob.id, type, resource)) {
        return nullptr;
    }
    blob.data.assign(resource.Cursor(), resource.Cursor() + resource.Remaining());
    if (cache.empty()) {
        cache.push_back(std::move(blob));
    } else {
        cache.front().data = std::move(blob.data);  // the empty blob cached before gets the bytes
    }
    return &cache.front();
}

}  // namespace

std::vector<ResourceBlob>& DS_DocResManager::EnsureCacheEntry(const FileLinkValue& link)
{
    return store_->byteCache[link];
}

TextureFrames& DS_DocResManager::GetTextureSet(const FileLinkValue& link)
{
    TextureFrames& set = store_->textureSets[link];
    if (!set.textures.empty()) {
        return set;
    }
    if (link.path.empty() || DS_FileLink3(link).GetExtension() == kModuleExtension) {
        LoadTextureFramesFromModule(link, set);
    } else {
        EnsureCacheEntry(link);  // a file the document does not hold: no texture
    }
    return set;
}

void DS_DocResManager::LoadTextureFramesFromModule(const FileLinkValue& link, TextureFrames& set)
{
    const ResourceBlob blob = ModuleBlob(link);
    std::vector<ResourceBlob>& cache = EnsureCacheEntry(link);
    if (cache.empty()) {
        cache.push_back(blob);
    }
    const TextureEntry entry = loader_->GetTexture(blob);
    set.textures.assign(1, entry.texture);
    TakeSize(set, entry);
}

std::vector<TextureFrames> DS_DocResManager::GetTextureSetList(const std::vector<FileLinkValue>& links)
{
    std::vector<TextureFrames> sets;
    sets.reserve(links.size());
    for (const FileLinkValue& link : links) sets.push_back(GetTextureSet(link));
    return sets;
}

std::vector<TextureFrames> DS_DocResManager::GetTextureSetList(const std::vector<DS_ImageFileLink>& links)
{
    std::vector<TextureFrames> sets;
    sets.reserve(links.size());
    for (const DS_ImageFileLink& link : links) sets.push_back(GetTextureSet(link.GetValue()));
    return sets;
}

TextureFrames& DS_DocResManager::LoadSequence(const DS_FileLink3& link)
{
    const FileLinkValue& value = link.GetValue();
    TextureFrames& set = store_->textureSets[value];
    if (!set.textures.empty()) {
        return set;
    }
    HMODULE module = nullptr;
    const void* bytes = nullptr;
    size_t size = 0;
    if (!loader_->GetModule(value.path, module) ||
        !LockModuleResource(module, static_cast<int32_t>(value.stamp), bytes, size)) {
        return set;
    }
    ResourceBuffer resource(static_cast<const uint8_t*>(bytes), size);
    std::vector<float> durations;
    std::vector<ResourceBlob> blobs;
    // A damaged sequence resource leaves the set empty rather than half filled.
    if (!ReadFrameTimeArray(resource, durations) || !ReadBlobArray(resource, blobs)) {
        return set;
    }
    set.durations = std::move(durations);
    set.textures.clear();
    for (const ResourceBlob& blob : blobs) {
        const TextureEntry entry = loader_->GetTexture(blob);
        set.textures.push_back(entry.texture);
        TakeSize(set, entry);
    }
    EnsureCacheEntry(value) = std::move(blobs);
    return set;
}

void DS_DocResManager::MakeImageLink(const ResourceBlob& blob, std::unique_ptr<DS_ImageFileLink>& link)
{
    const DS_FileLink3 key(blob);
    std::vector<ResourceBlob>& cache = EnsureCacheEntry(key.GetValue());
    if (cache.empty()) {
        cache.push_back(blob);
    }
    const TextureEntry entry = loader_->GetTexture(blob);
    TextureFrames& set = store_->textureSets[key.GetValue()];
    set.textures.assign(1, entry.texture);
    TakeSize(set, entry);
    link = std::make_unique<DS_ImageFileLink>(key);
}

void DS_DocResManager::MakeSequenceLink(std::unique_ptr<DS_ImageFileLink>& link, const std::vector<ResourceBlob>& blobs,
                                        const std::vector<float>& durations)
{
    if (blobs.empty()) {
        link = std::make_unique<DS_ImageFileLink>();  // nothing to key: an empty link
        return;
    }
    const DS_FileLink3 key(blobs.front());
    TextureFrames& set = store_->textureSets[key.GetValue()];
    if (set.textures.empty()) {
        std::vector<ResourceBlob>& cache = EnsureCacheEntry(key.GetValue());
        for (const ResourceBlob& blob : blobs) {
            const TextureEntry entry = loader_->GetTexture(blob);
            set.textures.push_back(entry.texture);
            TakeSize(set, entry);
            cache.push_back(blob);
        }
        set.durations = durations;
    }
    link = std::make_unique<DS_ImageFileLink>(key);
}

void DS_DocResManager::MakeImageLinkFromFile(float duration, const ds_string& path,
                                             std::unique_ptr<DS_ImageFileLink>& link)
{
    link = std::make_unique<DS_ImageFileLink>(DS_FileLink3(path));
    TextureFrames& set = GetTextureSet(link->GetValue());
    if (duration > 0.0f) {
        if (set.durations.empty()) {
            set.durations.push_back(duration);
        } else if (set.durations.size() == 1) {
            set.durations.front() = duration;
        }
    }
}

const ResourceBlob* DS_DocResManager::GetBlob(const DS_FileLink3& link)
{
    const FileLinkValue& value = link.GetValue();
    auto cached = store_->byteCache.find(value);
    if (cached != store_->byteCache.end() && !cached->second.empty()) {
        return &cached->second.front();
    }
    if (link.GetExtension() != kModuleExtension) {
        return nullptr;
    }
    std::vector<ResourceBlob>& cache = EnsureCacheEntry(value);
    cache.push_back(ModuleBlob(value));
    // Without the module or its resource the blob stays without bytes.
    CachedOrModuleBytes(*loader_, cache, value, kPictureType);
    return &cache.front();
}

const MeshEntry& DS_DocResManager::GetMesh(const DS_FileLink3& link, uint32_t vertexSize)
{
    const FileLinkValue& value = link.GetValue();
    MeshEntry& mesh = store_->meshes[value];
    if (mesh.vertexCount != 0) {
        return mesh;
    }
    const ResourceBlob* bytes = CachedOrModuleBytes(*loader_, EnsureCacheEntry(value), value, kPictureType);
    if (bytes) {
        LoadMeshFromMemory(device_.Get(), bytes->data.data(), bytes->data.size(), vertexSize, mesh);
    }
    return mesh;
}

ComPtr<ID3DXEffect> DS_DocResManager::GetEffect(const DS_FileLink3& link)
{
    const FileLinkValue& value = link.GetValue();
    auto known = store_->effects.find(value);
    if (known != store_->effects.end() && known->second) {
        return known->second;
    }
    const ResourceBlob* bytes = CachedOrModuleBytes(*loader_, EnsureCacheEntry(value), value, RT_RCDATA);
    // Compiled effects or source text. D3DX9 does no bounds checking on a
    // compiled effect: a damaged one is treated as missing instead of being
    // handed to it. Source that D3DX cannot compile fails there and is
    // treated as missing too (Wine 8 d3dx9, 2026-12: it compiles no effect
    // source at all).
    if (!device_ || !bytes || !IsEffectForD3DX(bytes->data.data(), bytes->data.size())) {
        return {};
    }
    ComPtr<ID3DXEffect> effect;
    const HRESULT hr = D3DXCreateEffect(device_.Get(), bytes->data.data(), bytes->Size(), nullptr, nullptr, 0, nullptr,
                                        effect.ReleaseAndGetAddressOf(), nullptr);
    if (FAILED(hr) || !effect) {
        return {};
    }
    store_->effects[value] = effect;
    return effect;
}

ComPtr<ID3DXFont> DS_DocResManager::GetFont(const GuidResourceKey& key, const FontMediaParam& font)
{
    store_->fonts.erase(key);  // every call makes a new font; the old one is released
    store_->fontSprites.erase(key);
    if (!device_) {
        return {};
    }
    ComPtr<ID3DXFont> made;
    const HRESULT hr = D3DXCreateFontW(device_.Get(), font.height, 0, static_cast<UINT>(font.weight), 1,
                                       font.italic != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, DEFAULT_QUALITY, 0,
                                       font.faceName.c_str(), made.ReleaseAndGetAddressOf());
    if (FAILED(hr) || !made) {
        return {};
    }
    store_->fonts[key] = made;
    ComPtr<ID3DXSprite> sprite;
    if (SUCCEEDED(D3DXCreateSprite(device_.Get(), sprite.ReleaseAndGetAddressOf())) && sprite) {
        store_->fontSprites[key] = sprite;
    }
    return made;
}

ComPtr<ID3DXSprite> DS_DocResManager::GetFontSprite(const GuidResourceKey& key) const
{
    auto known = store_->fontSprites.find(key);
    return known != store_->fontSprites.end() ? known->second : ComPtr<ID3DXSprite>();
}

RenderTargetChain* DS_DocResManager::GetRenderTarget(const GuidResourceKey& key)
{
    auto known = store_->renderTargets.find(key);
    if (known != store_->renderTargets.end()) {
        return known->second.get();
    }
    if (!device_) {
        return nullptr;
    }
    auto chain = std::make_unique<RenderTargetChain>(device_.Get());
    RemakeChain(key, *chain, kRenderTargetSize, kRenderTargetSize);
    if (!chain->IsReady()) {
        return nullptr;  // the device refused: nothing is cached, the next call tries again
    }
    RenderTargetChain* result = chain.get();
    store_->renderTargets.emplace(key, std::move(chain));
    return result;
}

void DS_DocResManager::RemakeChain(const GuidResourceKey& key, RenderTargetChain& chain, uint32_t width,
                                   uint32_t height)
{
    const ComPtr<IDirect3DTexture9> mask = store_->maskTextures[key];
    chain.CopyFrom(mask.Get(), width, height);
}

void DS_DocResManager::OnLostDevice()
{
    for (auto& entry : store_->effects) {
        if (entry.second) entry.second->OnLostDevice();
    }
    for (auto& entry : store_->renderTargets) {
        entry.second->OnLostDevice();
    }
    for (auto& entry : store_->fonts) {
        if (entry.second) entry.second->OnLostDevice();
    }
    for (auto& entry : store_->fontSprites) {
        if (entry.second) entry.second->OnLostDevice();
    }
}

void DS_DocResManager::OnResetDevice()
{
    for (auto& entry : store_->effects) {
        if (entry.second) entry.second->OnResetDevice();
    }
    for (auto& [key, chain] : store_->renderTargets) {
        RemakeChain(key, *chain, chain->Width(), chain->Height());
    }
    for (auto& entry : store_->fonts) {
        if (entry.second) entry.second->OnResetDevice();
    }
    for (auto& entry : store_->fontSprites) {
        if (entry.second) entry.second->OnResetDevice();
    }
}

void DS_DocResManager::MarkForSave(const DS_FileLink3& link)
{
    const FileLinkValue& value = link.GetValue();
    if (value.path.empty()) {
        return;
    }
    auto set = store_->textureSets.find(value);
    if (set != store_->textureSets.end() && !set->second.durations.empty()) {
        store_->frameTimes[value] = set->second.durations;
    }
    auto cached = store_->byteCache.find(value);
    if (cached != store_->byteCache.end()) {
        store_->images[value] = cached->second;
    }
}
