#include "objects/particles/StaticAnimation.h"

#include "engine/archive/IOF_Item.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/ABRender.h"
#include "engine/scene/TimeLineControl.h"
#include "objects/particles/ParticlesObj.h"

DS_StaticAnimation::DS_StaticAnimation()
{
    effectLink.StoreValue(FileLinkValue{kEffectModule, kEffectNumber});
}

void DS_StaticAnimation::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    WriteParam(*ar, playSpeed);
    WriteParam(*ar, direction);
    DS_SingleRectGN::WriteBody(ar);
}

bool DS_StaticAnimation::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    playSpeed.Read(*ar);
    // Stored without telling listeners (there are none at this level).
    int32_t stored = 0;
    ar->archive->ReadInt32(stored);
    if (ar->Failed()) return false;
    direction.StoreValue(stored);
    return DS_SingleRectGN::ReadBody(ar);
}

void DS_StaticAnimation::Update(float t, DS_ParticlesObj* object)
{
    playSpeed.Update(t);
    RestoreQuad(object);
    if (textureSets.empty()) return;
    if (direction.GetValue() == 0) {
        textureSets[0].StepForward(playSpeed.GetLocalTime());
    } else {
        textureSets[0].StepBackward(playSpeed.GetLocalTime());
    }
}

void DS_StaticAnimation::Render(DS_ABRender* service, DS_ParticlesObj* object)
{
    ID3DXEffect* effect = Effect();
    IDirect3DTexture9* texture = CurrentTexture(0);
    const DS_ParticlesObj::QuadMesh* buffer = object ? object->Buffer(0) : nullptr;
    // Without the effect or a picture there is nothing to draw with.
    if (!service || !effect || !texture || !buffer || !buffer->VertexBuffer() || object->QuadCount(0) == 0) return;
    // The stored corners may run either way round: the quad is drawn
    // whichever way it faces.
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || FAILED(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE))) return;
    const float alpha = TimeLine().GetAlpha() * static_cast<float>(color.GetAlpha()) / 255.0f;
    const unsigned long bgr = color.GetValue();
    const float tint[4] = {static_cast<float>(bgr & 0xFF) / 255.0f, static_cast<float>((bgr >> 8) & 0xFF) / 255.0f,
                           static_cast<float>((bgr >> 16) & 0xFF) / 255.0f, alpha};
    // The effect's results are not acted on: an effect that lacks a name
    // draws with what it has.
    effect->SetTechnique("Blend_Normal");
    effect->SetTexture("Texture", texture);
    effect->SetFloatArray("Color", tint, 4);
    service->DrawMesh(*buffer, effect, 2 * object->QuadCount(0));
}
