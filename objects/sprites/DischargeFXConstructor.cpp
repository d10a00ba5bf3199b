#include "objects/sprites/DischargeFXConstructor.h"

#include <algorithm>
#include <utility>

#include "engine/params/Random.h"
#include "engine/scene/ViewObjCtrl.h"
#include "objects/sprites/SpriteInstance.h"

namespace {

constexpr unsigned kDefaultAmplitude = 50;
constexpr float kAmplitudeScale = 0.01f;
constexpr unsigned kDefaultFlicker = 100;
constexpr float kFlickerScale = -0.001f;
constexpr float kFlickerOffset = 0.1f;
constexpr unsigned kDefaultMorphSpeed = 50;
constexpr float kMorphSpeedScale = 0.1f;
constexpr unsigned kDefaultSize = 50;
constexpr int kScreenBlend = 1;
constexpr unsigned long kDefaultColor = 0xFFFFCC;      // 0x00BBGGRR
constexpr unsigned long kDefaultGlowColor = 0xFF9900;  // 0x00BBGGRR

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out(0.0f, 0.0f, 0.0f);
    D3DXVec3Normalize(&out, &v);
    return out;
}

// The random numbers one build of n segments draws at sprite count c.
uint64_t BuildDraws(size_t n, unsigned c)
{
    const uint64_t built = std::min<uint64_t>(n, c);
    // The segment that ends the bolt (g + 1 = c) draws nothing.
    const uint64_t last = (built > 0 && built == c) ? 1 : 0;
    return 2 * (built - last);
}

void ReadPoint(DS_IOF_Archive* ar, MediaParamT<D3DXVECTOR3>& point)
{
    D3DXVECTOR3 value = point.GetValue();
    ReadFiniteFloat(ar, value.x);
    ReadFiniteFloat(ar, value.y);
    ReadFiniteFloat(ar, value.z);
    if (!ar->Failed()) point.StoreValue(value);
}

void WritePoint(DS_IOF_Archive* ar, const D3DXVECTOR3& point)
{
    ar->archive->WriteFloat(point.x);
    ar->archive->WriteFloat(point.y);
    ar->archive->WriteFloat(point.z);
}

}  // namespace

DS_DischargeFXConstructor::DS_DischargeFXConstructor()
    : amplitude(kDefaultAmplitude, kAmplitudeScale, 0.0f),
      flicker(kDefaultFlicker, kFlickerScale, kFlickerOffset),
      morphSpeed(kDefaultMorphSpeed, kMorphSpeedScale, 0.0f)
{
    effectLink.StoreValue(FileLinkValue{kEffectModule, kEffectId});
    size.SetValue(kDefaultSize);
    blendMode.SetValue(kScreenBlend);
    color.SetValue(kDefaultColor);
    glowColor.SetValue(kDefaultGlowColor);
}

void DS_DischargeFXConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_DischargeFXConstructor::LoadEffect()
{
    DS_FXParticleSystemCtrl::LoadEffect();
    imageLink.StoreValue(FileLinkValue{kEffectModule, textureChoice.GetValue() != 0 ? kChosenPicture : kOtherPicture});
    LoadLinkTextures();
}

void DS_DischargeFXConstructor::InitSprite(SpriteInstance&)
{
    const unsigned c = count.GetValue();
    oldBolt_.resize(c);
    newBolt_.resize(c);
    // Both builds span the whole resized bolts, so they replace whatever an
    // earlier call left pending.
    pending_ = true;
    pendingState_ = DS_RandState();
    pendingCount_ = c;
    DS_SkipRand(2 * BuildDraws(c, c));
}

void DS_DischargeFXConstructor::BuildPendingBolts()
{
    if (!pending_) return;
    pending_ = false;
    const uint32_t resume = DS_RandState();
    DS_SRand(pendingState_);
    BuildBolt(oldBolt_, pendingCount_);
    BuildBolt(newBolt_, pendingCount_);
    DS_SRand(resume);
}

const std::vector<BoltSegment>& DS_DischargeFXConstructor::OldBolt()
{
    BuildPendingBolts();
    return oldBolt_;
}

const std::vector<BoltSegment>& DS_DischargeFXConstructor::NewBolt()
{
    BuildPendingBolts();
    return newBolt_;
}

void DS_DischargeFXConstructor::BuildBolt(std::vector<BoltSegment>& bolt)
{
    BuildBolt(bolt, count.GetValue());
}

