#include <d3dx9.h>
#include <gtest/gtest.h>

#include <vector>

#include "engine/render/Mesh.h"
#include "engine/render/SegmentedQuadArray.h"
#include "unit/D3DTestDevice.h"

namespace {

// ---- vertex layouts ----

struct LayoutCase {
    const char* name;
    DWORD fvf;
    UINT stride;
};

TEST(VertexFormatTest, StrideMatchesWhatTheFvfDescribes)
{
    const LayoutCase cases[] = {
        {"PCT", DX_V::PCT::kFVF, DX_V::PCT::kStride},
        {"TPC", TPC::kFVF, TPC::kStride},
        {"TP", TP::kFVF, TP::kStride},
        {"PC", PC::kFVF, PC::kStride},
        {"PT", PT::kFVF, PT::kStride},
        {"PNT", PNT::kFVF, PNT::kStride},
        {"PT2", PT2::kFVF, PT2::kStride},
    };
    for (const LayoutCase& c : cases) EXPECT_EQ(D3DXGetFVFVertexSize(c.fvf), c.stride) << c.name;
}

// ---- frames ----

struct CountingController : DS_AnimationBase {
    explicit CountingController(int* deleted) : deleted(deleted) {}
    ~CountingController() override { ++*deleted; }
    void Apply(DS_Frame& frame) override { D3DXMatrixScaling(&frame.combined, 2, 2, 2); }
    int* deleted;
};

TEST(FrameTest, CombinedMatricesFlowFromParentToChildren)
{
    DS_Frame root, child, grandChild;
    D3DXMatrixTranslation(&root.local, 10, 0, 0);
    D3DXMatrixScaling(&child.local, 3, 3, 3);
    int deleted = 0;
    grandChild.SetController(new CountingController(&deleted));
    root.children.push_back(&child);
    child.children.push_back(&grandChild);
    D3DXMATRIX parent;
    D3DXMatrixTranslation(&parent, 0, 5, 0);
    root.UpdateMatrices(&parent);

    D3DXVECTOR3 p(1, 1, 1), out;
    D3DXVec3TransformCoord(&out, &p, &grandChild.combined);
    // Controller scale 2, then child scale 3, then +10 x, then +5 y.
    EXPECT_FLOAT_EQ(out.x, 16.0f);
    EXPECT_FLOAT_EQ(out.y, 11.0f);
    EXPECT_FLOAT_EQ(out.z, 6.0f);
}

TEST(FrameTest, ControllerIsOwnedByOneFrameOnly)
{
    int deleted = 0;
    {
        DS_Frame owner;
        owner.SetController(new CountingController(&deleted));
        DS_Frame copy;
        copy = owner;
        EXPECT_EQ(copy.Controller(), nullptr);
        EXPECT_NE(owner.Controller(), nullptr);
    }
    EXPECT_EQ(deleted, 1);
}

TEST(MeshWithoutDeviceTest, EveryDeviceCallRefusesANullDevice)
{
    DS_IndexedMesh<DX_V::PCT> mesh;
    EXPECT_EQ(mesh.CreateVertexBuffer(nullptr, 4), E_POINTER);
    EXPECT_EQ(mesh.CreateBuffer(nullptr), E_POINTER);
    EXPECT_EQ(mesh.SetColor(nullptr, ScreenQuad(), 0xFFFFFFFFu), E_POINTER);
    EXPECT_EQ(mesh.BindStream(nullptr), E_POINTER);
    EXPECT_EQ(mesh.CreateBuffers(nullptr, 4, 6), E_POINTER);
    // With no buffer, edits write nothing and say so.
    EXPECT_EQ(mesh.Lock(), nullptr);
    EXPECT_FALSE(mesh.SetAlpha(0.5f));
    EXPECT_FALSE(mesh.WritePositions(ScreenQuad()));
    SegmentedQuadArray array;
    EXPECT_EQ(array.Draw(nullptr), E_POINTER);
    array.SetQuadColor(0, 0xFFFFFFFFu);  // no quads: ignored
    ScreenQuad quad;
    EXPECT_FALSE(quad.FullBackBuffer(static_cast<IDirect3DDevice9*>(nullptr)));
    EXPECT_FLOAT_EQ(quad.corners[2].x, 0.0f);
}

// ---- meshes on a device ----

class MeshTest : public D3DTestDevice {
protected:
    MeshTest() : D3DTestDevice(kWideWidth, kWideHeight) {}
};

TEST_F(MeshTest, CreateQuadsWritesTwoTrianglesPerQuad)
{
    DS_IndexedMesh<DX_V::PCT> mesh;
    ASSERT_EQ(mesh.CreateQuads(Device(), 2), S_OK);
    EXPECT_EQ(mesh.TriangleCount(), 4u);
    EXPECT_EQ(mesh.VertexCount(), 8u);
    EXPECT_EQ(mesh.PrimitiveType(), D3DPT_TRIANGLELIST);
    const uint16_t* index = mesh.LockIndices();
    ASSERT_NE(index, nullptr);
    const std::vector<uint16_t> got(index, index + 12);
    mesh.UnlockIndices();
    EXPECT_EQ(got, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
}

TEST_F(MeshTest, CreateQuadsRefusesCountsBeyondSixteenBitIndices)
{
    DS_IndexedMesh<DX_V::PCT> mesh;
    EXPECT_EQ(mesh.CreateQuads(Device(), DS_IndexedMesh<DX_V::PCT>::kMaxQuads + 1), E_INVALIDARG);
    EXPECT_EQ(mesh.IndexBuffer(), nullptr);
    EXPECT_EQ(mesh.VertexBuffer(), nullptr);
    EXPECT_EQ(mesh.CreateQuads(nullptr, 1), E_POINTER);
}

std::vector<uint32_t> Colors(DS_SimpleMesh<PC>& mesh)
{
    std::vector<uint32_t> out;
    if (PC* v = mesh.Lock()) {
        for (UINT i = 0; i < mesh.VertexCount(); ++i) out.push_back(v[i].color);
        mesh.Unlock();
    }
    return out;
}

TEST_F(MeshTest, ColourEditsKeepTheOtherChannels)
{
    DS_SimpleMesh<PC> mesh;
    ASSERT_EQ(mesh.SetColor(Device(), ScreenQuad(), 0x00FF0000u), S_OK);
    EXPECT_EQ(mesh.PrimitiveCount(), 2u);
    ASSERT_TRUE(mesh.SetCornerAlpha(0.0f, 0.5f, 1.0f, 1.0f));
    EXPECT_EQ(Colors(mesh), (std::vector<uint32_t>{0x00FF0000u, 0xFFFF0000u, 0x7FFF0000u, 0xFFFF0000u}));
    ASSERT_TRUE(mesh.SetRGB(0xAA123456u));
    EXPECT_EQ(Colors(mesh), (std::vector<uint32_t>{0x00123456u, 0xFF123456u, 0x7F123456u, 0xFF123456u}));
    // Factors outside 0..1 are clamped rather than wrapped.
    ASSERT_TRUE(mesh.SetCornerAlpha(-1.0f, 2.0f, 0.25f, 1.0f));
    EXPECT_EQ(Colors(mesh), (std::vector<uint32_t>{0x00123456u, 0x3F123456u, 0xFF123456u, 0xFF123456u}));
}

TEST_F(MeshTest, WritePositionsFollowsTheLayout)
{
    ScreenQuad quad;
    quad.FullBackBuffer(Device());
    DS_TexturedMesh<TPC> tpc;
    ASSERT_EQ(tpc.SetTexture(Device(), nullptr, quad), S_OK);
    const TPC* t = tpc.Lock();
    ASSERT_NE(t, nullptr);
    EXPECT_FLOAT_EQ(t[0].y, 400.0f);
    EXPECT_FLOAT_EQ(t[3].x, 600.0f);
    EXPECT_FLOAT_EQ(t[3].z, 0.0f);
    EXPECT_FLOAT_EQ(t[3].rhw, 1.0f);
    EXPECT_FLOAT_EQ(t[0].v, 1.0f);
    EXPECT_EQ(t[2].color, 0xFFFFFFFFu);
    tpc.Unlock();

    DS_SimpleMesh<PT> pt;
    const float corners[20] = {0, 1, 2, 0.1f, 0.2f, 3, 4, 5, 0.3f, 0.4f, 6, 7, 8, 0.5f, 0.6f, 9, 10, 11, 0.7f, 0.8f};
    ASSERT_EQ(pt.SetVertices(Device(), corners), S_OK);
    ASSERT_TRUE(pt.WritePositions(quad));
    const PT* p = pt.Lock();
    ASSERT_NE(p, nullptr);
    EXPECT_FLOAT_EQ(p[2].x, 600.0f);
    EXPECT_FLOAT_EQ(p[2].z, 0.0f);
    EXPECT_FLOAT_EQ(p[2].u, 0.5f);  // PT keeps its texture coordinates
    pt.Unlock();
}

// A dynamic quad is edited in its own copy and rewritten whole: each edit
// keeps what the others wrote, and what is drawn is the last edit.
TEST_F(MeshTest, DynamicQuadEditsReachTheBufferWhole)
{
    ScreenQuad quad;
    quad.FullBackBuffer(Device());
    DS_SimpleMesh<TP> mesh;
    ASSERT_EQ(mesh.CreateDynamicBuffer(Device()), S_OK);
    ASSERT_TRUE(mesh.WritePositions(quad));
    IDirect3DDevice9* d = Device();
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    const struct {
        uint32_t rgb;
        float alpha;
        uint32_t color;  // every corner's colour after the edits
    } edits[] = {{0xFF0000u, 1.0f, 0xFFFF0000u}, {0x0000FFu, 0.5f, 0x7F0000FFu}};
    for (const auto& edit : edits) {
        ASSERT_TRUE(mesh.SetRGB(edit.rgb));
        ASSERT_TRUE(mesh.SetAlpha(edit.alpha));
        const TP* v = mesh.Lock();
        ASSERT_NE(v, nullptr);
        EXPECT_FLOAT_EQ(v[3].x, 600.0f) << "positions kept";
        EXPECT_EQ(v[2].color, edit.color);
        mesh.Unlock();
        ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), S_OK);
        ASSERT_EQ(d->BeginScene(), S_OK);
        ASSERT_EQ(mesh.BindStream(d), S_OK);
        EXPECT_EQ(d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
        d->EndScene();
        EXPECT_EQ(ReadPixel(300, 200), edit.rgb);
    }
}

TEST_F(MeshTest, CopiesShareBuffersAndTextures)
{
    DS_TexturedMesh<TPC> a;
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.ReleaseAndGetAddressOf(), nullptr), S_OK);
    ASSERT_EQ(a.SetTexture(Device(), texture.Get(), ScreenQuad()), S_OK);
    DS_TexturedMesh<TPC> b(a);
    EXPECT_EQ(b.VertexBuffer(), a.VertexBuffer());
    EXPECT_EQ(b.Texture(), texture.Get());
    a = DS_TexturedMesh<TPC>();
    EXPECT_EQ(a.VertexBuffer(), nullptr);
    EXPECT_NE(b.Lock(), nullptr);  // b's reference keeps the buffer alive
    b.Unlock();
}

