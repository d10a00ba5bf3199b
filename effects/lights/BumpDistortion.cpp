#include "effects/lights/BumpDistortion.h"

#include "engine/render/RenderStats.h"
#include "engine/render/StateWriter.h"
#include "engine/resources/CurrentScene.h"
#include "engine/resources/DocResManager.h"

namespace {

// The quad's size before the picture's size is known.
constexpr float kFirstWidth = 800.0f;
constexpr float kFirstHeight = 600.0f;

}  // namespace

DS_BumpDistortion::DS_BumpDistortion()
{
    bumpImage.StoreValue(FileLinkValue{kModule, kDefaultBumpId});
    effectLink.StoreValue(FileLinkValue{kModule, kDefaultEffectId});
}

bool DS_BumpDistortion::RestoreDeviceObjects()
{
    // Corners bottom-left, top-left, bottom-right, top-right: x, y, z, u, v.
    const float corners[20] = {0.0f,        kFirstHeight, 0.0f, 0.0f, 1.0f, 0.0f,        0.0f, 0.0f, 0.0f, 0.0f,
                               kFirstWidth, kFirstHeight, 0.0f, 1.0f, 1.0f, kFirstWidth, 0.0f, 0.0f, 1.0f, 0.0f};
    if (IDirect3DDevice9* device = CurrentDevice()) quad_.SetVertices(device, corners);
    effect_.Reset();
    bumpTexture_.Reset();
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        bumpTexture_.Set(manager->GetTextureSet(bumpImage).CurrentTexture());
        effect_ = manager->GetEffect(effectLink);
    }
    return effect_.Get() != nullptr;
}

void DS_BumpDistortion::Resize(float width, float height)
{
    const D3DXVECTOR3 corners[4] = {
        {0.0f, height, 0.0f}, {0.0f, 0.0f, 0.0f}, {width, height, 0.0f}, {width, 0.0f, 0.0f}};
    quad_.SetPositions(corners);
    aspect_ = width != 0.0f ? height / width : 1.0f;
}

void DS_BumpDistortion::Update(float t)
{
    ID3DXEffect* effect = effect_.Get();
    if (!effect) return;
    speed.Update(t);
    const float c = speed.GetLocalTime();
    const float s = bumpScale.GetDerived();
    const float offset[2] = {c, -c};
    const float scale[2] = {s, s * aspect_};
    // A parameter the effect lacks is not a fault: the effect has no use
    // for it.
    effect->SetFloat("stenght", strength.GetDerived() * kStrengthFactor);
    effect->SetFloatArray("Offset", offset, 2);
    effect->SetFloatArray("bump_scale", scale, 2);
}

void DS_BumpDistortion::Draw(IDirect3DTexture9* scene)
{
    ID3DXEffect* effect = effect_.Get();
    IDirect3DDevice9* device = CurrentDevice();
    if (!effect || !device || !quad_.VertexBuffer()) return;
    effect->SetTexture("SceneTex", scene);
    effect->SetTexture("Bumpmap", bumpTexture_.Get());
    effect->SetTechnique("BumpmapDistortLow2");
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, 0))) return;
    for (UINT pass = 0; pass < passes; ++pass) {
        // A pass the effect cannot begin is skipped.
        if (FAILED(effect->BeginPass(pass))) continue;
        StateWriter states(device);
        states.Keep(device->SetVertexShader(nullptr));
        states.Keep(device->SetFVF(PT::kFVF));
        states.Keep(device->SetStreamSource(0, quad_.VertexBuffer(), 0, PT::kStride));
        if (SUCCEEDED(states.Result()) &&
            SUCCEEDED(device->DrawPrimitive(quad_.PrimitiveType(), 0, quad_.PrimitiveCount()))) {
            ++RenderStats::Instance().drawCalls;
            ++RenderStats::Instance().fullScreenPasses;
        }
        effect->EndPass();
    }
    effect->End();
}
