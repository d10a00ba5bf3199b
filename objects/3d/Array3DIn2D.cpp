#include "objects/3d/Array3DIn2D.h"

#include <algorithm>
#include <cmath>

#include "engine/params/Random.h"
#include "engine/render/ViewMetrics.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "objects/3d/FrameMatrices.h"

using namespace frame_matrices;

namespace {

constexpr uint32_t kPNTVertexBytes = 32;
// Distance of a copy from the centre of its swing, mesh units.
constexpr float kSwingArm = 50.0f;
// Degrees per second per unit of spin or swing and of a copy's rate.
constexpr float kTurnFactor = 0.4f;

float Fraction()
{
    return static_cast<float>(DS_Rand()) / kRandMax;
}

// -1 for an odd draw, +1 for an even one.
float Sign()
{
    return (DS_Rand() & 1) ? -1.0f : 1.0f;
}

D3DXVECTOR4 TurnedX(float radians)
{
    const D3DXVECTOR4 unit(1.0f, 0.0f, 0.0f, 0.0f);
    const D3DXMATRIX turn = RotationZ(radians);
    D3DXVECTOR4 out;
    D3DXVec4Transform(&out, &unit, &turn);
    out.y = -out.y;
    return out;
}

// A blob without bytes, module or file name: nothing to load (an empty
// module name would otherwise name the program's own resources).
bool IsEmptyBlob(const ResourceBlob& blob)
{
    return blob.data.empty() && blob.module.empty() && blob.name.empty();
}

float g_arrayTime = 0.0f;  // owned by ArrayCurrentTime

}  // namespace

float ArrayCurrentTime::Get()
{
    return g_arrayTime;
}

void ArrayCurrentTime::Set(float t)
{
    g_arrayTime = t;
}

// ---- ArrayMotionParams ----

ArrayMotionParams::ArrayMotionParams(const ArrayMotionParams& other)
    : leafSize(other.leafSize.GetValue()),
      speed(other.speed.GetValue()),
      swing(other.swing.GetValue()),
      sideChange(other.sideChange.GetValue()),
      spin(other.spin.GetValue()),
      direction(other.direction),
      perpendicular(other.perpendicular),
      directionDegrees_(other.directionDegrees_)
{
}

void ArrayMotionParams::SetDirection(uint32_t degrees)
{
    directionDegrees_ = degrees;
    // Unsigned degrees: kept modulo 360 before the conversion so that a
    // large stored angle keeps its precision.
    const float a = static_cast<float>(degrees % 360u) * kPi / 180.0f;
    direction = TurnedX(a);
    perpendicular = TurnedX(a + kPi / 2.0f);
}

// ---- DS_SreamAnim ----

DS_SreamAnim::DS_SreamAnim(const ArrayMotionParams& motion) : params(motion)
{
    // Draw order fixed: x, y, lateral factor, speed factor.
    const ViewMetrics& view = ViewMetrics::Instance();
    const float x = Fraction() * static_cast<float>(view.pictureWidth);
    const float y = Fraction() * static_cast<float>(view.pictureHeight);
    position = Translation(x, y, 0.0f);
    lateral = Fraction() * 2.0f - 1.0f;
    speedFactor = Fraction() * 0.06f + 0.07f;
}

