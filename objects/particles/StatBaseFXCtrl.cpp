#include "objects/particles/StatBaseFXCtrl.h"

#include "engine/render/ViewMetrics.h"
#include "engine/scene/ViewObjCtrl.h"
#include "objects/particles/FXObj.h"

void DS_BaseFXCtrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_FXParticleSystemCtrl::WriteBody(ar);
}

bool DS_BaseFXCtrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return DS_FXParticleSystemCtrl::ReadBody(ar);
}

DS_StatBaseFXCtrl::DS_StatBaseFXCtrl()
{
    const ViewMetrics& metrics = ViewMetrics::Instance();
    position.StoreValue(D3DXVECTOR3(static_cast<float>(metrics.pictureWidth) * 0.5f,
                                    static_cast<float>(metrics.pictureHeight) * 0.5f, 0.0f));
}

DS_ABObj* DS_StatBaseFXCtrl::CreateObject()
{
    return new DS_FXObj(static_cast<DS_StatBaseFXCtrl*>(Clone()));
}

void DS_StatBaseFXCtrl::LoadEffect()
{
    DS_FXParticleSystemCtrl::LoadEffect();
}

void DS_StatBaseFXCtrl::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    const D3DXVECTOR3& point = position.GetValue();
    ar->archive->WriteFloat(point.x);
    ar->archive->WriteFloat(point.y);
    ar->archive->WriteFloat(point.z);
    ar->archive->WriteUInt(boxHeight.GetValue());
    ar->archive->WriteUInt(boxWidth.GetValue());
    DS_BaseFXCtrl::WriteBody(ar);
}

bool DS_StatBaseFXCtrl::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    D3DXVECTOR3 point = position.GetValue();
    ReadFiniteFloat(ar, point.x);
    ReadFiniteFloat(ar, point.y);
    ReadFiniteFloat(ar, point.z);
    if (ar->Failed()) return false;
    position.StoreValue(point);
    if (version >= kBoxVersion) {
        unsigned height = boxHeight.GetValue();
        unsigned width = boxWidth.GetValue();
        ar->archive->ReadUInt(height);
        ar->archive->ReadUInt(width);
        if (ar->Failed()) return false;
        boxHeight.StoreValue(height);
        boxWidth.StoreValue(width);
    }
    return DS_BaseFXCtrl::ReadBody(ar);
}
