// 3D objects drawn for real through the picture layer: a 600 x 400 picture
// on a 600 x 400 back buffer, so picture pixels are back-buffer pixels.
#include <cmath>
#include <string>

#include "engine/scene/CountedPtr.h"
#include "objects/3d/Array3DIn2D.h"
#include "objects/3d/ButterflyConstructor.h"
#include "objects/3d/ClockConstructor.h"
#include "unit/objects3d/Object3DTestSupport.h"
#include "unit/scene/Light2DTestFixture.h"

namespace {

struct MeshVertex {
    float x, y, z, u, v;
};

// A quad of four corners given in strip order, both windings.
std::vector<uint16_t> TwoSidedQuad()
{
    return {0, 1, 2, 2, 1, 3, 0, 2, 1, 2, 3, 1};
}

// Text .x bytes of a two-sided square of side 2 in the x-y plane, centred
// on the origin, with texture coordinates.
std::vector<uint8_t> SquareXFile()
{
    const std::string text =
        "xof 0303txt 0032\nMesh {\n 4;\n -1.0;-1.0;0.0;,\n 1.0;-1.0;0.0;,\n -1.0;1.0;0.0;,\n 1.0;1.0;0.0;;\n"
        " 4;\n 3;0,1,2;,\n 3;2,1,3;,\n 3;0,2,1;,\n 3;2,3,1;;\n"
        " MeshTextureCoords {\n  4;\n  0.0;0.0;,\n  1.0;0.0;,\n  0.0;1.0;,\n  1.0;1.0;;\n }\n}\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

// A 2 x 2 24-bit BMP of one colour (0xRRGGBB).
std::vector<uint8_t> SolidBmp(uint32_t colour)
{
    std::vector<uint8_t> bytes(54 + 16, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, 16);
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 2; ++x) {
            uint8_t* p = &bytes[54 + row * 8 + x * 3];
            p[0] = colour & 0xFF;
            p[1] = (colour >> 8) & 0xFF;
            p[2] = (colour >> 16) & 0xFF;
        }
    }
    return bytes;
}

class Object3DDraw : public Light2DFixture {
protected:
    const FileLinkValue kPictureLink{L"object3d-test-picture", 1};
    const FileLinkValue kRedLink{L"object3d-red", 1};
    const FileLinkValue kGreenLink{L"object3d-green", 1};
    const FileLinkValue kBodyMeshLink{L"object3d-body.x", 1};
    const FileLinkValue kWingMeshLink{L"object3d-wing.x", 1};

