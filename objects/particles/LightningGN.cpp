#include "objects/particles/LightningGN.h"

#include <algorithm>
#include <cmath>

#include "engine/archive/ArchiveValues.h"
#include "engine/params/Noise.h"
#include "engine/params/Random.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/Firework.h"
#include "objects/particles/ParticlesObj.h"

namespace {

constexpr unsigned kMillisecondsPerHundredth = 10;
constexpr unsigned kOldDurationCount = 7;
// Noise of the visible flicker: the local time in milliseconds over this
// scale, four octaves each half as strong.
constexpr double kFlickerScale = 75.0;
constexpr double kFlickerPersistence = 0.5;
constexpr int kFlickerOctaves = 4;
// Tip pieces: the start piece is half the node's core width long, the end
// piece 0.7 of it and narrowing to 0.7 at its tip.
constexpr float kStartPiece = 0.5f;
constexpr float kEndPiece = 0.7f;

float RandUnit()
{
    return static_cast<float>(DS_Rand()) / static_cast<float>(kRandMax);
}

float RandSign()
{
    return (DS_Rand() & 1) ? -1.0f : 1.0f;
}

bool ReadPoint(DS_IOF_Archive* ar, D3DXVECTOR3& point)
{
    float xyz[3] = {};
    for (float& v : xyz) ar->archive->ReadFloat(v);
    if (ar->Failed()) return false;
    point = D3DXVECTOR3(FiniteOrZero(xyz[0]), FiniteOrZero(xyz[1]), FiniteOrZero(xyz[2]));
    return true;
}

void WritePoint(DS_IOF_Archive* ar, const D3DXVECTOR3& point)
{
    ar->archive->WriteFloat(point.x);
    ar->archive->WriteFloat(point.y);
    ar->archive->WriteFloat(point.z);
}

// One pass of midpoint displacement over the whole polyline: two draws per
// segment, in order along it.
void DisplaceMidpoints(std::vector<D3DXVECTOR3>& points, std::vector<D3DXVECTOR3>& scratch, float displacement)
{
    scratch.clear();
    scratch.push_back(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        const D3DXVECTOR3& p = points[i - 1];
        const D3DXVECTOR3& q = points[i];
        const D3DXVECTOR3 d = q - p;
        const D3DXVECTOR3 normal(d.y, -d.x, 0.0f);  // as long as the segment
        const float amount = RandUnit() * displacement;
        const float sign = RandSign();
        scratch.push_back((p + q) * 0.5f + sign * amount * normal);
        scratch.push_back(q);
    }
    points.swap(scratch);
}

// One pass of corner cutting: the first point, then each segment's points
// at 1/3 and 2/3 (0.33 and 0.67), except the first segment's 1/3 point.
void CutCorners(std::vector<D3DXVECTOR3>& points, std::vector<D3DXVECTOR3>& scratch)
{
    scratch.clear();
    scratch.push_back(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        const D3DXVECTOR3& p0 = points[i - 1];
        const D3DXVECTOR3& c0 = points[i];
        scratch.push_back(p0 + DS_LightningGN::kCornerCut * (c0 - p0));
        if (i + 1 < points.size()) {
            const D3DXVECTOR3& d0 = points[i + 1];
            scratch.push_back(d0 + DS_LightningGN::kCornerCut * (c0 - d0));
        }
    }
    points.swap(scratch);
}

// A copy of plan per entry of from, each appended to the children of a
// random one of to (one draw each, in order).
void SpreadSpecs(const std::vector<BranchPlan>& from, std::vector<BranchPlan>& to)
{
    for (const BranchPlan& plan : from) {
        const size_t j = static_cast<size_t>(DS_Rand()) % to.size();
        to[j].children.push_back(plan);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// BoltNode

unsigned BoltNode::CountSegments(const std::vector<BoltNode>& polyline)
{
    if (polyline.empty()) return 0;
    unsigned n = static_cast<unsigned>(polyline.size() - 1);
    for (const BoltNode& node : polyline) n += CountSegments(node.children);
    return n;
}

unsigned BoltNode::CountNodes(const std::vector<BoltNode>& polyline)
{
    if (polyline.empty()) return 0;
    unsigned n = 2;
    for (const BoltNode& node : polyline) n += CountNodes(node.children);
    return n;
}

// ---------------------------------------------------------------------------
// DS_StringGenerator

void DS_StringGenerator::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WritePoint(ar, startPoint.GetValue());
    WritePoint(ar, endPoint.GetValue());
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_StringGenerator::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    D3DXVECTOR3 start, end;
    if (ar->Failed() || !ReadPoint(ar, start) || !ReadPoint(ar, end)) return false;
    startPoint.StoreValue(start);
    endPoint.StoreValue(end);
    return DS_TexParticleGenerator::ReadBody(ar);
}

// ---------------------------------------------------------------------------
// DS_LightningGN

DS_LightningGN::DS_LightningGN() = default;

void DS_LightningGN::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, coreWidth);
    WriteParam(*ar, subdivisions);
    WriteParam(*ar, displacement);
    WriteParam(*ar, seed);
    WriteParam(*ar, branchLength);
    WriteParam(*ar, branchAngle);
    WriteParam(*ar, taper);
    WriteParam(*ar, level1Branches);
    WriteParam(*ar, level2Branches);
    WriteParam(*ar, level3Branches);
    WriteParam(*ar, flicker);
    WriteParam(*ar, glowWidth);
    WriteParam(*ar, random);
    WriteBody(ar);
}

