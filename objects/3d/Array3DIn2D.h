// Copies of one small textured mesh scattered over the picture (leaves,
// petals, snowflakes): each copy drifts in a common direction with its own
// speed and sideways swing, tumbles about three axes and comes back in at
// the opposite side when it leaves the picture. The item carries the mesh
// and picture bytes in its record and the motion values shared by all
// copies; its object draws the mesh once per copy.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "engine/params/MediaParam.h"
#include "engine/render/Mesh.h"
#include "engine/scene/ABObj.h"
#include "engine/scene/ABRender.h"

// The motion values shared by every copy of an array.
class ArrayMotionParams {
public:
    ArrayMotionParams() { SetDirection(0); }
    // Values only, and the direction with its vectors.
    ArrayMotionParams(const ArrayMotionParams& other);
    ArrayMotionParams& operator=(const ArrayMotionParams&) = delete;

    // direction = (cos a, -sin a), perpendicular = (-sin a, -cos a): y is
    // negated because picture y grows downwards.
    void SetDirection(uint32_t degrees);
    uint32_t Direction() const { return directionDegrees_; }

    MediaParamT<unsigned> leafSize{0};
    MediaParamT<unsigned> speed{50};
    MediaParamT<unsigned> swing{0};
    MediaParamT<unsigned> sideChange{0};
    MediaParamT<unsigned> spin{100};
    D3DXVECTOR4 direction{1.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 perpendicular{0.0f, -1.0f, 0.0f, 0.0f};

private:
    uint32_t directionDegrees_ = 0;
};

// The local time of the array being updated, read by its copies'
// controllers. Process-wide because the controllers are called through
// DS_Frame::UpdateMatrices, which passes only the frame; the arrays are
// updated one after the other on the scene thread, each setting it first.
class ArrayCurrentTime {
public:
    static float Get();
    static void Set(float t);
};

// Moves a copy over the picture; writes no matrix of its own.
class DS_SreamAnim : public DS_AnimationBase {
public:
    // Longest step one update takes, seconds.
    static constexpr float kMaxStep = 0.2f;

    // Draws four numbers in this order: x, y, lateral factor, speed factor.
    explicit DS_SreamAnim(const ArrayMotionParams& params);

    // Moves the position by the time since the last call (or wraps it to the
    // opposite side) and may pick a new lateral factor.
    void Apply(DS_Frame& frame) override;

    float X() const { return position._41; }
    float Y() const { return position._42; }

    D3DXMATRIX position;  // Translation(x, y, 0)
    float lateral = 0.0f;
    float lastSideChange = 0.0f;
    float speedFactor = 0.0f;
    float lastTime = 0.0f;
    float step = 0.0f;
    const ArrayMotionParams& params;
};

// Moves a copy as DS_SreamAnim does, scales it to the leaf size and tumbles it.
class DS_LeafFallAnim : public DS_SreamAnim {
public:
    struct Turn {
        float rate = 0.0f;
        float angle = 0.0f;
    };

    // After the four draws of DS_SreamAnim: for each spin a sign and a
    // magnitude, then for each swing a parity, a sign and a magnitude.
    explicit DS_LeafFallAnim(const ArrayMotionParams& params);

    // combined = local x Scaling(k) x spins x Translation(0, 0, 50) x
    // swings x Translation(x, y, 0), k = leaf size / 2 / bounding radius.
    // A radius of 0 or not finite draws the copy at scale 0 (nothing shows).
    void Apply(DS_Frame& frame) override;
    // leaf size / 2 / radius; 0 for a radius that gives no finite scale.
    static float LeafScale(unsigned leafSize, float radius);

    Turn spins[3];
    Turn swings[2];
};

class DS_3D_in_2D_array_Constructor : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_3D_in_2D_array_Constructor";
    static constexpr int32_t kVersion = 1;
    // Most copies one array holds; a stored count above it reads as this.
    static constexpr unsigned kMaxCount = 1000;

    DS_3D_in_2D_array_Constructor() = default;
    DS_3D_in_2D_array_Constructor(const DS_3D_in_2D_array_Constructor& other);

    void Write(DS_IOF_Archive* ar) override;
    // Name, count (at most kMaxCount), mesh and picture, the motion values
    // stored directly and the direction, then the item base record. False
    // when the record runs short.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);
    DS_ABObj* CreateObject() override;

    ResourceBlob mesh;
    ResourceBlob texture;
    MediaParamT<unsigned> count{0};
    ArrayMotionParams motion;
};

using TexturedPNTMesh = DS_TexturedMesh<PNT, DS_IndexedMesh<PNT>>;

class DS_3D_in_2D_array : public DS_ABObj {
public:
    // Takes the item copy, loads its mesh and picture and makes its copies.
    explicit DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* item);
    ~DS_3D_in_2D_array() override;

    void Render(DS_ABRender* service) override;
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    void Update(float localTime) override;

    // Texture and mesh from the item's blobs through the current resource
    // manager's loader; what cannot be loaded stays empty.
    void LoadResources();
    // Adds copies at the end or deletes the first until there are count.
    void SyncInstances();

    const TexturedPNTMesh& Mesh() const { return mesh_; }
    DS_3D_in_2D_array_Constructor& Item() const { return *item_; }

private:
    void AddInstanceFrame();

    DS_3D_in_2D_array_Constructor* item_;
    TexturedPNTMesh mesh_;
};
