#include "engine/resources/TextureLoader.h"

#include <climits>
#include <cstring>

#include "engine/resources/DudvDds.h"

namespace {

constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr uint32_t kMissingModuleWidth = 800;  // preset size of a stand-in texture
constexpr uint32_t kMissingModuleHeight = 600;
constexpr int32_t kDefaultTextureNumber = 2;
const wchar_t kPictureType[] = L"DDS";

// Stores what a D3DX creation call made into entry; E_FAIL when it reported
// success but made nothing.
HRESULT StoreTexture(HRESULT hr, IDirect3DTexture9* texture, const D3DXIMAGE_INFO& info, TextureEntry& entry)
{
    if (FAILED(hr)) {
        return hr;
    }
    if (!texture) {
        return E_FAIL;
    }
    entry.Set(texture, info);
    return S_OK;
}

HRESULT TextureFromMemory(IDirect3DDevice9* device, const void* bytes, size_t size, UINT levels, DWORD filter,
                          DWORD mipFilter, TextureEntry& entry)
{
    entry.Clear();
    // D3DX must never see a null pointer or an empty blob.
    if (!device || !bytes || size == 0 || size > UINT_MAX) {
        return E_FAIL;
    }
    D3DXIMAGE_INFO info = {};
    ComPtr<IDirect3DTexture9> texture;
    const HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(
        device, bytes, static_cast<UINT>(size), D3DX_DEFAULT, D3DX_DEFAULT, levels, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
        filter, mipFilter, 0, &info, nullptr, texture.ReleaseAndGetAddressOf());
    if (FAILED(hr) && IsV8U8Dds(bytes, size)) {
        // A du/dv map this D3DX cannot read: made as it is stored.
        uint32_t width = 0, height = 0;
        const HRESULT made = LoadV8U8Dds(device, bytes, size, texture, width, height);
        if (SUCCEEDED(made)) entry.Set(texture.Get(), width, height);
        return made;
    }
    return StoreTexture(hr, texture.Get(), info, entry);
}

// Locks the mesh's index data (indices true) or vertex data read-only and
// all of target for writing, and lets fill(to, from) copy between them.
template <class Buffer, class Fill>
HRESULT CopyFromMesh(ID3DXMesh* mesh, bool indices, Buffer* target, UINT bytes, Fill fill)
{
    void* from = nullptr;
    HRESULT hr =
        indices ? mesh->LockIndexBuffer(D3DLOCK_READONLY, &from) : mesh->LockVertexBuffer(D3DLOCK_READONLY, &from);
    if (FAILED(hr)) {
        return hr;
    }
    void* to = nullptr;
    hr = target->Lock(0, bytes, &to, 0);
    if (SUCCEEDED(hr)) {
        fill(static_cast<uint8_t*>(to), static_cast<const uint8_t*>(from));
        target->Unlock();
    }
    if (indices) {
        mesh->UnlockIndexBuffer();
    } else {
        mesh->UnlockVertexBuffer();
    }
    return hr;
}

HRESULT CopyMeshIndexBuffer(IDirect3DDevice9* device, ID3DXMesh* mesh, ComPtr<IDirect3DIndexBuffer9>& result)
{
    result.Reset();
    if (mesh->GetOptions() & D3DXMESH_32BIT) {
        return E_FAIL;  // drawing uses 16-bit indices only
    }
    const UINT bytes = mesh->GetNumFaces() * 3 * sizeof(uint16_t);
    ComPtr<IDirect3DIndexBuffer9> copy;
    HRESULT hr = device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                           copy.ReleaseAndGetAddressOf(), nullptr);
    if (SUCCEEDED(hr)) {
        hr = CopyFromMesh(mesh, true, copy.Get(), bytes,
                          [bytes](uint8_t* to, const uint8_t* from) { std::memcpy(to, from, bytes); });
    }
    if (SUCCEEDED(hr)) {
        result = std::move(copy);
    }
    return hr;
}

