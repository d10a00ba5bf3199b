// The resource manager's services on a real device: texture sets from
// modules, sequences and links made from bytes; bytes, meshes and effects
// from the byte cache or the library; fonts and private render targets; a
// device Reset with all of them alive.
#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/resources/DocResManager.h"
#include "unit/resources/DocResTestSupport.h"

namespace {

const wchar_t kLibrary[] = L"common_res.dll";
const wchar_t kAbsentLibrary[] = L"corvalline_absent_res.dll";
constexpr int32_t kSequenceResource = 320;     // in the test program's own "DDS" resources
constexpr int32_t kCutSequenceResource = 321;  // the same, cut short
const char kSource[] = "technique Plain { pass P0 { AlphaBlendEnable = FALSE; } }\n";

GuidResourceKey Key(uint32_t first)
{
    GuidResourceKey key;
    key.guid.Data1 = first;
    return key;
}

// The references held on object besides the caller's one.
ULONG OtherReferences(IUnknown* object)
{
    object->AddRef();
    return object->Release() - 1;
}

}  // namespace

class DocResServicesTest : public D3DTestDevice {
protected:
    EmptyModuleFolder folder;
};

TEST_F(DocResServicesTest, TextureSetsFromModulesLinksAndFiles)
{
    DS_DocResManager manager(Device());
    struct Case {
        const char* what;
        FileLinkValue link;
        size_t slots;
        bool texture;
    };
    const Case cases[] = {
        {"library picture", {kLibrary, 62}, 1, true},
        {"empty link: one slot, no texture", {L"", 0}, 1, false},
        {"absent library: one slot, no texture", {kAbsentLibrary, 62}, 1, false},
        {"file the document does not hold", {L"C:\\nowhere\\picture.png", 77}, 0, false},
    };
    for (const Case& c : cases) {
        const TextureFrames& set = manager.GetTextureSet(c.link);
        ASSERT_EQ(set.textures.size(), c.slots) << c.what;
        if (c.slots != 0) {
            EXPECT_EQ(static_cast<bool>(set.textures[0]), c.texture) << c.what;
        }
        EXPECT_EQ(&set, &manager.GetTextureSet(c.link)) << c.what;
    }
    const std::vector<TextureFrames> list = manager.GetTextureSetList(
        std::vector<DS_ImageFileLink>{DS_ImageFileLink(DS_FileLink3(62, kLibrary)), DS_ImageFileLink()});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].textures[0].Get(), manager.GetTextureSet(FileLinkValue{kLibrary, 62}).textures[0].Get());
    EXPECT_FALSE(list[1].textures[0]);
}

