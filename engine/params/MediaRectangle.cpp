#include "engine/params/MediaRectangle.h"

namespace {

void ReadDirect(DS_IOF_Virtual& archive, MediaParamTB<int>& param)
{
    int32_t value = param.GetValue();
    archive.ReadInt32(value);
    param.StoreValue(value);
}

void WriteValue(DS_IOF_Virtual& archive, const MediaParamTB<int>& param)
{
    const int32_t value = param.GetValue();
    archive.WriteInt32(value);
}

}  // namespace

MediaRectangle::MediaRectangle(const MediaRectangle& other)
    : MediaParam(),
      left(other.left),
      right(other.right),
      top(other.top),
      bottom(other.bottom),
      extraX(other.extraX),
      extraY(other.extraY)
{
}

MediaRectangle& MediaRectangle::operator=(const MediaRectangle& other)
{
    if (this == &other) return *this;
    left.StoreValueAndSyncUndo(other.left.GetValue());
    right.StoreValueAndSyncUndo(other.right.GetValue());
    top.StoreValueAndSyncUndo(other.top.GetValue());
    bottom.StoreValueAndSyncUndo(other.bottom.GetValue());
    extraX.StoreValue(other.extraX.GetValue());
    extraY.StoreValue(other.extraY.GetValue());
    return *this;
}

bool MediaRectangle::ContainsViewPoint(float x, float y) const
{
    return static_cast<float>(left.GetValue()) <= x && x <= static_cast<float>(right.GetValue()) &&
           static_cast<float>(top.GetValue()) <= y && y <= static_cast<float>(bottom.GetValue());
}

void MediaRectangle::Read(const DS_IOF_Archive& ar)
{
    if (!ar.archive) return;
    ReadDirect(*ar.archive, left);
    ReadDirect(*ar.archive, right);
    ReadDirect(*ar.archive, top);
    ReadDirect(*ar.archive, bottom);
    ReadDirect(*ar.archive, extraX);
    ReadDirect(*ar.archive, extraY);
}

void MediaRectangle::Write(const DS_IOF_Archive& ar) const
{
    if (!ar.archive) return;
    WriteValue(*ar.archive, left);
    WriteValue(*ar.archive, right);
    WriteValue(*ar.archive, top);
    WriteValue(*ar.archive, bottom);
    WriteValue(*ar.archive, extraX);
    WriteValue(*ar.archive, extraY);
}