// Copies every vertex of the mesh at its real stride into a buffer whose
// vertices lie vertexSize bytes apart, so a caller's size other than the
// mesh's own never reads past the mesh's vertices.
HRESULT CopyMeshVertexBuffer(IDirect3DDevice9* device, ID3DXMesh* mesh, uint32_t vertexSize,
                             ComPtr<IDirect3DVertexBuffer9>& result)
{
    result.Reset();
    const size_t count = mesh->GetNumVertices();
    const size_t stride = mesh->GetNumBytesPerVertex();
    const UINT bytes = static_cast<UINT>(count * vertexSize);
    ComPtr<IDirect3DVertexBuffer9> copy;
    HRESULT hr = device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED,
                                            copy.ReleaseAndGetAddressOf(), nullptr);
    if (SUCCEEDED(hr)) {
        hr = CopyFromMesh(mesh, false, copy.Get(), bytes, [=](uint8_t* to, const uint8_t* from) {
            const size_t take = stride < vertexSize ? stride : vertexSize;
            std::memset(to, 0, bytes);
            for (size_t i = 0; i < count; ++i) {
                std::memcpy(to + i * vertexSize, from + i * stride, take);
            }
        });
    }
    if (SUCCEEDED(hr)) {
        result = std::move(copy);
    }
    return hr;
}

// Builds the entry from a .x mesh and its adjacency, as loaded by a D3DX
// call that returned loadResult.
HRESULT BuildMeshEntry(HRESULT loadResult, IDirect3DDevice9* device, ID3DXMesh* loaded, ID3DXBuffer* adjacency,
                       uint32_t vertexSize, MeshEntry& entry)
{
    if (FAILED(loadResult)) {
        return loadResult;
    }
    if (!loaded) {
        return E_FAIL;
    }
    ComPtr<ID3DXMesh> clone;
    HRESULT hr = loaded->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kMeshFvf, device, clone.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    if (!clone) {
        return E_FAIL;
    }
    const DWORD* adjacent = adjacency ? static_cast<const DWORD*>(adjacency->GetBufferPointer()) : nullptr;
    hr = D3DXComputeNormals(clone.Get(), adjacent);
    if (FAILED(hr)) {
        return hr;
    }
    // The clone is what gets drawn, so the clone is optimised (the clone keeps
    // the loaded mesh's faces, so its adjacency still holds). Optimising only
    // reorders: a failure leaves a mesh that draws the same.
    // Wine 8 d3dx9, 2026-12: D3DXMESHOPT_VERTEXCACHE returns E_NOTIMPL; the
    // call is repeated without it.
    if (FAILED(clone->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, adjacent,
                                      nullptr, nullptr, nullptr))) {
        clone->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, adjacent, nullptr, nullptr, nullptr);
    }
    MeshEntry made;
    made.vertexCount = clone->GetNumVertices();
    made.faceCount = clone->GetNumFaces();
    if (made.vertexCount == 0 || made.faceCount == 0) {
        return E_FAIL;
    }
    hr = CopyMeshIndexBuffer(device, clone.Get(), made.indexBuffer);
    if (FAILED(hr)) {
        return hr;
    }
    hr = CopyMeshVertexBuffer(device, clone.Get(), vertexSize, made.vertexBuffer);
    if (FAILED(hr)) {
        return hr;
    }
    void* vertices = nullptr;
    hr = clone->LockVertexBuffer(D3DLOCK_READONLY, &vertices);
    if (FAILED(hr)) {
        return hr;
    }
    hr = D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(vertices), made.vertexCount,
                                   clone->GetNumBytesPerVertex(), &made.centre, &made.radius);
    clone->UnlockVertexBuffer();
    if (FAILED(hr)) {
        return hr;
    }
    entry = std::move(made);
    return S_OK;
}

}  // namespace

