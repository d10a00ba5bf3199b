#include "effects/brushes/CentralBased.h"

#include "engine/render/ViewMetrics.h"

namespace {

D3DXVECTOR3 ViewCenter()
{
    const ViewMetrics& metrics = ViewMetrics::Instance();
    return D3DXVECTOR3(static_cast<float>(metrics.pictureWidth) / 2.0f,
                       static_cast<float>(metrics.pictureHeight) / 2.0f, 0.0f);
}

}  // namespace

DS_CentralBased::DS_CentralBased() : center(ViewCenter()) {}

void DS_CentralBased::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_CentralBased::CenterInView(float& x, float& y) const
{
    x = center.GetValue().x / ViewWidth();
    y = center.GetValue().y / ViewHeight();
}

void DS_CentralBased::SetCenterParam(DS_ABRender* service)
{
    if (!HasEffect()) return;
    SetCommonParams(service);
    float x = 0.0f, y = 0.0f;
    CenterInView(x, y);
    SetFloats("Center", {x, y});
}

void DS_CentralBased::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    const D3DXVECTOR3& c = center.GetValue();
    ar->archive->WriteFloat(c.x);
    ar->archive->WriteFloat(c.y);
    ar->archive->WriteFloat(c.z);
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_CentralBased::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    D3DXVECTOR3 c(0.0f, 0.0f, 0.0f);
    ar->archive->ReadFloat(c.x);
    ar->archive->ReadFloat(c.y);
    ar->archive->ReadFloat(c.z);
    if (ar->Failed()) return false;
    center.StoreValue(c);
    return DS_FX_Constructor::ReadBody(ar);
}