    void SetUp() override
    {
        Light2DFixture::SetUp();
        if (HasFatalFailure()) return;
        ShowPlainPicture(kPictureLink, 0xFF000000u);
        red_ = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFF0000u; });
        AddPicture(kRedLink, red_, 4, 4);
        AddPicture(kGreenLink, MakeTexture(4, 4, [](UINT, UINT) { return 0xFF00FF00u; }), 4, 4);
        // Body: y from 0 to 20 below the hinge line, along z; wing: flat in
        // x-z, hinged on z and reaching 100 along +x.
        AddMesh(kBodyMeshLink, {{0, 0, -40, 0, 0}, {0, 20, -40, 0, 1}, {0, 0, 40, 1, 0}, {0, 20, 40, 1, 1}});
        AddMesh(kWingMeshLink, {{0, 0, -50, 0, 0}, {100, 0, -50, 0, 1}, {0, 0, 50, 1, 0}, {100, 0, 50, 1, 1}});
    }

    void TearDown() override
    {
        objects_.clear();
        Light2DFixture::TearDown();
    }

    void AddMesh(const FileLinkValue& link, const std::vector<MeshVertex>& corners)
    {
        const std::vector<uint16_t> indices = TwoSidedQuad();
        MeshEntry entry;
        ASSERT_TRUE(SUCCEEDED(Device()->CreateVertexBuffer(static_cast<UINT>(corners.size() * sizeof(PNT)), 0,
                                                           PNT::kFVF, D3DPOOL_MANAGED,
                                                           entry.vertexBuffer.ReleaseAndGetAddressOf(), nullptr)));
        ASSERT_TRUE(SUCCEEDED(Device()->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), 0, D3DFMT_INDEX16,
                                                          D3DPOOL_MANAGED, entry.indexBuffer.ReleaseAndGetAddressOf(),
                                                          nullptr)));
        void* data = nullptr;
        ASSERT_TRUE(SUCCEEDED(entry.vertexBuffer->Lock(0, 0, &data, 0)));
        auto* vertices = static_cast<PNT*>(data);
        for (size_t i = 0; i < corners.size(); ++i) {
            vertices[i] = PNT{corners[i].x, corners[i].y, corners[i].z, 0, 1, 0, corners[i].u, corners[i].v};
        }
        entry.vertexBuffer->Unlock();
        ASSERT_TRUE(SUCCEEDED(entry.indexBuffer->Lock(0, 0, &data, 0)));
        std::copy(indices.begin(), indices.end(), static_cast<uint16_t*>(data));
        entry.indexBuffer->Unlock();
        entry.vertexCount = static_cast<uint32_t>(corners.size());
        entry.faceCount = static_cast<uint32_t>(indices.size() / 3);
        entry.radius = 50.0f;
        manager_->Store().meshes[link] = entry;
    }

    template <class Object>
    Object& Add(DS_ABObj_Constructor& item)
    {
        auto* object = static_cast<Object*>(item.CreateObject());
        objects_.emplace_back(object);
        return *object;
    }

    // One frame; states, when given, runs between the background and the
    // objects, as the draw of an earlier object would.
    void Frame(float t, const std::function<void(IDirect3DDevice9*)>& states = nullptr)
    {
        for (auto& object : objects_) object->Update(t);
        ASSERT_TRUE(SUCCEEDED(Device()->BeginScene()));
        layer_->RenderBackground(false);
        if (states) states(Device());
        layer_->RenderObjects(objects_, 0);
        Device()->EndScene();
    }

    // The darkest of the 3 x 3 pixels around (x, y), as grey 0 to 255.
    int DarkestAround(int x, int y)
    {
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const uint32_t p = ReadPixel(static_cast<UINT>(x + dx), static_cast<UINT>(y + dy));
                darkest = std::min(darkest, static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3);
            }
        }
        return darkest;
    }

    // A butterfly held still at (300, 200): speed 0 stops its clock; wings
    // raised 40 degrees, heading 0, no bank, fast enough not to lean back.
    DS_3DObjArray& StillButterfly(float wingScale)
    {
        butterfly_.bodyImageLink.StoreValue(kRedLink);
        butterfly_.bodyMeshLink.StoreValue(kBodyMeshLink);
        butterfly_.imageLink.StoreValue(kGreenLink);
        butterfly_.meshLink.StoreValue(kWingMeshLink);
        butterfly_.speed.SetValue(0);
        butterfly_.wingScale = wingScale;
        objects_.clear();
        auto& object = Add<DS_3DObjArray>(butterfly_);
        auto* flight = dynamic_cast<AC_Butterfly*>(object.Trees().front()->Controller());
        EXPECT_NE(flight, nullptr);
        if (flight) {
            flight->position = D3DXVECTOR3(300, 200, 0);
            flight->wingAngle = -40.0f;
            flight->flapRate = 0.0f;
            flight->heading = ApproachValue(0, 0, 350);
            flight->bank = ApproachValue(0, 0, 50);
            flight->forwardSpeed = ApproachValue(100, 100, 350);
            flight->verticalSpeed = ApproachValue(0, 0, 250);
        }
        return object;
    }

    ComPtr<IDirect3DTexture9> red_;
    DS_ButterflyConstructor butterfly_;
    std::vector<CountedPtr<DS_ABObj>> objects_;
};

}  // namespace

TEST_F(Object3DDraw, WingScaleTwoDoublesTheWingsAndLeavesTheBody)
{
    // Raised 40 degrees, a wing of reach r ends about 0.32 r pixels above
    // the hinge line; the body hangs 1 to 11 pixels below it.
    struct Case {
        float wingScale;
        uint32_t at155;
    };
    for (const Case& c : {Case{1.0f, kBlack}, Case{2.0f, kGreen}}) {
        SCOPED_TRACE(c.wingScale);
        StillButterfly(c.wingScale);
        Frame(0.1f);
        EXPECT_TRUE(Near(ReadPixel(300, 190), kGreen)) << std::hex << ReadPixel(300, 190);
        EXPECT_TRUE(Near(ReadPixel(300, 155), c.at155)) << std::hex << ReadPixel(300, 155);
        EXPECT_TRUE(Near(ReadPixel(300, 120), kBlack)) << std::hex << ReadPixel(300, 120);
        EXPECT_TRUE(Near(ReadPixel(300, 206), kRed)) << std::hex << ReadPixel(300, 206);
        EXPECT_TRUE(Near(ReadPixel(300, 220), kBlack)) << std::hex << ReadPixel(300, 220);
    }
}

TEST_F(Object3DDraw, LooksTheSameAfterWhateverWasDrawnBefore)
{
    StillButterfly(1.0f);
    // An earlier draw left the stage adding a white factor and additive blending.
    Frame(0.1f, [](IDirect3DDevice9* device) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF808080);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    });
    EXPECT_TRUE(Near(ReadPixel(300, 190), kGreen)) << std::hex << ReadPixel(300, 190);
    EXPECT_TRUE(Near(ReadPixel(300, 206), kRed)) << std::hex << ReadPixel(300, 206);
}