bool LockModuleResource(HMODULE module, int32_t number, const void*& bytes, size_t& size)
{
    bytes = nullptr;
    size = 0;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(number), kPictureType);
    if (!found) {
        return false;
    }
    const DWORD length = SizeofResource(module, found);
    HGLOBAL loaded = length != 0 ? LoadResource(module, found) : nullptr;
    const void* locked = loaded ? LockResource(loaded) : nullptr;
    if (!locked) {
        return false;
    }
    bytes = locked;
    size = length;
    return true;
}

HRESULT LoadTextureResource(IDirect3DDevice9* device, int32_t number, bool fullMip, TextureEntry& entry, HMODULE module)
{
    entry.Clear();
    const void* bytes = nullptr;
    size_t size = 0;
    if (!LockModuleResource(module, number, bytes, size)) {
        return E_FAIL;
    }
    return TextureFromMemory(device, bytes, size, fullMip ? D3DX_DEFAULT : 1, D3DX_FILTER_NONE,
                             fullMip ? D3DX_DEFAULT : D3DX_FILTER_NONE, entry);
}

HRESULT LoadModuleTextureResource(IDirect3DDevice9* device, HMODULE module, int32_t number, TextureEntry& entry)
{
    entry.Clear();
    const void* bytes = nullptr;
    size_t size = 0;
    if (!LockModuleResource(module, number, bytes, size)) {
        return E_FAIL;
    }
    return LoadTextureFromMemory(device, bytes, size, entry);
}

HRESULT LoadTextureFromMemory(IDirect3DDevice9* device, const void* bytes, size_t size, TextureEntry& entry)
{
    return TextureFromMemory(device, bytes, size, 1, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, entry);
}

HRESULT LoadTextureFromFile(IDirect3DDevice9* device, const ds_string& path, TextureEntry& entry)
{
    entry.Clear();
    if (!device || path.empty()) {
        return E_FAIL;
    }
    D3DXIMAGE_INFO info = {};
    ComPtr<IDirect3DTexture9> texture;
    const HRESULT hr = D3DXCreateTextureFromFileExW(
        device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
        D3DX_FILTER_NONE, 0, &info, nullptr, texture.ReleaseAndGetAddressOf());
    return StoreTexture(hr, texture.Get(), info, entry);
}

HRESULT LoadMeshFromMemory(IDirect3DDevice9* device, const void* bytes, size_t size, uint32_t vertexSize,
                           MeshEntry& entry)
{
    entry = MeshEntry{};
    if (!device || !bytes || size == 0 || size > UINT_MAX || vertexSize == 0) {
        return E_FAIL;
    }
    ComPtr<ID3DXBuffer> adjacency;
    ComPtr<ID3DXMesh> mesh;
    const HRESULT hr = D3DXLoadMeshFromXInMemory(bytes, static_cast<DWORD>(size), D3DXMESH_SYSTEMMEM, device,
                                                 adjacency.ReleaseAndGetAddressOf(), nullptr, nullptr, nullptr,
                                                 mesh.ReleaseAndGetAddressOf());
    return BuildMeshEntry(hr, device, mesh.Get(), adjacency.Get(), vertexSize, entry);
}

HRESULT LoadMeshFromFile(IDirect3DDevice9* device, const ds_string& path, uint32_t vertexSize, MeshEntry& entry)
{
    entry = MeshEntry{};
    if (!device || path.empty() || vertexSize == 0) {
        return E_FAIL;
    }
    ComPtr<ID3DXBuffer> adjacency;
    ComPtr<ID3DXMesh> mesh;
    const HRESULT hr = D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_SYSTEMMEM, device, adjacency.ReleaseAndGetAddressOf(),
                                          nullptr, nullptr, nullptr, mesh.ReleaseAndGetAddressOf());
    return BuildMeshEntry(hr, device, mesh.Get(), adjacency.Get(), vertexSize, entry);
}

HRESULT LoadMeshResource(IDirect3DDevice9* device, HMODULE module, int32_t number, uint32_t vertexSize,
                         MeshEntry& entry)
{
    entry = MeshEntry{};
    const void* bytes = nullptr;
    size_t size = 0;
    if (!LockModuleResource(module, number, bytes, size)) {
        return E_FAIL;
    }
    return LoadMeshFromMemory(device, bytes, size, vertexSize, entry);
}

