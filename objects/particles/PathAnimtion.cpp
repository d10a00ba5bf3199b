#include "objects/particles/PathAnimtion.h"

#include <cmath>

#include "engine/archive/ArchiveValues.h"
#include "engine/archive/IOF_Item.h"
#include "engine/resources/CurrentScene.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

namespace {

bool IsFinite(const D3DXVECTOR3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = b - a;
    return D3DXVec3Length(&d);
}

}  // namespace

// ---------------------------------------------------------------------------
// DS_PathGenerator

void WritePathPoints(DS_IOF_Archive* ar, const std::vector<PathPoint>& path)
{
    DS_IOF_Virtual& out = *ar->archive;
    out.WriteInt(static_cast<int32_t>(path.size()));
    for (const PathPoint& p : path) {
        const D3DXVECTOR3& v = p.point.GetValue();
        out.WriteFloat(v.x);
        out.WriteFloat(v.y);
        out.WriteFloat(v.z);
    }
}

bool ReadPathPoints(DS_IOF_Archive* ar, std::vector<PathPoint>& path)
{
    int32_t count = 0;
    if (!ReadListCount(ar, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        float xyz[3] = {};
        for (float& v : xyz) ar->archive->ReadFloat(v);
        if (ar->Failed()) return false;
        if (path.size() < kMaxParticles) path.emplace_back(D3DXVECTOR3(xyz[0], xyz[1], xyz[2]));
    }
    return true;
}

void DS_PathGenerator::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WritePathPoints(ar, path);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_PathGenerator::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    ReadRecordHeader(ar);
    if (ar->Failed() || !ReadPathPoints(ar, path)) return false;
    return DS_TexParticleGenerator::ReadBody(ar);
}

// ---------------------------------------------------------------------------
// PathCursor

const D3DXVECTOR3& PathCursor::Target() const
{
    return (*path)[backward ? start - 1 : start + 1].point.GetValue();
}

void PathCursor::NextSegment(float amount)
{
    const size_t last = path->size() - 1;
    if (!backward) {
        ++start;
        if (start >= last) backward = 1;
    } else {
        --start;
        if (start == 0) backward = 0;
    }
    distance -= amount;
}

// ---------------------------------------------------------------------------
// DS_PathAnimtion

DS_PathAnimtion::DS_PathAnimtion(const DS_PathAnimtion& other)
    : DS_PathGenerator(other),
      travelSpeed(other.travelSpeed),
      spriteScale(other.spriteScale),
      orientationMode(other.orientationMode),
      flipV(other.flipV),
      flipU(other.flipU),
      previousPosition(other.previousPosition),
      currentPosition(other.currentPosition),
      cursor(other.cursor),
      direction_(other.direction_)
{
    cursor.path = &path;
}

void DS_PathAnimtion::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, travelSpeed);
    WriteParam(*ar, spriteScale);
    WriteParam(*ar, orientationMode);
    WriteParam(*ar, flipV);
    WriteParam(*ar, flipU);
    DS_PathGenerator::WriteBody(ar);
}

bool DS_PathAnimtion::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    travelSpeed.Read(*ar);
    spriteScale.Read(*ar);
    // The three words are stored without telling listeners.
    int32_t mode = 0, v = 0, u = 0;
    ar->archive->ReadInt32(mode);
    ar->archive->ReadInt32(v);
    ar->archive->ReadInt32(u);
    if (ar->Failed()) return false;
    orientationMode.StoreValue(mode);
    flipV.StoreValue(v);
    flipU.StoreValue(u);
    return DS_PathGenerator::ReadBody(ar);
}

void DS_PathAnimtion::InitObject(DS_ParticlesObj* object)
{
    const D3DXVECTOR3 first = path.empty() ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : path.front().point.GetValue();
    previousPosition = first;
    currentPosition = first;
    DS_TexParticleGenerator::InitObject(object);
    particles.clear();
    if (object) object->SetBufferCount(1);
    cursor = PathCursor();
    cursor.path = &path;
}

float DS_PathAnimtion::PathLength() const
{
    float length = 0.0f;
    for (size_t i = 1; i < path.size(); ++i) length += Distance(path[i - 1].point.GetValue(), path[i].point.GetValue());
    return length;
}

bool DS_PathAnimtion::PathUsable() const
{
    if (path.size() < 2) return false;
    for (const PathPoint& p : path) {
        if (!IsFinite(p.point.GetValue())) return false;
    }
    return std::isfinite(PathLength());
}