TEST_F(Object3DDraw, MissingMeshesAndPicturesDrawNothing)
{
    butterfly_.bodyMeshLink.StoreValue({L"missing-body.x", 1});
    butterfly_.meshLink.StoreValue({L"missing-wing.x", 1});
    butterfly_.imageLink.StoreValue({L"missing.png", 1});
    auto& object = Add<DS_3DObjArray>(butterfly_);
    EXPECT_FALSE(object.Parts()[0].HasGeometry());
    DS_3D_in_2D_array_Constructor leaves;
    leaves.count.StoreValue(3);
    const std::string garbage = "xof 0303txt 0032\nMesh { 99999999; 1.0;";
    leaves.mesh.SetData(reinterpret_cast<const uint8_t*>(garbage.data()), static_cast<uint32_t>(garbage.size()));
    const std::vector<uint8_t> notAPicture = {1, 2, 3, 4, 5};
    leaves.texture.SetData(notAPicture.data(), static_cast<uint32_t>(notAPicture.size()));
    auto& array = Add<DS_3D_in_2D_array>(leaves);
    EXPECT_EQ(array.Mesh().VertexBuffer(), nullptr);
    Frame(0.1f);
    Frame(0.2f);
    const PixelSnapshot shot = SnapshotPixels();
    for (UINT y = 20; y < 400; y += 40) {
        for (UINT x = 20; x < 600; x += 40) EXPECT_TRUE(Near(shot.At(x, y), kBlack)) << x << ", " << y;
    }
}

TEST_F(Object3DDraw, ClockMinuteHandPointsAtTheTime)
{
    // The library's disc, face and hands, centred at (300, 200), 300 across.
    DS_ClockConstructor clock;
    clock.clockRect.extraX.StoreValue(300);
    clock.clockRect.extraY.StoreValue(200);
    clock.size.SetValue(300);
    auto& object = Add<DS_3DObjArray>(clock);
    ASSERT_TRUE(object.Parts()[0].HasGeometry()) << "common_res.dll mesh 70 did not load";
    ASSERT_NE(object.Parts()[0].mesh.Texture(), nullptr);
    ClockTime now;
    ASSERT_TRUE(AC_ClockArrow::LocalTime(now));
    Frame(0.1f);
    const float minute = AC_ClockArrow::HandAngle(now, false) * kPi / 180.0f;
    const float hour = AC_ClockArrow::HandAngle(now, true) * kPi / 180.0f;
    // Clockwise from twelve, y growing downwards.
    auto at = [](float angle, float r, int& x, int& y) {
        x = static_cast<int>(std::lround(300.0f + r * std::sin(angle)));
        y = static_cast<int>(std::lround(200.0f - r * std::cos(angle)));
    };
    int x = 0, y = 0;
    at(minute, 40.0f, x, y);
    EXPECT_LT(DarkestAround(x, y), 100) << "minute hand at " << x << ", " << y;
    // The face opposite the minute hand, unless the hour hand lies there.
    const float opposite = minute + kPi;
    if (std::fabs(std::remainder(opposite - hour, 2.0f * kPi)) > 0.4f) {
        at(opposite, 40.0f, x, y);
        EXPECT_GT(DarkestAround(x, y), 150) << "face at " << x << ", " << y;
    }
    // Outside the face nothing is drawn.
    EXPECT_TRUE(Near(ReadPixel(300, 30), kBlack));
}

TEST_F(Object3DDraw, FaceChangeReTexturesTheBuiltClock)
{
    DS_ClockConstructor clock;
    auto& object = Add<DS_3DObjArray>(clock);
    auto& clone = static_cast<DS_ClockConstructor&>(object.Item());
    ASSERT_NE(object.Parts()[0].mesh.Texture(), red_.Get());
    // The document item and a copy of the built clone never built parts:
    // their face changes reach no object.
    clock.imageLink.SetValue(kRedLink);
    DS_ClockConstructor copy(clone);
    copy.imageLink.SetValue(kRedLink);
    EXPECT_NE(object.Parts()[0].mesh.Texture(), red_.Get());

    clone.imageLink.SetValue(kRedLink);
    EXPECT_EQ(object.Parts()[0].mesh.Texture(), red_.Get());
    EXPECT_NE(object.Parts()[1].mesh.Texture(), red_.Get());
}