bool DS_LightningGN::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    ReadParam(*ar, coreWidth);
    ReadParam(*ar, subdivisions);
    ReadParam(*ar, displacement);
    ReadParam(*ar, seed);
    ReadParam(*ar, branchLength);
    ReadParam(*ar, branchAngle);
    ReadParam(*ar, taper);
    ReadParam(*ar, level1Branches);
    ReadParam(*ar, level2Branches);
    ReadParam(*ar, level3Branches);
    unsigned old[kOldDurationCount] = {};
    const bool hasOldDurations = version < kTimeLineVersion;
    if (hasOldDurations) {
        for (unsigned& duration : old) ar->archive->ReadUInt(duration);
    }
    ReadParam(*ar, flicker);
    ReadParam(*ar, glowWidth);
    ReadParam(*ar, random);
    if (ar->Failed() || !DS_StringGenerator::ReadBody(ar)) return false;
    if (hasOldDurations) {
        // Fade-in, fade-out, show, first and second pause; the last two are
        // dropped. The bolt then cycles.
        DS_TimeLineControl& line = TimeLine();
        line.fadeIn = old[0] / kMillisecondsPerHundredth;
        line.fadeOut = old[1] / kMillisecondsPerHundredth;
        line.visible.maximum.SetValue(old[2] / kMillisecondsPerHundredth);
        line.visible.minimum.SetValue(old[2] / kMillisecondsPerHundredth);
        line.invisible.minimum.SetValue(old[3] / kMillisecondsPerHundredth);
        line.invisible.maximum.SetValue(old[4] / kMillisecondsPerHundredth);
        line.mode = DS_TimeLineControl::kCycle;
    }
    return true;
}

void DS_LightningGN::Restart()
{
    DS_StringGenerator::Restart();
    lastTime = 0.0f;
}

void DS_LightningGN::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    DS_Firework::RenderTwoLayers(service, this, object);
}

void DS_LightningGN::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    Generate();
    AcquireRenderTarget();
    if (object) object->SetBufferCount(2);
}

void DS_LightningGN::Update(float t, DS_ParticlesObj* object)
{
    lastTime = t;
    if (TimeLine().GetPhase() == DS_TimeLineControl::kInvisible) {
        built = false;
    } else if (!built) {
        Generate();
        built = true;
    }
    FillBuffers(object);
}

unsigned DS_LightningGN::Subdivisions() const
{
    return std::min(subdivisions.GetValue(), kMaxSubdivisions);
}

unsigned DS_LightningGN::BranchCount(int level) const
{
    const MediaParamT<unsigned>& count = level == 1 ? level1Branches : level == 2 ? level2Branches : level3Branches;
    return std::min(count.GetValue(), kMaxBranches);
}

unsigned DS_LightningGN::PolylineQuads(size_t nodes)
{
    // Its segments and two tip pieces.
    return nodes < 2 ? 0 : static_cast<unsigned>(nodes - 1) + 2;
}

void DS_LightningGN::Generate()
{
    // Draw order is fixed: one draw per level-3 branch, one per level-2
    // branch, then BuildBolt's.
    if (random.GetValue() == 0) DS_SRand(seed.GetValue());
    bolt_.clear();
    const unsigned n1 = BranchCount(1);
    const unsigned n2 = BranchCount(2);
    const unsigned n3 = BranchCount(3);
    std::vector<BranchPlan> level1;
    if (n1 > 0) {
        std::vector<BranchPlan> level2(n2);
        if (n2 > 0) {
            const std::vector<BranchPlan> level3(n3);
            SpreadSpecs(level3, level2);
        }
        level1.resize(n1);
        SpreadSpecs(level2, level1);
    }
    plannedQuads_ = 0;
    BuildBolt(startPoint.GetValue(), endPoint.GetValue(), bolt_, static_cast<int>(Subdivisions()), 1.0f, level1,
              1.0f);
    core_.clear();
    glow_.clear();
    BuildSegmentQuads(bolt_, 0.0f);
}