void DS_PathAnimtion::Advance(float step)
{
    previousPosition = currentPosition;
    if (!PathUsable() || cursor.path != &path || cursor.start >= path.size()) return;
    const float length = PathLength();
    if (!(length > 0.0f)) {
        // Every point is the same: there is nowhere to go (and passing
        // segments of length 0 would never use the step up).
        currentPosition = path.front().point.GetValue();
        return;
    }
    // A round trip ends where it began, so only the rest of a longer step
    // moves the sprite; this bounds the loop below to about one round trip.
    const float roundTrip = 2.0f * length;
    if (!(step >= 0.0f) || !std::isfinite(step)) step = 0.0f;
    if (step >= roundTrip) step = std::fmod(step, roundTrip);
    cursor.distance += step;
    // Rounding can leave a trace more than a round trip's segments to pass;
    // past this many the sprite stops at the end of the segment it is on.
    const size_t maxPasses = 2 * path.size() + 2;
    float segment = Distance(cursor.Start(), cursor.Target());
    for (size_t passes = 0; cursor.distance > segment; ++passes) {
        if (passes == maxPasses) {
            cursor.distance = segment;
            break;
        }
        cursor.NextSegment(segment);
        segment = Distance(cursor.Start(), cursor.Target());
    }
    const D3DXVECTOR3& from = cursor.Start();
    const D3DXVECTOR3& to = cursor.Target();
    currentPosition = segment > 0.0f ? from + (to - from) * (cursor.distance / segment) : from;
}

ParticleQuad DS_PathAnimtion::SpriteQuad(float width, float height)
{
    const int32_t mode = orientationMode.GetValue();
    bool mirrorU = flipU.GetValue() != 0;
    bool mirrorV = flipV.GetValue() != 0;
    ParticleQuad quad;
    if (mode == kAlongMotion) {
        const D3DXVECTOR3 moved = currentPosition - previousPosition;
        const float length = D3DXVec3Length(&moved);
        if (length > 0.0f && std::isfinite(length)) direction_ = moved / length;
        const D3DXVECTOR3& d = direction_;
        const D3DXVECTOR3 n(d.y, -d.x, 0.0f);
        // Side 1 takes half of each axis on either side of the centre: the
        // sprite is width along its motion and height across it.
        quad = BuildQuadAxes(currentPosition, d * width, n * height, 1.0f);
    } else {
        quad = BuildQuadCentered(currentPosition, width, height);
    }
    if (mode == kMirrorUMovingLeft && previousPosition.x >= currentPosition.x) mirrorU = !mirrorU;
    if (mode == kMirrorVMovingDown && previousPosition.y < currentPosition.y) mirrorV = !mirrorV;
    MirrorQuadUV(quad, mirrorU, mirrorV);
    SetQuadColor(quad, VertexColor(color.GetValue(), static_cast<float>(color.GetAlpha()) / 255.0f));
    return quad;
}

void DS_PathAnimtion::BuildQuad(DS_ParticlesObj* object)
{
    Advance(travelSpeed.GetLastStep());
    if (!object) return;
    const bool hasPicture = !textureSets.empty() && CurrentTexture(0);
    const bool shown = hasPicture && PathUsable() && IsFinite(currentPosition);
    object->ReserveQuads(0, shown ? 1u : 0u);
    if (!shown) {
        // Orientation 1 still follows the motion while nothing is drawn.
        SpriteQuad(0.0f, 0.0f);
        return;
    }
    DX_V::PCT* vertices = object->LockBuffer(0);
    const float scale = spriteScale.GetDerived();
    const ParticleQuad quad = SpriteQuad(scale * static_cast<float>(textureSets[0].width),
                                         scale * static_cast<float>(textureSets[0].height));
    if (!vertices) return;
    WriteQuadVertices(vertices, 0, quad);
    object->UnlockBuffer(0);
}

void DS_PathAnimtion::Update(float t, DS_ParticlesObj* object)
{
    travelSpeed.Update(t);
    if (!textureSets.empty()) textureSets[0].StepForward(t);
    BuildQuad(object);
}

void DS_PathAnimtion::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    // Turned along its motion the quad's frame is mirrored (its normal is
    // (d.y, -d.x)), which reverses its winding: without this the device's
    // default culling would drop the sprite.
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || FAILED(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE))) return;
    RenderPlain(service, this, object);
}
