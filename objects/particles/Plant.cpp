#include "objects/particles/Plant.h"

#include "engine/archive/IOF_Item.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"

void DS_Plant::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    timeSpeed.Write(*ar);
    frequency.Write(*ar);
    wMagnitude.Write(*ar);
    bMagnitude.Write(*ar);
    DS_SingleRectGN::WriteBody(ar);
}

bool DS_Plant::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    timeSpeed.Read(*ar);
    frequency.Read(*ar);
    wMagnitude.Read(*ar);
    bMagnitude.Read(*ar);
    if (ar->Failed()) return false;
    return DS_SingleRectGN::ReadBody(ar);
}

void DS_Plant::Update(float t, DS_ParticlesObj* object)
{
    timeSpeed.Update(t);
    RestoreQuad(object);
}

void DS_Plant::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    ID3DXEffect* effect = Effect();
    IDirect3DTexture9* texture = CurrentTexture(0);
    const DS_ParticlesObj::QuadMesh* buffer = object ? object->Buffer(0) : nullptr;
    if (!service || !effect || !texture || !buffer || !buffer->VertexBuffer() || object->QuadCount(0) == 0) return;
    const float a = TimeLine().speedMode == 1 ? TimeLine().GetAlpha() : 1.0f;
    const float color[4] = {1.0f, 1.0f, 1.0f, a};
    // The effect's results are not acted on: a name the document's effect
    // lacks leaves that setting out of the draw.
    effect->SetTechnique("Main");
    effect->SetTexture("Texture", texture);
    effect->SetFloat("Time", timeSpeed.GetLocalTime());
    effect->SetFloat("Frequency", frequency.GetDerived());
    effect->SetFloat("WMagnitude", wMagnitude.GetDerived());
    effect->SetFloat("BMagnitude", bMagnitude.GetDerived());
    effect->SetFloatArray("color", color, 4);
    service->DrawMesh(*buffer, effect, 2 * object->QuadCount(0));
}