TextureLoader::TextureLoader(IDirect3DDevice9* device, ds_string moduleFolder)
    : device_(device), moduleFolder_(moduleFolder.empty() ? ProgramFolder() : std::move(moduleFolder))
{
}

void TextureLoader::Create(std::unique_ptr<TextureLoader>& holder, IDirect3DDevice9* device)
{
    holder = std::make_unique<TextureLoader>(device);
}

bool TextureLoader::GetModule(const ds_string& name, HMODULE& module)
{
    module = nullptr;
    const auto cached = modules_.find(name);
    if (cached != modules_.end()) {
        module = cached->second;
        return true;
    }
    if (!name.empty()) {
        module = LoadResourceModule(name, moduleFolder_);
        if (!module) {
            return false;  // not remembered: the next request tries again
        }
    }
    // Handles stay mapped until the process ends.
    modules_.emplace(name, module);
    return true;
}

TextureEntry TextureLoader::GetTexture(const ResourceBlob& blob)
{
    if (!blob.name.empty()) {
        if (!blob.data.empty()) {
            return LoadFromMemory(blob.data.data(), blob.data.size());
        }
        return LoadFromFile(blob.name);
    }
    HMODULE module = nullptr;
    if (GetModule(blob.module, module)) {
        TextureEntry& entry = moduleTextures_[{module, blob.id}];
        if (!entry.texture) {
            if (FAILED(LoadModuleTextureResource(device_.Get(), module, blob.id, entry))) {
                LoadTextureFromMemory(device_.Get(), blob.data.data(), blob.data.size(), entry);
            }
        }
        return entry;
    }
    TextureEntry& entry = missingModuleTextures_[{blob.module, blob.id}];
    if (!entry.texture) {
        if (FAILED(LoadTextureFromMemory(device_.Get(), blob.data.data(), blob.data.size(), entry))) {
            entry.width = kMissingModuleWidth;
            entry.height = kMissingModuleHeight;
        }
    }
    return entry;
}

ComPtr<IDirect3DTexture9> TextureLoader::GetDefaultTexture()
{
    ComPtr<IDirect3DTexture9>& texture = ownTextures_[kDefaultTextureNumber];
    if (!texture) {
        TextureEntry entry;
        if (SUCCEEDED(LoadTextureResource(device_.Get(), kDefaultTextureNumber, true, entry))) {
            texture = entry.texture;
        }
    }
    return texture;
}

MeshEntry TextureLoader::GetMesh(const ResourceBlob& blob, uint32_t vertexSize)
{
    // Keyed by module and number: the same number in two modules is two meshes.
    std::vector<MeshEntry>& cached = meshes_[{blob.module, blob.id}];
    if (cached.size() == 1) {
        return cached.front();
    }
    MeshEntry entry;
    HMODULE module = nullptr;
    if (blob.name.empty() && GetModule(blob.module, module) &&
        SUCCEEDED(LoadMeshResource(device_.Get(), module, blob.id, vertexSize, entry))) {
        cached.push_back(entry);  // only meshes made are cached; a failure is retried
        return entry;
    }
    if (!blob.data.empty()) {
        LoadMeshFromMemory(device_.Get(), blob.data.data(), blob.data.size(), vertexSize, entry);
    } else if (!blob.name.empty()) {
        LoadMeshFromFile(device_.Get(), blob.name, vertexSize, entry);
    }
    return entry;
}

TextureEntry TextureLoader::LoadFromFile(const ds_string& path)
{
    TextureEntry& entry = fileTextures_[path];
    if (!entry.texture) {
        LoadTextureFromFile(device_.Get(), path, entry);
    }
    return entry;
}

TextureEntry TextureLoader::LoadFromMemory(const void* bytes, size_t size)
{
    TextureEntry entry;
    LoadTextureFromMemory(device_.Get(), bytes, size, entry);
    return entry;
}