void DS_LightningGN::BuildBolt(const D3DXVECTOR3& a, const D3DXVECTOR3& b, std::vector<BoltNode>& polyline,
                               int passes, float widthScale, const std::vector<BranchPlan>& plans, float brightness)
{
    // Positions first (no node has branches until the last step). They are
    // copied into the nodes before any branch is built, so every polyline
    // of every bolt works in the same two lists.
    std::vector<D3DXVECTOR3>& points = points_;
    points.assign({a, b});
    const float displace = displacement.GetDerived();
    for (int pass = 0; pass < passes; ++pass) DisplaceMidpoints(points, scratch_, displace);
    CutCorners(points, scratch_);

    // Draw order is fixed: two per segment of each pass along the polyline
    // (above), one anchor per plan, then walking the nodes from the last,
    // at each branch node the sign and the length share, followed at once
    // by the branch's own draws. A branch left out still takes its two.
    const size_t n = points.size();
    plannedQuads_ += PolylineQuads(n);
    std::vector<int> anchors(plans.size());
    for (int& anchor : anchors) anchor = DS_Rand() % static_cast<int>(n);

    polyline.clear();
    polyline.resize(n);
    for (size_t i = 0; i < n; ++i) polyline[i].position = points[i];

    // The branch side of this polyline: across its chord from b toward a.
    D3DXVECTOR3 q = a - b;
    const float chord = D3DXVec3Length(&q);
    const bool hasSide = chord > 0.0f;
    if (hasSide) q /= chord;
    const D3DXVECTOR3 side(q.y, -q.x, 0.0f);

    const float t = taper.GetDerived();
    float w = t * widthScale;
    const float angle = branchAngle.GetDerived();
    const float length = branchLength.GetDerived();
    for (size_t i = n; i-- > 0;) {
        BoltNode& node = polyline[i];
        node.width = w;
        node.brightness = brightness / static_cast<float>(n - 1) * static_cast<float>(n - 1 - i);
        const auto plan = std::find(anchors.begin(), anchors.end(), static_cast<int>(i));
        if (plan != anchors.end()) {
            const D3DXVECTOR3 e = b - node.position;
            const float l = D3DXVec3Length(&e);
            const float sign = RandSign();
            const float r = 0.5f + 0.5f * RandUnit();
            const D3DXVECTOR3 end =
                node.position + r * length * (std::cos(angle) * e + std::sin(angle) * sign * l * side);
            // Coinciding points give the branch no direction; a branch that
            // would overfill buffer 0 is left out.
            const int branchPasses = std::max(passes - 1, 0);
            const unsigned branchQuads = PolylineQuads(size_t{2} << branchPasses);
            const bool fits = plannedQuads_ + branchQuads <= DS_ParticlesObj::QuadMesh::kMaxQuads;
            if (hasSide && l > 0.0f && end != node.position && fits) {
                BuildBolt(node.position, end, node.children, passes - 1, node.width,
                          plans[static_cast<size_t>(plan - anchors.begin())].children, node.brightness);
            }
        }
        w = std::min(1.0f, w + (1.0f - t) * widthScale / static_cast<float>(n));
    }
}

float DS_LightningGN::TextureRatio() const
{
    return textureSets.empty() ? 1.0f : textureSets[0].aspect;
}

