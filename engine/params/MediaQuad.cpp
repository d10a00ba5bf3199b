#include "engine/params/MediaQuad.h"

MediaQuad::MediaQuad(const MediaQuad& other) : MediaParam()
{
    for (int i = 0; i < kCornerCount; ++i) corners_[i].StoreValue(other.corners_[i].GetValue());
}

void MediaQuad::SetRect(const D3DXVECTOR3& centre, float width, float height)
{
    const float halfW = width / 2.0f;
    const float halfH = height / 2.0f;
    corners_[0].StoreValue(D3DXVECTOR3(centre.x - halfW, centre.y - halfH, centre.z));
    corners_[1].StoreValue(D3DXVECTOR3(centre.x - halfW, centre.y + halfH, centre.z));
    corners_[2].StoreValue(D3DXVECTOR3(centre.x + halfW, centre.y - halfH, centre.z));
    corners_[3].StoreValue(D3DXVECTOR3(centre.x + halfW, centre.y + halfH, centre.z));
}

void MediaQuad::Read(const DS_IOF_Archive& ar)
{
    if (!ar.archive) return;
    for (auto& corner : corners_) {
        D3DXVECTOR3 v = corner.GetValue();
        ar.archive->ReadFloat(v.x);
        ar.archive->ReadFloat(v.y);
        ar.archive->ReadFloat(v.z);
        corner.StoreValue(v);
    }
}

void MediaQuad::Write(const DS_IOF_Archive& ar) const
{
    if (!ar.archive) return;
    for (const auto& corner : corners_) {
        const D3DXVECTOR3& v = corner.GetValue();
        ar.archive->WriteFloat(v.x);
        ar.archive->WriteFloat(v.y);
        ar.archive->WriteFloat(v.z);
    }
}