void DS_SreamAnim::Apply(DS_Frame&)
{
    const float now = ArrayCurrentTime::Get();
    step = std::min(std::fabs(now - lastTime), kMaxStep);
    lastTime = now;
    const float speed = static_cast<float>(params.speed.GetValue());
    const float f = step * speedFactor * speed * 50.0f;
    const float j = lateral * static_cast<float>(params.swing.GetValue()) * 0.02f;
    const float vx = f * (params.direction.x + params.perpendicular.x * j);
    const float vy = f * (params.direction.y + params.perpendicular.y * j);

    const float m = static_cast<float>(params.leafSize.GetValue()) * 0.5f;
    const ViewMetrics& view = ViewMetrics::Instance();
    const float w = static_cast<float>(view.pictureWidth);
    const float h = static_cast<float>(view.pictureHeight);
    float& x = position._41;
    float& y = position._42;
    // A copy that wraps does not move on that update.
    if (vy > 0.0f && y > h + m) {
        x = RandomRange(0.0f, w);
        y = -m;
    } else if (vy < 0.0f && y < -m) {
        x = RandomRange(0.0f, w);
        y = h + m;
    } else if (vx > 0.0f && x > w + m) {
        x = -m;
        y = RandomRange(0.0f, h);
    } else if (vx < 0.0f && x < -m) {
        x = w + m;
        y = RandomRange(0.0f, h);
    } else {
        x += vx;
        y += vy;
    }

    // A side-change frequency of 0 never changes sides.
    const unsigned frequency = params.sideChange.GetValue();
    if (frequency != 0 && (now - lastSideChange) * speed * 0.1f > 100.0f / static_cast<float>(frequency)) {
        lastSideChange = now;
        if (DS_Rand() & 1) lateral = RandomRange(-1.0f, 1.0f);
    }
}

// ---- DS_LeafFallAnim ----

DS_LeafFallAnim::DS_LeafFallAnim(const ArrayMotionParams& motion) : DS_SreamAnim(motion)
{
    // Draw order fixed: (sign, magnitude) per spin, then (parity, sign,
    // magnitude) per swing.
    for (Turn& turn : spins) {
        const float sign = Sign();
        const float m = Fraction() * 3.0f + 7.0f;
        turn.rate = turn.angle = sign * m;
    }
    for (Turn& turn : swings) {
        const int parity = DS_Rand() & 1;
        const float sign = Sign();
        const float m = Fraction() * 4.0f + 3.0f;
        turn.rate = turn.angle = static_cast<float>(parity) * sign * m;
    }
}

float DS_LeafFallAnim::LeafScale(unsigned leafSize, float radius)
{
    if (!(radius > 0.0f) || !std::isfinite(radius)) return 0.0f;
    const float k = static_cast<float>(leafSize) * 0.5f / radius;
    return std::isfinite(k) ? k : 0.0f;
}

void DS_LeafFallAnim::Apply(DS_Frame& frame)
{
    DS_SreamAnim::Apply(frame);
    const float k = LeafScale(params.leafSize.GetValue(), frame.boundingRadius);
    const float spin = static_cast<float>(params.spin.GetValue());
    const float swing = static_cast<float>(params.swing.GetValue());
    // Angles are kept modulo 360: unbounded degrees would lose precision
    // after hours of play.
    for (Turn& turn : spins) turn.angle = std::fmod(turn.angle + spin * turn.rate * step * kTurnFactor, 360.0f);
    for (Turn& turn : swings) turn.angle = std::fmod(turn.angle + swing * turn.rate * step * kTurnFactor, 360.0f);

    D3DXMATRIX c = Product(frame.local, Scaling(k));
    c = Product(c, RotationX(Radians(spins[0].angle)));
    c = Product(c, RotationZ(Radians(spins[2].angle)));
    c = Product(c, RotationY(Radians(spins[1].angle)));
    c = Product(c, Translation(0.0f, 0.0f, kSwingArm));
    c = Product(c, RotationY(Radians(swings[0].angle)));
    c = Product(c, RotationX(Radians(swings[1].angle)));
    frame.combined = Product(c, position);
}

// ---- DS_3D_in_2D_array_Constructor ----

DS_3D_in_2D_array_Constructor::DS_3D_in_2D_array_Constructor(const DS_3D_in_2D_array_Constructor& other)
    : DS_ABObj_Constructor(other),
      mesh(other.mesh),
      texture(other.texture),
      count(other.count.GetValue()),
      motion(other.motion)
{
}

void DS_3D_in_2D_array_Constructor::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteString(Name());
    ar->archive->WriteUInt(count.GetValue());
    ar->archive->WriteResourceBlob(mesh);
    ar->archive->WriteResourceBlob(texture);
    ar->archive->WriteUInt(motion.leafSize.GetValue());
    ar->archive->WriteUInt(motion.speed.GetValue());
    ar->archive->WriteUInt(motion.swing.GetValue());
    ar->archive->WriteUInt(motion.sideChange.GetValue());
    ar->archive->WriteUInt(motion.spin.GetValue());
    ar->archive->WriteUInt(motion.Direction());
    DS_ABObj_Constructor::WriteBody(ar);
}

