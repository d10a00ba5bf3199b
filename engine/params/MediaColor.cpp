#include "engine/params/MediaColor.h"

MediaColor::MediaColor() : MediaColor(kDefaultColor, 0) {}

MediaColor::MediaColor(unsigned long color, unsigned transparencyPercent)
    : MediaParamT<unsigned long>(color), transparency(transparencyPercent, kAlphaScale, kAlphaOffset)
{
}

void MediaColor::Read(const DS_IOF_Archive& ar)
{
    if (!ar.archive) return;
    int32_t color = static_cast<int32_t>(GetValue());
    ar.archive->ReadInt(color);
    SetValue(static_cast<unsigned long>(static_cast<uint32_t>(color)));
    transparency.Read(ar);
}

void MediaColor::Write(const DS_IOF_Archive& ar) const
{
    if (!ar.archive) return;
    const int32_t color = static_cast<int32_t>(static_cast<uint32_t>(GetValue()));
    ar.archive->WriteInt(color);
    transparency.Write(ar);
}