TEST_F(DocResServicesTest, SequencesFromModuleResources)
{
    DS_DocResManager manager(Device());
    const TextureFrames& set = manager.LoadSequence(DS_FileLink3(kSequenceResource, L""));
    ASSERT_EQ(set.textures.size(), 2u);
    EXPECT_TRUE(set.textures[0] && set.textures[1]);
    EXPECT_EQ(set.durations, (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(set.width, 32u);
    EXPECT_EQ(manager.Store().byteCache.at(FileLinkValue{L"", kSequenceResource}).size(), 2u);
    EXPECT_EQ(&set, &manager.LoadSequence(DS_FileLink3(kSequenceResource, L"")));

    for (const DS_FileLink3& missing :
         {DS_FileLink3(kCutSequenceResource, L""), DS_FileLink3(9999, L""), DS_FileLink3(1, kAbsentLibrary)}) {
        const TextureFrames& empty = manager.LoadSequence(missing);
        EXPECT_TRUE(empty.textures.empty()) << missing.GetStamp();
        EXPECT_TRUE(empty.durations.empty()) << missing.GetStamp();
    }
}

TEST_F(DocResServicesTest, LinksMadeFromBytesAndFiles)
{
    DS_DocResManager manager(Device(), folder.Path());
    const std::vector<uint8_t> png = ReadFixtureBytes(L"fixture.png");

    std::unique_ptr<DS_ImageFileLink> link;
    manager.MakeImageLink(NamedBlob(L"own.png", png), link);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->GetPath(), L"own.png");
    const TextureFrames& single = manager.GetTextureSet(*link);
    ASSERT_EQ(single.textures.size(), 1u);
    EXPECT_TRUE(single.textures[0]);
    EXPECT_EQ(manager.GetBlob(*link)->data, png);

    // A blob without bytes: one slot without texture, nothing handed to D3DX.
    manager.MakeImageLink(NamedBlob(L"", {}), link);
    ASSERT_TRUE(link);
    ASSERT_EQ(manager.GetTextureSet(*link).textures.size(), 1u);
    EXPECT_FALSE(manager.GetTextureSet(*link).textures[0]);

    const std::vector<ResourceBlob> frames = {LibraryBlob(kAbsentLibrary, 5, png), NamedBlob(L"", {})};
    manager.MakeSequenceLink(link, frames, {0.1f, 0.2f});
    ASSERT_TRUE(link);
    EXPECT_EQ(link->GetValue(), (FileLinkValue{kAbsentLibrary, 5}));
    const TextureFrames& sequence = manager.GetTextureSet(*link);
    ASSERT_EQ(sequence.textures.size(), 2u);
    EXPECT_TRUE(sequence.textures[0]);
    EXPECT_FALSE(sequence.textures[1]);
    EXPECT_EQ(sequence.durations, (std::vector<float>{0.1f, 0.2f}));
    // The key has textures already: nothing changes.
    manager.MakeSequenceLink(link, {LibraryBlob(kAbsentLibrary, 5, png)}, {3.0f});
    EXPECT_EQ(manager.GetTextureSet(*link).textures.size(), 2u);
    EXPECT_EQ(manager.GetTextureSet(*link).durations.size(), 2u);

    // An empty list gives an empty link.
    manager.MakeSequenceLink(link, {}, {1.0f});
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->GetPath().empty());

    const std::wstring file = FixturePath(L"fixture.png");
    manager.MakeImageLinkFromFile(2.0f, file, link);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->GetPath(), file);
    EXPECT_NE(link->GetStamp(), 0);
    EXPECT_TRUE(manager.GetTextureSet(*link).textures.empty());
    EXPECT_EQ(manager.GetTextureSet(*link).durations, (std::vector<float>{2.0f}));
    manager.MakeImageLinkFromFile(4.0f, file, link);
    EXPECT_EQ(manager.GetTextureSet(*link).durations, (std::vector<float>{4.0f}));
}

TEST_F(DocResServicesTest, MarkForSaveCopiesDurationsAndBytes)
{
    DS_DocResManager manager(Device(), folder.Path());
    std::unique_ptr<DS_ImageFileLink> link;
    manager.MakeSequenceLink(link, {LibraryBlob(kAbsentLibrary, 7, ReadFixtureBytes(L"fixture.bmp"))}, {1.5f});
    manager.MarkForSave(*link);
    const ResourceStore& store = manager.Store();
    EXPECT_EQ(store.frameTimes.at(link->GetValue()), (std::vector<float>{1.5f}));
    EXPECT_EQ(store.images.at(link->GetValue()).size(), 1u);

    DS_DocResManager untouched(Device(), folder.Path());
    untouched.MarkForSave(DS_ImageFileLink());
    EXPECT_TRUE(untouched.Store().images.empty());
    EXPECT_TRUE(untouched.Store().frameTimes.empty());
}

TEST_F(DocResServicesTest, BlobsMeshesAndEffectsFromCacheOrLibrary)
{
    DS_DocResManager manager(Device());
    const ResourceBlob* blob = manager.GetBlob(DS_FileLink3(62, kLibrary));
    ASSERT_NE(blob, nullptr);
    EXPECT_FALSE(blob->data.empty());
    const ResourceBlob* missing = manager.GetBlob(DS_FileLink3(62, kAbsentLibrary));
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->data.empty());
    EXPECT_EQ(manager.GetBlob(DS_FileLink3(FileLinkValue{L"C:\\sound.wav", 3})), nullptr);

    const MeshEntry& mesh = manager.GetMesh(DS_MeshFile(70, kLibrary), 40);
    ASSERT_FALSE(mesh.IsEmpty());
    D3DVERTEXBUFFER_DESC desc = {};
    ASSERT_EQ(mesh.vertexBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, mesh.vertexCount * 40);
    EXPECT_EQ(&mesh, &manager.GetMesh(DS_MeshFile(70, kLibrary), 40));
    EXPECT_EQ(manager.GetMesh(DS_MeshFile(70, kAbsentLibrary), 32).vertexCount, 0u);

    const ComPtr<ID3DXEffect> effect = manager.GetEffect(DS_HLSLEffectFile(90, kLibrary));
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect.Get(), manager.GetEffect(DS_HLSLEffectFile(90, kLibrary)).Get());
}

