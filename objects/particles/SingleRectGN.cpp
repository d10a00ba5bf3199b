#include "objects/particles/SingleRectGN.h"

#include <cmath>

#include "engine/archive/IOF_Item.h"
#include "objects/particles/ParticlesObj.h"
#include "objects/particles/QuadFunctions.h"

void DS_SingleRectGN::InitObject(DS_ParticlesObj* object)
{
    DS_TexParticleGenerator::InitObject(object);
    if (object) object->SetBufferCount(1);
    BuildQuad();
}

void DS_SingleRectGN::BuildQuad()
{
    DS_ParticlesObj* object = ParticlesObject();
    if (!object || object->BufferCount() < 1) return;
    bool finite = true;
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) finite = finite && IsFinitePoint(rectangle.Corner(k).GetValue());
    object->ReserveQuads(0, finite ? 1u : 0u);
    if (object->QuadCount(0) == 0) return;
    DX_V::PCT* vertices = object->LockBuffer(0);
    if (!vertices) return;
    ParticleQuad quad = BuildQuadFromMediaQuad(rectangle);
    MirrorQuadUV(quad, mirrorU.GetValue() != 0, mirrorV.GetValue() != 0);
    SetQuadColor(quad, VertexColor(color.GetValue(), static_cast<float>(color.GetAlpha()) / 255.0f));
    WriteQuadVertices(vertices, 0, quad);
    object->UnlockBuffer(0);
}

void DS_SingleRectGN::RestoreQuad(DS_ParticlesObj* object)
{
    const DS_ParticlesObj::QuadMesh* buffer = object ? object->Buffer(0) : nullptr;
    if (buffer && !buffer->VertexBuffer()) BuildQuad();
}

void DS_SingleRectGN::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    rectangle.Write(*ar);
    DS_StaticGenerator::WriteBody(ar);
}

bool DS_SingleRectGN::ReadBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return ReadFields(ar, version);
}

bool DS_SingleRectGN::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    rectangle.Read(*ar);
    // Versions compare as unsigned numbers: a negative one reads as newest.
    if (static_cast<uint32_t>(version) < static_cast<uint32_t>(kNoExtraVersion)) {
        float dropped = 0.0f;
        ar->archive->ReadFloat(dropped);
        ar->archive->ReadFloat(dropped);
    }
    if (ar->Failed()) return false;
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) {
        const D3DXVECTOR3 c = rectangle.Corner(k).GetValue();
        rectangle.Corner(k).StoreValue(D3DXVECTOR3(FiniteOrZero(c.x), FiniteOrZero(c.y), FiniteOrZero(c.z)));
    }
    return DS_StaticGenerator::ReadBody(ar);
}
