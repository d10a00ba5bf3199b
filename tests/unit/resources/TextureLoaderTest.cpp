// The texture loader on a real device: pictures of every format from the
// program's resources, files and bytes; caching; module loading.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/resources/TextureLoader.h"
#include "unit/BuildFiles.h"
#include "unit/D3DTestDevice.h"

namespace {

// The colour of texel (x, y) of level 0 as 0xRRGGBB.
uint32_t Texel(IDirect3DTexture9* texture, int x, int y)
{
    D3DSURFACE_DESC desc = {};
    texture->GetLevelDesc(0, &desc);
    EXPECT_TRUE(desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8) << desc.Format;
    D3DLOCKED_RECT locked = {};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return 0xDEADBEEF;
    }
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
    const uint32_t value = row[x] & 0xFFFFFF;
    texture->UnlockRect(0);
    return value;
}

bool Near(uint32_t colour, uint32_t expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((colour >> shift) & 0xFF);
        const int b = static_cast<int>((expected >> shift) & 0xFF);
        if (a - b > 24 || b - a > 24) {
            return false;
        }
    }
    return true;
}

// The fixture is 32 x 16: red, green over blue, white.
void ExpectFixturePicture(const TextureEntry& entry, const std::string& what)
{
    ASSERT_TRUE(entry.texture) << what;
    EXPECT_EQ(entry.width, 32u) << what;
    EXPECT_EQ(entry.height, 16u) << what;
    EXPECT_FLOAT_EQ(entry.ratio, 0.5f) << what;
    EXPECT_PRED2(Near, Texel(entry.texture.Get(), 4, 3), 0xFF0000u) << what;
    EXPECT_PRED2(Near, Texel(entry.texture.Get(), 27, 3), 0x00FF00u) << what;
    EXPECT_PRED2(Near, Texel(entry.texture.Get(), 4, 12), 0x0000FFu) << what;
    EXPECT_PRED2(Near, Texel(entry.texture.Get(), 27, 12), 0xFFFFFFu) << what;
}

struct PictureCase {
    const wchar_t* file;
    int32_t resource;  // number in the test program's own "DDS" resources
};
const PictureCase kPictures[] = {
    {L"fixture.bmp", 301}, {L"fixture.png", 302}, {L"fixture.jpg", 303}, {L"fixture.dds", 304}};

std::string Narrow(const wchar_t* text)
{
    return std::string(text, text + wcslen(text));
}

ResourceBlob ModuleBlob(const ds_string& module, int32_t id)
{
    ResourceBlob blob;
    blob.module = module;
    blob.id = id;
    return blob;
}