void DS_DischargeFXConstructor::BuildBolt(std::vector<BoltSegment>& bolt, unsigned c)
{
    // A bolt longer than the count (the count was lowered) keeps its
    // segments beyond it: c - g stays at least 1.
    const size_t built = std::min<size_t>(bolt.size(), c);
    if (built < 1) return;
    const D3DXVECTOR3 s = start.GetValue();
    const D3DXVECTOR3 e = end.GetValue();
    const D3DXVECTOR3 d = e - s;
    const D3DXVECTOR3 normal = Normalized(D3DXVECTOR3(d.y, -d.x, 0.0f));
    const float a = amplitude.GetDerived();
    D3DXVECTOR3 p = s;
    for (size_t g = 0; g < built; ++g) {
        const D3DXVECTOR3 r = e - p;
        const float length = D3DXVec3Length(&r) / static_cast<float>(c - g);
        D3DXVECTOR3 heading = r;
        if (g + 1 != c) {
            const float alpha = RandomRange(-a, a);
            const float beta = RandomRange(-a, a);
            heading = D3DXVECTOR3(r.x + alpha * r.y, r.y + beta * r.x, r.z + r.z);
        }
        BoltSegment& segment = bolt[g];
        segment.direction = Normalized(heading);
        segment.normal = normal;
        const D3DXVECTOR3 q = p + segment.direction * length;
        segment.centre = (p + q) * 0.5f;
        segment.length = length;
        p = q;
    }
}

void DS_DischargeFXConstructor::SetEffectParams()
{
    BuildPendingBolts();
    segmentIndex_ = 0;
    const float clock = SpeedClock();
    // A restarted clock would otherwise hold the bolt still until it passed
    // the time of the last rebuild again.
    if (lastRebuild_ > clock) lastRebuild_ = 0.0f;
    if (clock - lastRebuild_ > kRebuildInterval) {
        lastRebuild_ = clock;
        oldBolt_ = newBolt_;  // same size: the storage is reused
        BuildBolt(newBolt_);
    }
}

BoltSegment DS_DischargeFXConstructor::InterpolateSegment(size_t i, float m)
{
    BuildPendingBolts();
    const BoltSegment& from = oldBolt_[i];
    const BoltSegment& to = newBolt_[i];
    BoltSegment s;
    s.centre = from.centre + m * (to.centre - from.centre);
    s.direction = from.direction + m * (to.direction - from.direction);
    s.normal = from.normal + m * (to.normal - from.normal);
    s.length = from.length + m * (to.length - from.length);
    return s;
}

void DS_DischargeFXConstructor::UpdateSprite(SpriteInstance& sprite)
{
    BuildPendingBolts();
    const int32_t i = segmentIndex_;
    const size_t index = static_cast<size_t>(i);
    // Sprites beyond either bolt (possible after the count changed) keep
    // their last shape.
    if (i >= 0 && index < oldBolt_.size() && index < newBolt_.size()) {
        const float m = (SpeedClock() - lastRebuild_) * morphSpeed.GetDerived();
        const BoltSegment s = InterpolateSegment(index, m);
        sprite.firstAxis = s.direction;
        sprite.halfWidth = s.length * 0.5f;
        sprite.secondAxis = s.normal;
        sprite.halfHeight = static_cast<float>(size.GetValue()) * 0.5f;
        sprite.direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        sprite.velocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        sprite.position = s.centre;
    }
    if (flicker.GetDerived() < LastTime() - sprite.firstTimer) {
        sprite.firstTimer = LastTime();
        if (DS_Rand() % 2 == 0) {
            sprite.vStart = 0.5f;
            sprite.vEnd = 1.0f;
        } else {
            sprite.vStart = 0.0f;
            sprite.vEnd = 0.5f;
        }
        if (DS_Rand() & 1) std::swap(sprite.vStart, sprite.vEnd);
    }
    sprite.uStart = i == 0 ? 0.0f : kInnerUStart;
    sprite.uEnd = static_cast<int64_t>(i) + 1 == static_cast<int64_t>(count.GetValue()) ? 1.0f : kInnerUEnd;
    segmentIndex_ = i + 1;
    sprite.PackColor(*this);
}

void DS_DischargeFXConstructor::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WritePoint(ar, start.GetValue());
    WritePoint(ar, end.GetValue());
    amplitude.Write(*ar);
    ar->archive->WriteInt32(textureChoice.GetValue());
    flicker.Write(*ar);
    morphSpeed.Write(*ar);
    DS_GlowEffectCtrl::WriteBody(ar);
}

bool DS_DischargeFXConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    ReadPoint(ar, start);
    ReadPoint(ar, end);
    amplitude.Read(*ar);
    int32_t choice = textureChoice.GetValue();
    ar->archive->ReadInt32(choice);
    if (ar->Failed()) return false;
    textureChoice.StoreValue(choice);
    flicker.Read(*ar);
    morphSpeed.Read(*ar);
    if (ar->Failed()) return false;
    return DS_GlowEffectCtrl::ReadBody(ar);
}
