// Turns resource blobs into Direct3D textures and meshes: from the program's
// own "DDS" resources, from "DDS" resources of modules named by documents
// (for example "common_res.dll"), from files and from bytes. What it makes
// from module resources and files is made once per loader and shared.
//
// Modules are only ever mapped as resource files (LoadLibraryExW with
// LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE), looked for in
// the program's own folder first: a library planted elsewhere on the search
// path, or named by a document, never runs code in this process. A module
// that cannot be found is not remembered, so a later request tries again.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "engine/archive/IOF_Virtual.h"
#include "engine/archive/ResourceModule.h"
#include "engine/render/TextureEntry.h"
#include "engine/resources/ComPtr.h"

// A mesh ready for drawing: indexed triangle list, 16-bit indices.
struct MeshEntry {
    ComPtr<IDirect3DVertexBuffer9> vertexBuffer;
    ComPtr<IDirect3DIndexBuffer9> indexBuffer;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    float radius = 0.0f;
    D3DXVECTOR3 centre{0.0f, 0.0f, 0.0f};

    bool IsEmpty() const { return !vertexBuffer || !indexBuffer || faceCount == 0; }
};

// Orders (module name, number) keys by the name's code units, then number.
struct ModuleIdLess {
    bool operator()(const std::pair<ds_string, int32_t>& a, const std::pair<ds_string, int32_t>& b) const
    {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    }
};

class TextureLoader {
public:
    // The loader creates everything on device (a reference is kept). Module
    // names without a folder are looked for in moduleFolder first (the
    // program's own folder when empty).
    explicit TextureLoader(IDirect3DDevice9* device, ds_string moduleFolder = {});
    TextureLoader(const TextureLoader&) = delete;
    TextureLoader& operator=(const TextureLoader&) = delete;

    static void Create(std::unique_ptr<TextureLoader>& holder, IDirect3DDevice9* device);

    // True with the module's handle when it is available: the empty name is
    // the program itself (null handle); other names are mapped as resource
    // files and cached. False, with nothing cached, when the module is missing.
    bool GetModule(const ds_string& name, HMODULE& module);

    // The texture for a blob (the caller gets its own reference):
    // - a named blob with bytes: made from the bytes, not cached;
    // - a named blob without bytes: the file at that path, cached by path;
    // - otherwise resource `id` of module `module`, cached per module, falling
    //   back to the blob's bytes when the module or the resource is missing.
    // A texture that cannot be made gives an entry without texture; the next
    // request tries again.
    TextureEntry GetTexture(const ResourceBlob& blob);
    // The program's own "DDS" resource 2 with a full mip chain, made once.
    ComPtr<IDirect3DTexture9> GetDefaultTexture();
    // The mesh for a blob: the module's "DDS" resource (cached per module and
    // number), else the blob's bytes, else the file the blob names. Missing or
    // unreadable data gives an empty entry.
    MeshEntry GetMesh(const ResourceBlob& blob, uint32_t vertexSize);

    // A file's texture, cached under the path.
    TextureEntry LoadFromFile(const ds_string& path);
    // A texture from bytes (one level, managed pool), not cached.
    TextureEntry LoadFromMemory(const void* bytes, size_t size);

private:
    ComPtr<IDirect3DDevice9> device_;
    ds_string moduleFolder_;
    std::map<int32_t, ComPtr<IDirect3DTexture9>> ownTextures_;
    std::map<ds_string, TextureEntry> fileTextures_;
    std::map<std::pair<HMODULE, int32_t>, TextureEntry> moduleTextures_;
    std::map<std::pair<ds_string, int32_t>, TextureEntry, ModuleIdLess> missingModuleTextures_;
    std::map<std::pair<ds_string, int32_t>, std::vector<MeshEntry>, ModuleIdLess> meshes_;
    std::map<ds_string, HMODULE> modules_;
};

// Loading functions. Each returns S_OK, the D3DX or device failure, or E_FAIL
// when no data or no object resulted; on failure the output stays empty.
// Textures are made in the managed pool, in the image's format and size.
// LoadTextureResource reads "DDS" number of module (null: the program).
HRESULT LoadTextureResource(IDirect3DDevice9* device, int32_t number, bool fullMip, TextureEntry& entry,
                            HMODULE module = nullptr);
HRESULT LoadModuleTextureResource(IDirect3DDevice9* device, HMODULE module, int32_t number, TextureEntry& entry);
HRESULT LoadTextureFromMemory(IDirect3DDevice9* device, const void* bytes, size_t size, TextureEntry& entry);
HRESULT LoadTextureFromFile(IDirect3DDevice9* device, const ds_string& path, TextureEntry& entry);

// Meshes from .x data: vertices as position, normal and one texture
// coordinate pair (32 bytes), each vertex written vertexSize bytes apart
// (zero-filled beyond 32 bytes, cut when smaller).
HRESULT LoadMeshResource(IDirect3DDevice9* device, HMODULE module, int32_t number, uint32_t vertexSize,
                         MeshEntry& entry);
HRESULT LoadMeshFromMemory(IDirect3DDevice9* device, const void* bytes, size_t size, uint32_t vertexSize,
                           MeshEntry& entry);
HRESULT LoadMeshFromFile(IDirect3DDevice9* device, const ds_string& path, uint32_t vertexSize, MeshEntry& entry);

// The bytes of a module's "DDS" resource (module null: the program's own);
// false when missing or empty.
bool LockModuleResource(HMODULE module, int32_t number, const void*& bytes, size_t& size);

