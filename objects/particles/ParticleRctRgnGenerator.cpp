#include "objects/particles/ParticleRctRgnGenerator.h"

#include "engine/archive/IOF_Item.h"

void DS_ParticleRctRgnGenerator::WriteBody(DS_IOF_Archive* ar)
{
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteFields(ar);
}

bool DS_ParticleRctRgnGenerator::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar);
}

void DS_ParticleRctRgnGenerator::WriteFields(DS_IOF_Archive* ar)
{
    rectangle.Write(*ar);
    DS_TexParticleGenerator::WriteBody(ar);
}

bool DS_ParticleRctRgnGenerator::ReadFields(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    rectangle.Read(*ar);
    if (ar->Failed()) return false;
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) {
        D3DXVECTOR3 corner = rectangle.Corner(k).GetValue();
        rectangle.Corner(k).StoreValue(
            D3DXVECTOR3(FiniteOrZero(corner.x), FiniteOrZero(corner.y), FiniteOrZero(corner.z)));
    }
    return DS_TexParticleGenerator::ReadBody(ar);
}