TEST_F(MeshTest, FillGridInterpolatesAllFiveComponents)
{
    DS_SimpleMesh<PT> grid;
    ASSERT_EQ(grid.CreateVertexBuffer(Device(), 4 * 3), S_OK);
    const float corners[4][5] = {{0, 0, 0, 0, 0}, {30, 0, 0, 1, 0}, {0, 20, 4, 0, 1}, {30, 20, 4, 1, 1}};
    ASSERT_TRUE(grid.FillGrid(corners, 3, 2));
    const PT* v = grid.Lock();
    ASSERT_NE(v, nullptr);
    const PT& middle = v[1 * 4 + 2];  // column 2, row 1
    EXPECT_FLOAT_EQ(middle.x, 20.0f);
    EXPECT_FLOAT_EQ(middle.y, 10.0f);
    EXPECT_FLOAT_EQ(middle.z, 2.0f);
    EXPECT_FLOAT_EQ(middle.u, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(middle.v, 0.5f);
    EXPECT_FLOAT_EQ(v[11].x, 30.0f);
    EXPECT_FLOAT_EQ(v[11].y, 20.0f);
    grid.Unlock();
    EXPECT_FALSE(grid.FillGrid(corners, 3, 3));  // 16 vertices do not fit in 12
    ASSERT_TRUE(grid.FillGrid(corners, 0, 0));   // one vertex, no 0 / 0
    v = grid.Lock();
    ASSERT_NE(v, nullptr);
    EXPECT_FLOAT_EQ(v[0].x, 0.0f);
    grid.Unlock();
}

// ---- segmented quad array ----

struct SegmentCase {
    int32_t quads;
    std::vector<UINT> perSegment;
};

TEST_F(MeshTest, ResizeSplitsIntoSegmentsOf16383Quads)
{
    const SegmentCase cases[] = {
        {0, {0}}, {1, {1}}, {16383, {16383, 0}}, {16384, {16383, 1}}, {40000, {16383, 16383, 7234}}, {-5, {0}},
    };
    for (const SegmentCase& c : cases) {
        SegmentedQuadArray array;
        ASSERT_EQ(array.Resize(Device(), c.quads), S_OK) << c.quads;
        std::vector<UINT> got;
        for (const QuadSegment& s : array.Segments()) {
            got.push_back(s.QuadCount());
            EXPECT_EQ(s.TriangleCount(), 2 * s.QuadCount());
            EXPECT_EQ(s.IndexBuffer() != nullptr, s.QuadCount() > 0);
        }
        EXPECT_EQ(got, c.perSegment) << c.quads;
        EXPECT_EQ(array.QuadCount(), c.quads < 0 ? 0 : c.quads);
    }
}

TEST_F(MeshTest, QuadsPastTheFirstSegmentLandInTheNext)
{
    SegmentedQuadArray array;
    ASSERT_EQ(array.Resize(Device(), 16384), S_OK);
    ASSERT_TRUE(array.LockAll());
    array.SetQuad(16383, D3DXVECTOR3(100, 50, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 5, 0));
    array.SetQuadColor(16383, 0xFF00FF00u);
    array.SetQuad(16384, D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(1, 1, 1));  // out of range
    array.UnlockAll();
    array.SetQuadUV(16383, 0.25f, 0.75f, 0.0f, 0.5f);

    QuadSegment& second = const_cast<QuadSegment&>(array.Segments()[1]);
    const TPC* v = second.Lock();
    ASSERT_NE(v, nullptr);
    const float expected[4][2] = {{90, 55}, {90, 45}, {110, 55}, {110, 45}};
    const float uv[4][2] = {{0.25f, 0.5f}, {0.25f, 0.0f}, {0.75f, 0.5f}, {0.75f, 0.0f}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(v[k].x, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(v[k].y, expected[k][1]) << k;
        EXPECT_FLOAT_EQ(v[k].rhw, 1.0f);
        EXPECT_EQ(v[k].color, 0xFF00FF00u);
        EXPECT_FLOAT_EQ(v[k].u, uv[k][0]);
        EXPECT_FLOAT_EQ(v[k].v, uv[k][1]);
    }
    second.Unlock();
    // The first segment's quads keep their defaults.
    QuadSegment& first = const_cast<QuadSegment&>(array.Segments()[0]);
    const TPC* f = first.Lock();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f[4 * 16382 + 3].color, 0u);
    EXPECT_FLOAT_EQ(f[4 * 16382 + 3].u, 1.0f);
    first.Unlock();
}

TEST_F(MeshTest, DrawnQuadsReachTheBackBuffer)
{
    SegmentedQuadArray array;
    ASSERT_EQ(array.Resize(Device(), 16384), S_OK);
    array.SetQuad(0, D3DXVECTOR3(100, 100, 0.5f), D3DXVECTOR3(20, 0, 0), D3DXVECTOR3(0, 20, 0));
    array.SetQuadColor(0, 0xFFFF0000u);
    array.SetQuad(16383, D3DXVECTOR3(400, 300, 0.5f), D3DXVECTOR3(20, 0, 0), D3DXVECTOR3(0, 20, 0));
    array.SetQuadColor(16383, 0xFF0000FFu);
    IDirect3DDevice9* d = Device();
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), S_OK);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    ASSERT_EQ(d->BeginScene(), S_OK);
    EXPECT_EQ(array.Draw(d), S_OK);
    d->EndScene();
    EXPECT_EQ(ReadPixel(100, 100), 0xFF0000u);
    EXPECT_EQ(ReadPixel(400, 300), 0x0000FFu);
    EXPECT_EQ(ReadPixel(250, 200), 0x000000u);
}

}  // namespace