bool DS_3D_in_2D_array_Constructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    ds_string name;
    ar->archive->ReadString(name);
    uint32_t storedCount = 0;
    ar->archive->ReadUInt(storedCount);
    ar->archive->ReadResourceBlob(mesh);
    ar->archive->ReadResourceBlob(texture);
    uint32_t values[6] = {motion.leafSize.GetValue(),   motion.speed.GetValue(), motion.swing.GetValue(),
                          motion.sideChange.GetValue(), motion.spin.GetValue(),  motion.Direction()};
    for (uint32_t& value : values) ar->archive->ReadUInt(value);
    if (ar->Failed()) return false;
    SetName(name);
    count.StoreValue(std::min<uint32_t>(storedCount, kMaxCount));
    motion.leafSize.StoreValue(values[0]);
    motion.speed.StoreValue(values[1]);
    motion.swing.StoreValue(values[2]);
    motion.sideChange.StoreValue(values[3]);
    motion.spin.StoreValue(values[4]);
    motion.SetDirection(values[5]);
    return DS_ABObj_Constructor::ReadBody(ar);
}

DS_ABObj* DS_3D_in_2D_array_Constructor::CreateObject()
{
    return new DS_3D_in_2D_array(new DS_3D_in_2D_array_Constructor(*this));
}

// ---- DS_3D_in_2D_array ----

DS_3D_in_2D_array::DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* item) : DS_ABObj(item), item_(item)
{
    LoadResources();
    SyncInstances();
}

DS_3D_in_2D_array::~DS_3D_in_2D_array()
{
    for (DS_Frame* child : mesh_.children) delete child;
    mesh_.children.clear();
}

void DS_3D_in_2D_array::LoadResources()
{
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) {
        mesh_.SetTextureRef(nullptr);
        mesh_.ReleaseBuffers();
        return;
    }
    TextureLoader& loader = manager->Loader();
    mesh_.SetTextureRef(IsEmptyBlob(item_->texture) ? nullptr : loader.GetTexture(item_->texture).texture.Get());
    if (IsEmptyBlob(item_->mesh)) {
        mesh_.ReleaseBuffers();
    } else {
        mesh_.TakeMesh(loader.GetMesh(item_->mesh, kPNTVertexBytes));
    }
}

void DS_3D_in_2D_array::AddInstanceFrame()
{
    auto* frame = new DS_Frame;
    frame->boundingRadius = mesh_.boundingRadius;
    frame->boundingCentre = mesh_.boundingCentre;
    // The copy turns about its own centre.
    frame->local = Translation(-mesh_.boundingCentre.x, -mesh_.boundingCentre.y, -mesh_.boundingCentre.z);
    frame->SetController(new DS_LeafFallAnim(item_->motion));
    mesh_.children.push_back(frame);
}

void DS_3D_in_2D_array::SyncInstances()
{
    const size_t wanted = std::min(item_->count.GetValue(), DS_3D_in_2D_array_Constructor::kMaxCount);
    while (mesh_.children.size() < wanted) AddInstanceFrame();
    while (mesh_.children.size() > wanted) {
        delete mesh_.children.front();
        mesh_.children.pop_front();
    }
}

void DS_3D_in_2D_array::Update(float localTime)
{
    ArrayCurrentTime::Set(localTime);
    mesh_.combined = mesh_.local;
    for (DS_Frame* child : mesh_.children) {
        if (child) child->UpdateMatrices(&mesh_.combined);
    }
}

void DS_3D_in_2D_array::Render(DS_ABRender* service)
{
    // A mesh that could not be loaded, or no copies: nothing to draw.
    if (!service || !mesh_.VertexBuffer() || !mesh_.IndexBuffer() || mesh_.TriangleCount() == 0) return;
    if (mesh_.children.empty()) return;
    service->DrawMeshList(mesh_);
}
