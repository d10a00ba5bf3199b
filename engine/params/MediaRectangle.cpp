#include "engine/params/MediaRectangle.h"

#include <array>


namespace {

// The stored fields of a rectangle in their stored order.
template <typename Field, typename Rect>
std::array<Field*, 6> StoredFields(Rect& rect)
{
    return {&rect.left, &rect.right, &rect.top, &rect.bottom, &rect.extraX, &rect.extraY};
}

void ReadDirect(DS_IOF_Virtual& archive, MediaParamTB<int>& param)
{
    int32_t value = param.GetValue();
    archive.ReadInt32(value);
    param.StoreValue(value);
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

bool MediaRectangle::Contains(float x, float y, ViewConversion toPicture) const
{
    float pictureX = 0.0f;
    float pictureY = 0.0f;
    toPicture(x, y, pictureX, pictureY);
    return ContainsViewPoint(pictureX, pictureY);
}

void MediaRectangle::Read(const DS_IOF_Archive& ar)
{
    if (!ar.archive) return;
    for (MediaParamTB<int>* field : StoredFields<MediaParamTB<int>>(*this)) ReadDirect(*ar.archive, *field);
}

void MediaRectangle::Write(const DS_IOF_Archive& ar) const
{
    if (!ar.archive) return;
    for (const MediaParamTB<int>* field : StoredFields<const MediaParamTB<int>>(*this)) WriteParam(ar, *field);
}
