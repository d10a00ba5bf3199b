// 3D objects: scene items that show instances of a small textured model
// moving over the picture. Each instance is a tree of DS_Frame nodes whose
// controllers recompute the frames' matrices on every update; the parts
// (mesh, texture, frame list) are drawn at every frame of their list. The
// kinds (butterfly, clock) say which parts there are, how a tree is built and
// which frames each part is drawn at.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "engine/params/FunLightCtrl.h"
#include "engine/params/MediaParam.h"
#include "engine/render/Mesh.h"
#include "engine/resources/FileLink.h"
#include "engine/scene/ABObj.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/ViewObjCtrl.h"

// One mesh with its texture, drawn at each frame of its list. The frames
// belong to the frame trees of the object.
class DS_3DPart {
public:
    // Texture = the current texture of the image link's texture set in the
    // current resource manager, then SetMesh. No manager: both stay empty.
    void SetTexture(const DS_FileLink3& imageLink, const DS_FileLink3& meshLink);
    // The link's mesh with 32-byte PNT vertices (buffers shared, counts and
    // bounding sphere copied). A mesh that cannot be loaded leaves the part
    // without buffers: it draws nothing.
    void SetMesh(const DS_FileLink3& meshLink);
    // What Draw3DObject takes.
    Part3DDraw DrawInfo() const;
    bool HasGeometry() const { return mesh.VertexBuffer() && mesh.IndexBuffer() && mesh.TriangleCount() > 0; }

    TexturedPNTMesh mesh;
    // Drawn alpha-blended, once with each cull direction.
    bool transparent = false;
    std::vector<DS_Frame*> frames;
};

using FrameTreeList = std::list<DS_Frame*>;
using PartVector = std::vector<DS_3DPart>;

class DS_3D_Obj_Ctrl : public DS_ViewObjCtrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_3D_Obj_Ctrl";
    static constexpr int32_t kVersion = 1;
    // Most instances one item holds: a stored count above it reads as this,
    // so a damaged count cannot build an unbounded number of trees.
    static constexpr unsigned kMaxCount = 1000;
    // Largest stored size: keeps centre +- size / 2 and the size matrices
    // inside what 32-bit picture coordinates hold.
    static constexpr unsigned kMaxSize = 100000;

    // Speed 50 (notifying), count 1, size 50, empty links.
    DS_3D_Obj_Ctrl();
    // The view part and the four fields.
    DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other);

    // 6. A new DS_3DObjArray around Clone().
    DS_ABObj* CreateObject() override;
    // 15. Fills the part vector (kind's meshes and textures).
    virtual void BuildParts(PartVector& parts) = 0;
    // 16. Puts the frames of the trees into the parts' lists; nothing here.
    virtual void AttachFrames(FrameTreeList& trees, PartVector& parts);
    // 17. A new root frame owning its controller; its children belong to
    // the caller, which deletes them before the root.
    virtual DS_Frame* CreateFrameTree() = 0;
    // 18. Whether the item is placed by a rectangle of its own.
    virtual bool IsRectPlaced() const { return false; }
    // 19.
    virtual DS_3D_Obj_Ctrl* Clone() const = 0;

    // The "DS_3D_Obj_Ctrl" record: header, count, size, both links, then
    // the "DS_ViewObjCtrl" record.
    void WriteBody(DS_IOF_Archive* ar) const;
    // Count and size stored directly (clamped to kMaxCount and kMaxSize).
    // False when the record runs short or is damaged.
    bool ReadBody(DS_IOF_Archive* ar);

    MediaParamT<unsigned> count{1};
    MediaParamT<unsigned> size{50};
    DS_ImageFileLink imageLink;
    DS_MeshFile meshLink;
};

// Children at the front of part 1's list (one block per tree, the newest
// tree's first), roots appended to part 0's list; both lists are rebuilt.
// Parts missing from the vector are skipped.
void AttachRootsAndChildren(const FrameTreeList& trees, PartVector& parts);

// The runtime object of every DS_3D_Obj_Ctrl kind.
class DS_3DObjArray : public DS_ABObj {
public:
    // Takes the item clone, builds its parts and as many trees as its count.
    explicit DS_3DObjArray(DS_3D_Obj_Ctrl* item);
    // Trees, listener, parts; the base then deletes the item.
    ~DS_3DObjArray() override;

    void Render(DS_ABRender* service) override;
    void ForwardInt(int32_t, int32_t) override {}
    void Relayout() override {}
    bool HitTest(POINT* point) override;
    // Advances the item's speed clock, then every tree's matrices.
    void Update(float localTime) override;

    // Appends new trees or deletes the oldest until there are n (at most
    // kMaxCount), then the item attaches the frames again.
    void SetInstanceCount(unsigned n);

    const FrameTreeList& Trees() const { return trees_; }
    const PartVector& Parts() const { return parts_; }
    DS_3D_Obj_Ctrl& Item() const { return *item_; }

private:
    // Its child frames, then the root.
    static void DeleteFrameTree(DS_Frame* root);

    DS_3D_Obj_Ctrl* item_;
    FrameTreeList trees_;
    PartVector parts_;
    std::unique_ptr<DS_FunLightCtrl<unsigned, DS_3DObjArray>> countListener_;
};

// Reads a file link's stored form into link; false (archive failed) when
// the data ran short.
bool ReadLink(DS_IOF_Archive* ar, DS_FileLink3& link);
