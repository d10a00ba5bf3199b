#include "effects/brushes/BackgroundCopy.h"

DS_BackgroundCopy::DS_BackgroundCopy()
{
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
}

DS_BackgroundCopy::DS_BackgroundCopy(const DS_BackgroundCopy& other)
    : DS_FX_Constructor(other),
      sourceOffset(other.sourceOffset),
      verticalShift(other.verticalShift),
      horizontalShift(other.horizontalShift)
{
}

void DS_BackgroundCopy::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

bool DS_BackgroundCopy::ComputeOffset(float pictureWidth, float pictureHeight, float (&offset)[2]) const
{
    if (!(pictureWidth > 0.0f) || !(pictureHeight > 0.0f)) return false;
    offset[0] = static_cast<float>(sourceOffset.extraX.GetValue()) / pictureWidth;
    offset[1] = static_cast<float>(sourceOffset.extraY.GetValue()) / pictureHeight;
    if (verticalShift.GetValue() != 0) offset[1] += 1.0f;
    if (horizontalShift.GetValue() != 0) offset[0] += 1.0f;
    return true;
}

void DS_BackgroundCopy::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    float pictureWidth = 0.0f, pictureHeight = 0.0f;
    PictureSize(service, pictureWidth, pictureHeight);
    float offset[2];
    if (!ComputeOffset(pictureWidth, pictureHeight, offset)) return;
    SetFloats("offset", {offset[0], offset[1]});
    RenderCommon(service);
}

void DS_BackgroundCopy::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    sourceOffset.Write(*ar);
    ar->archive->WriteInt32(verticalShift.GetValue());
    ar->archive->WriteInt32(horizontalShift.GetValue());
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_BackgroundCopy::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    sourceOffset.Read(*ar);
    int32_t vertical = 0, horizontal = 0;
    ar->archive->ReadInt32(vertical);
    ar->archive->ReadInt32(horizontal);
    if (ar->Failed()) return false;
    verticalShift.StoreValue(vertical);
    horizontalShift.StoreValue(horizontal);
    return DS_FX_Constructor::ReadBody(ar);
}