TEST_F(Object3DDraw, LeavesCoverTheirCentresOnly)
{
    DS_3D_in_2D_array_Constructor leaves;
    leaves.count.StoreValue(3);
    leaves.motion.leafSize.StoreValue(40);
    leaves.motion.speed.StoreValue(0);
    const std::vector<uint8_t> mesh = SquareXFile();
    leaves.mesh.SetData(mesh.data(), static_cast<uint32_t>(mesh.size()));
    const std::vector<uint8_t> picture = SolidBmp(0x00C000);
    leaves.texture.SetData(picture.data(), static_cast<uint32_t>(picture.size()));
    auto& array = Add<DS_3D_in_2D_array>(leaves);
    ASSERT_NE(array.Mesh().VertexBuffer(), nullptr) << "the .x bytes did not load";
    ASSERT_EQ(array.Mesh().children.size(), 3u);
    Frame(0.1f);
    std::vector<D3DXVECTOR3> centres;
    for (const DS_Frame* copy : array.Mesh().children) {
        D3DXVECTOR3 centre;
        D3DXVec3TransformCoord(&centre, &array.Mesh().boundingCentre, &copy->combined);
        centres.push_back(centre);
        if (centre.x < 2 || centre.y < 2 || centre.x > 597 || centre.y > 397) continue;
        EXPECT_TRUE(Near(ReadPixel(static_cast<UINT>(centre.x), static_cast<UINT>(centre.y)), 0x00C000))
            << centre.x << ", " << centre.y << " is " << std::hex
            << ReadPixel(static_cast<UINT>(centre.x), static_cast<UINT>(centre.y));
    }
    // Pixels far from every copy keep the picture.
    int checked = 0;
    for (UINT y = 10; y < 400; y += 30) {
        for (UINT x = 10; x < 600; x += 30) {
            bool away = true;
            for (const D3DXVECTOR3& c : centres) away = away && std::hypot(c.x - x, c.y - y) > 60.0f;
            if (!away) continue;
            ++checked;
            EXPECT_TRUE(Near(ReadPixel(x, y), kBlack)) << x << ", " << y;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST_F(Object3DDraw, LibraryMeshesFitTheFrameTransforms)
{
    struct Extent {
        D3DXVECTOR3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
        float reach = 0.0f;  // largest distance from the y axis
    };
    auto read = [&](int32_t number, std::vector<PNT>& vertices) {
        const MeshEntry& entry = manager_->GetMesh(DS_FileLink3(number, L"common_res.dll"), sizeof(PNT));
        ASSERT_FALSE(entry.IsEmpty()) << "mesh " << number;
        void* data = nullptr;
        ASSERT_TRUE(SUCCEEDED(entry.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)));
        const auto* first = static_cast<const PNT*>(data);
        vertices.assign(first, first + entry.vertexCount);
        entry.vertexBuffer->Unlock();
    };
    auto extent = [](const std::vector<PNT>& vertices) {
        Extent e;
        for (const PNT& v : vertices) {
            e.low = D3DXVECTOR3(std::min(e.low.x, v.x), std::min(e.low.y, v.y), std::min(e.low.z, v.z));
            e.high = D3DXVECTOR3(std::max(e.high.x, v.x), std::max(e.high.y, v.y), std::max(e.high.z, v.z));
            e.reach = std::max(e.reach, std::hypot(v.x, v.z));
        }
        return e;
    };
    std::vector<PNT> body, wing, disc;
    read(68, body);
    read(69, wing);
    read(70, disc);
    // The body lies along z (the wings' hinge line), slim across it.
    const Extent b = extent(body);
    EXPECT_GT(b.high.z - b.low.z, 4.0f * (b.high.x - b.low.x));
    EXPECT_GT(b.high.z - b.low.z, 4.0f * (b.high.y - b.low.y));
    // A flat wing in x-z, hinged on the z axis and reaching out along +x.
    const Extent w = extent(wing);
    EXPECT_EQ(w.low.y, 0.0f);
    EXPECT_EQ(w.high.y, 0.0f);
    EXPECT_GE(w.low.x, 0.0f);
    EXPECT_GT(w.high.x, 50.0f);
    // A disc of diameter 100 in x-z; twelve o'clock (+z) at the top of the
    // face picture (v 0) and three o'clock (+x) at its right (u 1).
    const Extent d = extent(disc);
    EXPECT_EQ(d.low.y, 0.0f);
    EXPECT_EQ(d.high.y, 0.0f);
    EXPECT_NEAR(d.reach, 50.0f, 0.01f);
    for (const PNT& v : disc) {
        if (v.z > 49.9f) {
            EXPECT_NEAR(v.v, 0.0f, 0.01f);
        }
        if (v.x > 49.9f) {
            EXPECT_NEAR(v.u, 1.0f, 0.01f);
        }
    }
}
