#include "objects/3d/Obj3DCtrl.h"

#include <algorithm>

#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

namespace {

// The PNT layout: position, normal, one texture coordinate pair.
constexpr uint32_t kPNTVertexBytes = 32;
static_assert(sizeof(PNT) == kPNTVertexBytes, "3D parts draw 32-byte vertices");

}  // namespace

bool ReadLink(DS_IOF_Archive* ar, DS_FileLink3& link)
{
    link.Read(*ar);
    return !ar->Failed();
}

// ---- DS_3DPart ----

void DS_3DPart::SetTexture(const DS_FileLink3& imageLink, const DS_FileLink3& meshLink)
{
    DS_DocResManager* manager = CurrentDocResManager();
    mesh.SetTextureRef(manager ? manager->GetTextureSet(imageLink).CurrentTexture() : nullptr);
    SetMesh(meshLink);
}

void DS_3DPart::SetMesh(const DS_FileLink3& meshLink)
{
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) {
        mesh.ReleaseBuffers();
        return;
    }
    mesh.TakeMesh(manager->GetMesh(meshLink, kPNTVertexBytes));
}

Part3DDraw DS_3DPart::DrawInfo() const
{
    Part3DDraw draw;
    draw.mesh = &mesh;
    draw.frames = frames.data();
    draw.frameCount = frames.size();
    draw.transparent = transparent;
    return draw;
}

// ---- DS_3D_Obj_Ctrl ----

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl()
{
    speed.SetValue(kDefaultSpeed);
}

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other)
    : DS_ViewObjCtrl(other),
      count(other.count.GetValue()),
      size(other.size.GetValue()),
      imageLink(other.imageLink),
      meshLink(other.meshLink)
{
}

DS_ABObj* DS_3D_Obj_Ctrl::CreateObject()
{
    return new DS_3DObjArray(Clone());
}

void DS_3D_Obj_Ctrl::AttachFrames(FrameTreeList&, PartVector&) {}

void DS_3D_Obj_Ctrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteUInt(count.GetValue());
    ar->archive->WriteUInt(size.GetValue());
    imageLink.Write(*ar);
    meshLink.Write(*ar);
    DS_ViewObjCtrl::WriteBody(ar);
}

bool DS_3D_Obj_Ctrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    uint32_t storedCount = count.GetValue();
    uint32_t storedSize = size.GetValue();
    ar->archive->ReadUInt(storedCount);
    ar->archive->ReadUInt(storedSize);
    if (ar->Failed()) return false;
    count.StoreValue(std::min<uint32_t>(storedCount, kMaxCount));
    size.StoreValue(std::min<uint32_t>(storedSize, kMaxSize));
    if (!ReadLink(ar, imageLink) || !ReadLink(ar, meshLink)) return false;
    return DS_ViewObjCtrl::ReadBody(ar);
}

void AttachRootsAndChildren(const FrameTreeList& trees, PartVector& parts)
{
    for (DS_3DPart& part : parts) part.frames.clear();
    if (parts.size() < 2) return;
    for (DS_Frame* root : trees) {
        if (!root) continue;
        // This tree's children go in front of those of the older trees.
        parts[1].frames.insert(parts[1].frames.begin(), root->children.begin(), root->children.end());
        parts[0].frames.push_back(root);
    }
}

// ---- DS_3DObjArray ----

DS_3DObjArray::DS_3DObjArray(DS_3D_Obj_Ctrl* item) : DS_ABObj(item), item_(item)
{
    item_->BuildParts(parts_);
    countListener_ = std::make_unique<DS_FunLightCtrl<unsigned, DS_3DObjArray>>(&DS_3DObjArray::SetInstanceCount, this);
    countListener_->Attach(&item_->count);
    // Fired at once, so the instances exist from the start.
    countListener_->OnChange(nullptr);
}

DS_3DObjArray::~DS_3DObjArray()
{
    for (DS_Frame* root : trees_) DeleteFrameTree(root);
    trees_.clear();
    countListener_.reset();
    parts_.clear();
}

void DS_3DObjArray::DeleteFrameTree(DS_Frame* root)
{
    if (!root) return;
    for (DS_Frame* child : root->children) delete child;
    root->children.clear();
    delete root;
}

void DS_3DObjArray::SetInstanceCount(unsigned n)
{
    n = std::min(n, DS_3D_Obj_Ctrl::kMaxCount);
    while (trees_.size() < n) trees_.push_back(item_->CreateFrameTree());
    while (trees_.size() > n) {
        DeleteFrameTree(trees_.front());
        trees_.pop_front();
    }
    item_->AttachFrames(trees_, parts_);
}

void DS_3DObjArray::Update(float localTime)
{
    item_->SmoothSpeed(localTime);
    for (DS_Frame* root : trees_) {
        if (root) root->UpdateMatrices(nullptr);
    }
}

void DS_3DObjArray::Render(DS_ABRender* service)
{
    if (!service) return;
    for (const DS_3DPart& part : parts_) {
        // A part whose mesh could not be loaded draws nothing.
        if (part.HasGeometry() && !part.frames.empty()) service->Draw3DObject(part.DrawInfo());
    }
}

bool DS_3DObjArray::HitTest(POINT* point)
{
    if (!point) return false;
    return item_->HitTest(static_cast<float>(point->x), static_cast<float>(point->y));
}