class TempFolder {
public:
    explicit TempFolder(const wchar_t* tag = L"")
    {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        // Wine reuses process ids, and a module mapped by an earlier process
        // may have kept its file from being deleted: the tick count keeps
        // such leftovers out of this folder.
        path_ = std::wstring(base) + L"corvalline_loader_" + tag + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(GetTickCount64()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder()
    {
        for (const std::wstring& file : files_) {
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring Add(const std::wstring& name)
    {
        files_.push_back(path_ + name);
        return files_.back();
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

}  // namespace

class TextureLoaderTest : public D3DTestDevice {};

TEST_F(TextureLoaderTest, LoadsEveryFormatFromResourcesFilesAndBytes)
{
    TextureLoader loader(Device());
    for (const PictureCase& picture : kPictures) {
        const std::string name = Narrow(picture.file);
        ExpectFixturePicture(loader.GetTexture(ModuleBlob(L"", picture.resource)), name + " resource");

        ResourceBlob file;
        file.name = FixturePath(picture.file);
        ExpectFixturePicture(loader.GetTexture(file), name + " file");

        ResourceBlob bytes = file;
        bytes.data = ReadFixtureBytes(picture.file);
        ASSERT_FALSE(bytes.data.empty()) << name;
        ExpectFixturePicture(loader.GetTexture(bytes), name + " bytes");
    }
}

TEST_F(TextureLoaderTest, CachesModuleAndFileTexturesButNotBytes)
{
    TextureLoader loader(Device());
    const ResourceBlob resource = ModuleBlob(L"common_res.dll", 62);
    EXPECT_EQ(loader.GetTexture(resource).texture.Get(), loader.GetTexture(resource).texture.Get());
    ASSERT_TRUE(loader.GetTexture(resource).texture);

    ResourceBlob file;
    file.name = FixturePath(L"fixture.png");
    EXPECT_EQ(loader.GetTexture(file).texture.Get(), loader.GetTexture(file).texture.Get());

    ResourceBlob bytes = file;
    bytes.data = ReadFixtureBytes(L"fixture.png");
    EXPECT_NE(loader.GetTexture(bytes).texture.Get(), loader.GetTexture(bytes).texture.Get());

    ComPtr<IDirect3DTexture9> first = loader.GetDefaultTexture();
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Get(), loader.GetDefaultTexture().Get());
    EXPECT_GT(first->GetLevelCount(), 1u);  // full mip chain
}

TEST_F(TextureLoaderTest, ModulesAreMappedAsResourcesOnly)
{
    TextureLoader loader(Device());
    HMODULE module = nullptr;
    ASSERT_TRUE(loader.GetModule(L"common_res.dll", module));
    // A data-file mapping has its low bits set and is no loaded module.
    EXPECT_NE(reinterpret_cast<ULONG_PTR>(module) & 3, 0u);
    EXPECT_EQ(GetModuleHandleW(L"common_res.dll"), nullptr);
    HMODULE again = nullptr;
    ASSERT_TRUE(loader.GetModule(L"common_res.dll", again));
    EXPECT_EQ(module, again);

    HMODULE own = reinterpret_cast<HMODULE>(1);
    EXPECT_TRUE(loader.GetModule(L"", own));
    EXPECT_EQ(own, nullptr);
}

TEST_F(TextureLoaderTest, MissingModuleUsesBlobBytesAndIsRetriedLater)
{
    TempFolder folder;
    TextureLoader loader(Device(), folder.Path());
    // A name no earlier test of this process has mapped (mapped modules stay
    // loaded until the process ends).
    const ds_string name = L"corvalline_probe_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                           std::to_wstring(GetTickCount64()) + L".dll";
    HMODULE module = nullptr;
    EXPECT_FALSE(loader.GetModule(name, module));

    // Missing module: the blob's bytes stand in, cached under name and number.
    ResourceBlob blob = ModuleBlob(name, 62);
    blob.data = ReadFixtureBytes(L"fixture.dds");
    const TextureEntry standIn = loader.GetTexture(blob);
    ExpectFixturePicture(standIn, "stand-in");
    EXPECT_EQ(standIn.texture.Get(), loader.GetTexture(blob).texture.Get());

    // Missing module and no bytes: no texture, the preset size, no crash.
    const TextureEntry empty = loader.GetTexture(ModuleBlob(name, 63));
    EXPECT_FALSE(empty.texture);
    EXPECT_EQ(empty.width, 800u);

    // The module appears: the next request finds it.
    ASSERT_TRUE(
        CopyFileW((D3DTestDevice::ProgramDirectory() + L"common_res.dll").c_str(), folder.Add(name).c_str(), FALSE));
    ASSERT_TRUE(loader.GetModule(name, module));
    const TextureEntry real = loader.GetTexture(ModuleBlob(name, 8));
    ASSERT_TRUE(real.texture);
    EXPECT_EQ(real.width, 128u);
}

TEST_F(TextureLoaderTest, BadInputGivesEmptyResults)
{
    TextureLoader loader(Device());
    const std::vector<uint8_t> garbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    struct Case {
        const char* what;
        ResourceBlob blob;
    } cases[] = {
        {"missing resource of own program", ModuleBlob(L"", 9999)},
        {"missing resource of library", ModuleBlob(L"common_res.dll", 9999)},
        {"missing file", {}},
        {"garbage bytes", {}},
    };
    cases[2].blob.name = FixturePath(L"no_such_file.png");
    cases[3].blob.name = L"garbage.png";
    cases[3].blob.data = garbage;
    for (const Case& c : cases) {
        EXPECT_FALSE(loader.GetTexture(c.blob).texture) << c.what;
        EXPECT_TRUE(loader.GetMesh(c.blob, 32).IsEmpty()) << c.what;
    }
    EXPECT_FALSE(loader.LoadFromMemory(nullptr, 0).texture);
    EXPECT_FALSE(loader.LoadFromMemory(garbage.data(), 0).texture);
    MeshEntry mesh;
    EXPECT_TRUE(FAILED(LoadMeshFromMemory(Device(), nullptr, 0, 32, mesh)));
    EXPECT_TRUE(FAILED(LoadMeshFromMemory(Device(), garbage.data(), garbage.size(), 32, mesh)));
    EXPECT_TRUE(mesh.IsEmpty());
}

// The mesh is copied at the clone's real stride (32 bytes: position, normal,
// texture pair) into the caller's vertex size, from resources, bytes and files.
TEST_F(TextureLoaderTest, MeshesKeepPositionsAtAnyVertexSize)
{
    TextureLoader loader(Device());
    const std::vector<uint8_t> bytes = ReadFixtureBytes(L"tetra.x");
    for (uint32_t vertexSize : {12u, 32u, 48u}) {
        MeshEntry meshes[3];
        ASSERT_EQ(LoadMeshResource(Device(), nullptr, 310, vertexSize, meshes[0]), S_OK);
        ASSERT_EQ(LoadMeshFromMemory(Device(), bytes.data(), bytes.size(), vertexSize, meshes[1]), S_OK);
        ASSERT_EQ(LoadMeshFromFile(Device(), FixturePath(L"tetra.x"), vertexSize, meshes[2]), S_OK);
        for (MeshEntry& mesh : meshes) {
            ASSERT_FALSE(mesh.IsEmpty());
            EXPECT_EQ(mesh.faceCount, 4u);
            EXPECT_GE(mesh.vertexCount, 4u);
            EXPECT_GT(mesh.radius, 1.0f);
            D3DVERTEXBUFFER_DESC desc = {};
            ASSERT_EQ(mesh.vertexBuffer->GetDesc(&desc), D3D_OK);
            EXPECT_EQ(desc.Size, mesh.vertexCount * vertexSize);
            void* data = nullptr;
            ASSERT_EQ(mesh.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
            float maxCoordinate = 0.0f;
            for (uint32_t v = 0; v < mesh.vertexCount; ++v) {
                const auto* position =
                    reinterpret_cast<const float*>(static_cast<const uint8_t*>(data) + v * vertexSize);
                for (int axis = 0; axis < 3; ++axis) {
                    maxCoordinate = std::max(maxCoordinate, position[axis]);
                    EXPECT_GE(position[axis], 0.0f);
                }
                if (vertexSize >= 32) {
                    const float* normal = position + 3;
                    const float length = normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2];
                    EXPECT_NEAR(length, 1.0f, 0.01f);  // normals were computed
                }
            }
            EXPECT_FLOAT_EQ(maxCoordinate, 2.0f);
            mesh.vertexBuffer->Unlock();
        }
    }
}

TEST_F(TextureLoaderTest, LibraryMeshesAreCachedPerModuleAndNumber)
{
    TextureLoader loader(Device());
    const MeshEntry first = loader.GetMesh(ModuleBlob(L"common_res.dll", 70), 32);
    ASSERT_FALSE(first.IsEmpty());
    EXPECT_EQ(first.vertexBuffer.Get(), loader.GetMesh(ModuleBlob(L"common_res.dll", 70), 32).vertexBuffer.Get());
    EXPECT_NEAR(first.radius, 50.0f, 0.5f);
    // Number 70 of the program itself is another (missing) mesh.
    EXPECT_TRUE(loader.GetMesh(ModuleBlob(L"", 70), 32).IsEmpty());
}

// A module name is looked for in the program's folder before the search
// path: a library of the same name in the current folder is not used.
TEST_F(TextureLoaderTest, ProgramFolderComesBeforeTheSearchPath)
{
    TempFolder programFolder(L"program");
    TempFolder currentFolder(L"current");
    const std::wstring name = L"corvalline_order_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    wchar_t testProgram[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, testProgram, MAX_PATH);
    // The test program carries "DDS" 301; common_res.dll does not.
    ASSERT_TRUE(CopyFileW(testProgram, programFolder.Add(name).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((D3DTestDevice::ProgramDirectory() + L"common_res.dll").c_str(),
                          currentFolder.Add(name).c_str(), FALSE));
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(currentFolder.Path().c_str()));

    TextureLoader fromProgramFolder(Device(), programFolder.Path());
    ExpectFixturePicture(fromProgramFolder.GetTexture(ModuleBlob(name, 301)), "program folder");
    HMODULE module = nullptr;
    // Without a copy in its folder, the search path (current folder) serves.
    TempFolder emptyFolder(L"empty");
    TextureLoader fromSearchPath(Device(), emptyFolder.Path());
    ASSERT_TRUE(fromSearchPath.GetModule(name, module));
    EXPECT_TRUE(fromSearchPath.GetTexture(ModuleBlob(name, 62)).texture);
    SetCurrentDirectoryW(previous);
}