void DS_LightningGN::BuildSegmentQuads(const std::vector<BoltNode>& polyline, float x0)
{
    if (polyline.size() < 2) return;
    const float ratio = TextureRatio();
    const float core = static_cast<float>(coreWidth.GetValue());
    const float glowSide = static_cast<float>(glowWidth.GetValue());
    const BoltNode& first = polyline.front();

    if (!first.children.empty()) BuildSegmentQuads(first.children, 0.0f);
    D3DXVECTOR3 back = first.position - polyline[1].position;
    const float backLength = D3DXVec3Length(&back);
    if (backLength > 0.0f) {
        const float j = core * first.width;
        BoltQuad piece;
        piece.quad = BuildQuadRay(first.position, back / backLength * (j * kStartPiece), j * kStartPiece, j, j);
        SetQuadUV(piece.quad, x0, x0 + kStartPiece * ratio, 0.0f, 1.0f);
        piece.brightness = first.brightness;
        piece.tip = true;
        core_.push_back(piece);
    }

    // Consecutive segment quads share their joints; a zero-length segment
    // writes no quad, so the joint is made between the quads around it.
    size_t lastCore = SIZE_MAX, lastGlow = SIZE_MAX;
    size_t lastSegment = SIZE_MAX;  // index of the node that starts the last segment written
    float x = x0;
    for (size_t i = 1; i < polyline.size(); ++i) {
        const BoltNode& f = polyline[i - 1];
        const BoltNode& h = polyline[i];
        if (!h.children.empty()) BuildSegmentQuads(h.children, 0.0f);
        const D3DXVECTOR3 d = h.position - f.position;
        const float length = D3DXVec3Length(&d);
        if (!(length > 0.0f)) continue;
        const float span = core * h.width;
        const float t = span != 0.0f ? length / span : 0.0f;
        BoltQuad coreQuad, glowQuad;
        coreQuad.quad = BuildQuadRay(f.position, d, length, core * f.width, core * h.width);
        glowQuad.quad = BuildQuadRay(f.position, d, length, glowSide * f.width, glowSide * h.width);
        SetQuadUV(coreQuad.quad, x, x + t * ratio, 0.0f, 1.0f);
        SetQuadUV(glowQuad.quad, x, x + t * ratio, 0.0f, 1.0f);
        coreQuad.brightness = glowQuad.brightness = f.brightness;
        if (lastCore != SIZE_MAX) SmoothQuad(coreQuad.quad, core_[lastCore].quad);
        if (lastGlow != SIZE_MAX) SmoothQuad(glowQuad.quad, glow_[lastGlow].quad);
        lastCore = core_.size();
        lastGlow = glow_.size();
        core_.push_back(coreQuad);
        glow_.push_back(glowQuad);
        lastSegment = i - 1;
        x += t * ratio;
    }

    // A single segment gets no end piece (it is not drawn either).
    const BoltNode& last = polyline.back();
    D3DXVECTOR3 ahead = last.position - polyline[polyline.size() - 2].position;
    const float aheadLength = D3DXVec3Length(&ahead);
    if (polyline.size() > 2 && aheadLength > 0.0f && lastSegment != SIZE_MAX) {
        const float w = core * last.width;
        BoltQuad piece;
        piece.quad = BuildQuadRay(last.position, ahead / aheadLength * (kEndPiece * w), kEndPiece * w, w, kEndPiece * w);
        SetQuadUV(piece.quad, x, x + kEndPiece * ratio, 0.0f, 1.0f);
        piece.brightness = polyline[polyline.size() - 2].brightness;
        piece.tip = true;
        core_.push_back(piece);
    }
}

DS_LightningGN::FrameLight DS_LightningGN::CurrentLight() const
{
    const DS_TimeLineControl& line = TimeLine();
    FrameLight light;
    light.phase = line.GetPhase();
    light.alpha = line.GetAlpha();
    if (light.phase == DS_TimeLineControl::kVisible) {
        // One noise value for every node of the frame.
        const double n = OctaveNoise1D(static_cast<double>(lastTime) * 1000.0, kFlickerScale, kFlickerPersistence,
                                       kFlickerOctaves);
        light.visible = 1.0f - static_cast<float>(n + 1.0) * flicker.GetDerived() * 0.5f;
    }
    return light;
}

float DS_LightningGN::FrameLight::Of(float x) const
{
    switch (phase) {
        case DS_TimeLineControl::kFadingOut:
            return alpha * alpha;
        case DS_TimeLineControl::kInvisible:
            return alpha;
        case DS_TimeLineControl::kFadingIn:
            // Each node lights up over a third of the fade-in, from the start
            // of its polyline to the end (negative values clamp to dark).
            return alpha > 1.0f - x ? 1.0f : 3.0f * (alpha + x - 0.666f);
        default:
            return visible;
    }
}

float DS_LightningGN::Brightness(float x) const
{
    return CurrentLight().Of(x);
}

void DS_LightningGN::FillBuffers(DS_ParticlesObj* object)
{
    if (!object || object->BufferCount() < 2) return;
    const FrameLight light = CurrentLight();
    const std::vector<BoltQuad>* lists[2] = {&core_, &glow_};
    const MediaColor* colours[2] = {&color, &glowColor};
    const uint32_t clear = VertexColor(color.GetValue(), 0.0f);
    for (size_t i = 0; i < 2; ++i) {
        const std::vector<BoltQuad>& quads = *lists[i];
        object->ReserveQuads(i, static_cast<unsigned>(quads.size()));
        DX_V::PCT* vertices = object->LockBuffer(i);
        if (!vertices) continue;
        const unsigned long bgr = colours[i]->GetValue();
        const float alpha = static_cast<float>(colours[i]->GetAlpha()) / 255.0f;
        // Neighbouring quads mostly share their light (all of them outside
        // the fade-in), so the colour is packed again only when it changes.
        float packedFor = -1.0f;
        uint32_t lit = 0;
        for (unsigned k = 0; k < object->QuadCount(i); ++k) {
            const float f = light.Of(quads[k].brightness);
            if (f != packedFor) {
                lit = VertexColor(bgr, f * alpha);
                packedFor = f;
            }
            ParticleQuad quad = quads[k].quad;
            quad.v[0].color = quad.v[1].color = lit;
            quad.v[2].color = quad.v[3].color = quads[k].tip ? clear : lit;
            WriteQuadVertices(vertices, k, quad);
        }
        object->UnlockBuffer(i);
    }
}