TEST_F(DocResServicesTest, BadEffectBytesGiveNoEffectAndAreRetried)
{
    const std::vector<uint8_t> whole = ReadBuiltEffect("103_radialwave");
    ASSERT_GT(whole.size(), 64u);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"truncated", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2)},
        {"header only", std::vector<uint8_t>(whole.begin(), whole.begin() + 8)},
        // Not a compiled effect: handed to D3DX as source, which refuses it.
        {"garbage", std::vector<uint8_t>(256, 0xAB)},
        // Wine 8 d3dx9, 2026-12: no effect source compiles, so well-formed
        // source takes the missing-effect path as well.
        {"source text", {kSource, kSource + sizeof(kSource) - 1}},
    };
    for (const Case& c : cases) {
        DS_DocResManager manager(Device(), folder.Path());
        const DS_HLSLEffectFile link(103, kAbsentLibrary);
        manager.Store().byteCache[link.GetValue()] = {LibraryBlob(kAbsentLibrary, 103, c.bytes)};
        EXPECT_FALSE(manager.GetEffect(link)) << c.what;
        EXPECT_TRUE(manager.Store().effects.empty()) << c.what;
        // Good bytes arrive: the next call makes the effect.
        manager.Store().byteCache[link.GetValue()].front().data = whole;
        EXPECT_TRUE(manager.GetEffect(link)) << c.what;
    }
    DS_DocResManager manager(Device(), folder.Path());
    EXPECT_FALSE(manager.GetEffect(DS_HLSLEffectFile(90, kAbsentLibrary)));
    EXPECT_FALSE(manager.GetEffect(DS_HLSLEffectFile(FileLinkValue{L"C:\\effects\\none.fxo", 1})));
}

TEST_F(DocResServicesTest, FontsAreNewEveryCallRenderTargetsOnce)
{
    DS_DocResManager manager(Device(), folder.Path());
    FontMediaParam description;
    const ComPtr<ID3DXFont> first = manager.GetFont(Key(1), description);
    ASSERT_TRUE(first);
    const ComPtr<ID3DXFont> second = manager.GetFont(Key(1), description);
    ASSERT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(OtherReferences(first.Get()), 0u);  // the manager let the first go

    RenderTargetChain* chain = manager.GetRenderTarget(Key(2));
    ASSERT_NE(chain, nullptr);
    EXPECT_TRUE(chain->IsReady());
    EXPECT_EQ(chain->Width(), 512u);
    EXPECT_EQ(chain->Height(), 512u);
    EXPECT_EQ(chain, manager.GetRenderTarget(Key(2)));
    EXPECT_NE(chain, manager.GetRenderTarget(Key(3)));
}

TEST_F(DocResServicesTest, DeviceResetWithLiveObjects)
{
    DS_DocResManager manager(Device());
    RenderTargetChain* chains[] = {manager.GetRenderTarget(Key(1)), manager.GetRenderTarget(Key(2))};
    const ComPtr<ID3DXEffect> effect = manager.GetEffect(DS_HLSLEffectFile(90, kLibrary));
    const ComPtr<ID3DXFont> font = manager.GetFont(Key(1), FontMediaParam());
    ASSERT_TRUE(chains[0] && chains[1] && effect && font);
    // A started chain too: its saved surfaces must not block the reset.
    ASSERT_TRUE(chains[0]->Begin(*chains[0]));
    // An effect given a chain texture (as a brush is given the scene drawn
    // so far) holds a reference to it.
    ASSERT_EQ(effect->SetTexture("Background", chains[1]->Current()), D3D_OK);

    manager.OnLostDevice();
    // The effect's own OnLostDevice lets go of default-pool textures.
    IDirect3DBaseTexture9* held = nullptr;
    EXPECT_EQ(effect->GetTexture("Background", &held), D3D_OK);
    EXPECT_EQ(held, nullptr);
    if (held) held->Release();
    ASSERT_EQ(ResetDevice(), D3D_OK);
    manager.OnResetDevice();

    for (RenderTargetChain* chain : chains) {
        EXPECT_TRUE(chain->IsReady());
        EXPECT_EQ(chain->Width(), 512u);
    }
    ASSERT_EQ(Device()->BeginScene(), D3D_OK);
    RECT area = {0, 0, 100, 40};
    EXPECT_GT(font->DrawTextW(nullptr, L"Text", -1, &area, DT_LEFT, 0xFFFFFFFF), 0);
    UINT passes = 0;
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_GT(passes, 0u);
    effect->End();
    Device()->EndScene();
}
