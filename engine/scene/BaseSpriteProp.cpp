#include "engine/scene/BaseSpriteProp.h"

#include <algorithm>
#include <cmath>

#include "engine/archive/ArchiveValues.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"
#include "engine/scene/TimeLineControl.h"

namespace {

void ReadStoredUInt(DS_IOF_Archive* ar, unsigned& value)
{
    uint32_t read = value;
    ar->archive->ReadUInt(read);
    if (!ar->Failed()) value = read;
}

void ReadStoredInt32(DS_IOF_Archive* ar, int32_t& value)
{
    int32_t read = value;
    ar->archive->ReadInt32(read);
    if (!ar->Failed()) value = read;
}

template <class Param>
void ReadStoredParam(DS_IOF_Archive* ar, Param& param)
{
    int32_t read = param.GetValue();
    ar->archive->ReadInt32(read);
    if (!ar->Failed()) param.StoreValue(read);
}

}  // namespace

DS_BaseSpriteProp::DS_BaseSpriteProp() = default;

DS_BaseSpriteProp::DS_BaseSpriteProp(const DS_BaseSpriteProp& other)
    : DS_ViewObjCtrl(other),
      count(other.count),
      size(other.size),
      transparency(other.transparency),
      blendMode(other.blendMode),
      color(other.color),
      pulseSpeed(other.pulseSpeed),
      minAlpha(other.minAlpha),
      maxAlpha(other.maxAlpha),
      minScale(other.minScale),
      maxScale(other.maxScale),
      imageLink(other.imageLink),
      secondImageLink(other.secondImageLink),
      secondFrameCount(other.secondFrameCount),
      secondFrameRate(other.secondFrameRate),
      frameCount(other.frameCount),
      frameRate(other.frameRate),
      sheet(other.sheet),
      sequence(other.sequence),
      mirrorVertically(other.mirrorVertically),
      mirrorHorizontally(other.mirrorHorizontally),
      isStatic(other.isStatic),
      legacyDurations(other.legacyDurations),
      legacyBlobs(other.legacyBlobs),
      legacySecond(other.legacySecond),
      animationSpeed(other.animationSpeed)
{
}

DS_BaseSpriteProp::~DS_BaseSpriteProp() = default;

void DS_BaseSpriteProp::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

ItemPreview DS_BaseSpriteProp::GetPreview() const
{
    ItemPreview preview;
    preview.link = &imageLink;
    preview.count = sequence;
    preview.flag = false;
    preview.scale = 1.0f / static_cast<float>(FrameCount());
    return preview;
}

void DS_BaseSpriteProp::InitSprite(SpriteInstance&) {}

void DS_BaseSpriteProp::UpdateSprite(SpriteInstance&) {}

int32_t DS_BaseSpriteProp::NextFrame(int32_t index)
{
    const int64_t frames = FrameCount();
    return static_cast<int32_t>((static_cast<int64_t>(index) + 1) % frames);
}

unsigned DS_BaseSpriteProp::GetCount()
{
    return count.GetValue();
}

uint32_t DS_BaseSpriteProp::ModulateAlpha(uint32_t argb)
{
    const float alpha = TimeLine().GetAlpha();
    const uint32_t byte = static_cast<uint32_t>(SaturatingTruncate(alpha * static_cast<float>(argb >> 24))) & 0xFFu;
    return byte << 24 | (argb & 0xFFFFFFu);
}

uint8_t DS_BaseSpriteProp::TransparencyAlpha() const
{
    return transparency.GetValue() > 100 ? 0 : transparency.GetDerived();
}

void DS_BaseSpriteProp::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

void DS_BaseSpriteProp::WriteFields(DS_IOF_Archive* ar) const
{
    DS_ViewObjCtrl::WriteBody(ar);
    DS_IOF_Virtual& out = *ar->archive;
    out.WriteUInt(count.GetValue());
    out.WriteUInt(size.GetValue());
    out.WriteUInt(transparency.GetValue());
    out.WriteInt32(blendMode.GetValue());
    out.WriteInt(static_cast<int32_t>(color.GetValue()));
    out.WriteFloat(pulseSpeed);
    out.WriteFloat(minAlpha);
    out.WriteFloat(maxAlpha);
    out.WriteFloat(minScale);
    out.WriteFloat(maxScale);
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        manager->MarkForSave(imageLink);
        manager->MarkForSave(secondImageLink);
    }
    imageLink.Write(*ar);
    secondImageLink.Write(*ar);
    out.WriteUInt(secondFrameCount);
    out.WriteFloat(secondFrameRate);
    out.WriteUInt(frameCount);
    out.WriteFloat(frameRate);
    out.WriteBool(sheet);
    out.WriteInt32(sequence);
    out.WriteInt32(mirrorVertically.GetValue());
    out.WriteInt32(mirrorHorizontally.GetValue());
    out.WriteInt32(isStatic.GetValue());
    out.WriteUInt(animationSpeed.GetValue());
}

bool DS_BaseSpriteProp::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_BaseSpriteProp::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive) return false;
    if (!DS_ViewObjCtrl::ReadBody(ar)) {
        ar->Fail();
        return false;
    }
    DS_IOF_Virtual& in = *ar->archive;

    unsigned stored = count.GetValue();
    ReadStoredUInt(ar, stored);
    count.StoreValue(std::min(stored, kMaxSprites));
    if (version < kNoViewSpeedVersion) {
        unsigned viewSpeed = speed.GetValue();
        ReadStoredUInt(ar, viewSpeed);
        speed.StoreValue(viewSpeed);
    }
    stored = size.GetValue();
    ReadStoredUInt(ar, stored);
    size.StoreValue(stored);
    ReadParam(*ar, transparency);  // through the setter: the alpha byte follows
    ReadStoredParam(ar, blendMode);
    int32_t colour = static_cast<int32_t>(color.GetValue());
    in.ReadInt(colour);
    if (!ar->Failed()) color.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(colour)));
    ReadFiniteFloat(ar, pulseSpeed);
    ReadFiniteFloat(ar, minAlpha);
    ReadFiniteFloat(ar, maxAlpha);
    ReadFiniteFloat(ar, minScale);
    ReadFiniteFloat(ar, maxScale);
    if (version >= kLinksVersion) {
        imageLink.Read(*ar);
        secondImageLink.Read(*ar);
    } else {
        std::vector<ResourceBlob> blobs;
        ReadBlobList(ar, blobs);
        if (!ar->Failed()) legacyBlobs = std::move(blobs);
        in.ReadResourceBlob(legacySecond);
    }
    ReadStoredUInt(ar, secondFrameCount);
    ReadFiniteFloat(ar, secondFrameRate);
    ReadStoredUInt(ar, frameCount);
    ReadFiniteFloat(ar, frameRate);
    in.ReadBool(sheet);
    if (version < kLinksVersion) {
        // The version-1 record ends with the frame durations.
        std::vector<float> durations;
        ReadFloatList(ar, durations);
        if (ar->Failed()) return false;
        for (float& duration : durations)
            if (!std::isfinite(duration)) duration = 0.0f;
        legacyDurations = std::move(durations);
        return true;
    }
    if (version >= kSequenceVersion) ReadStoredInt32(ar, sequence);
    if (version >= kMirrorVersion) {
        ReadStoredParam(ar, mirrorVertically);
        ReadStoredParam(ar, mirrorHorizontally);
    }
    if (version >= kStaticVersion) ReadStoredParam(ar, isStatic);
    if (version >= kAnimationSpeedVersion) ReadParam(*ar, animationSpeed);
    return !ar->Failed();
}
