#include "effects/brushes/CloudFX.h"

#include "engine/resources/CurrentScene.h"

namespace {

constexpr unsigned kDefaultScale = 50;
constexpr float kScaleFactor = 0.008f;
constexpr float kSpeedScale = 0.001f;
constexpr float kTwoPercent = 0.02f;
constexpr UINT kGridCells = 2;
// Fixed texture coordinates of the quad corners.
constexpr float kCornerUV[4][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};

}  // namespace

// ---- CloudParams ----

CloudParams::CloudParams()
    : perspective(0, kTwoPercent, 1.0f),
      height(0, 0.25f, 0.0f),
      textureOffset(0, 0.01f, 0.0f),
      fifthValue(0, 0.1f, 1.0f),
      sixthValue(0, 0.01f, 0.0f)
{
}

void CloudParams::ApplyToEffect(ID3DXEffect* effect) const
{
    if (!effect) return;
    const float p = perspective.GetDerived();  // 1 or more: the offset is 1
    const float h = height.GetDerived();
    const float o = textureOffset.GetDerived();
    effect->SetFloat("PX_Transform", (p - 1.0f) / p);
    effect->SetFloat("PY_TransformH", h / p + 1.0f);
    effect->SetFloat("PY_TransformZ", h);
    const bool flipped = flip.GetValue() != 0;
    const float shift[4] = {1.0f, flipped ? -1.0f : 1.0f, -o, flipped ? 1.0f : 0.0f};
    effect->SetFloatArray("tex_shift", shift, 4);
}

void CloudParams::Write(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    perspective.Write(*ar);
    height.Write(*ar);
    textureOffset.Write(*ar);
    ar->archive->WriteInt32(flip.GetValue());
    fifthValue.Write(*ar);
    sixthValue.Write(*ar);
}

bool CloudParams::Read(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    perspective.Read(*ar);
    height.Read(*ar);
    textureOffset.Read(*ar);
    int32_t flipped = 0;
    ar->archive->ReadInt32(flipped);
    if (ar->Failed()) return false;
    flip.StoreValue(flipped);
    fifthValue.Read(*ar);
    sixthValue.Read(*ar);
    return !ar->Failed();
}

// ---- DS_CloudFX ----

DS_CloudFX::DS_CloudFX() : threshold(0, kTwoPercent, 1.0f), density(0, kTwoPercent, 0.0f)
{
    scale.SetScale(kScaleFactor);
    scale.SetValue(kDefaultScale);
    speed.SetScale(kSpeedScale);
}

void DS_CloudFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_CloudFX::Init(MaskEntry& mask)
{
    cloudTextures_ = TextureFrames();
    if (DS_DocResManager* manager = CurrentDocResManager()) cloudTextures_ = manager->GetTextureSet(cloudImage);
    DS_FX_Constructor::Init(mask);
    BuildGrid(kGridCells, kGridCells);
    BuildGeometry();
}

void DS_CloudFX::BuildGeometry()
{
    const float wv = ViewWidth();
    const float hv = ViewHeight();
    auto corner = [this](int k) { return quad.Corner(k).GetValue(); };
    maskTexShift_[0] = (corner(2).x - corner(0).x) / wv;
    maskTexShift_[1] = corner(0).x / wv;
    maskTexShift_[2] = (corner(3).y - corner(2).y) / hv;
    maskTexShift_[3] = corner(0).y / hv;
    FillGridFromQuad(kCornerUV);
}

void DS_CloudFX::Render(DS_ABRender* service)
{
    IDirect3DTexture9* clouds = cloudTextures_.CurrentTexture();
    if (!HasEffect() || !service || !clouds) return;
    const float a = PictureAspect(service);
    const float s = scale.GetDerived();
    const float c = Clock();
    SetTexture("Mask", mask_.Get());
    SetTexture("Background", clouds);
    SetFloats("Scale", {a / s, 1.0f / s});
    SetFloat("Threshold", threshold.GetDerived());
    SetFloat("Density", density.GetDerived());
    SetColor("ColorK1", firstColor.GetValue());
    SetColor("ColorK2", secondColor.GetValue());
    SetFloats("Velocity", {-Direction()[0] * c, -Direction()[1] * c});
    SetFloats("mask_tex_shift", {maskTexShift_[0], maskTexShift_[1], maskTexShift_[2], maskTexShift_[3]});
    cloud.ApplyToEffect(Effect());
    RenderMesh(service);
}

void DS_CloudFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    ar->archive->WriteInt(static_cast<int32_t>(firstColor.GetValue()));
    ar->archive->WriteInt(static_cast<int32_t>(secondColor.GetValue()));
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(cloudImage);
    cloudImage.Write(*ar);
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(secondImage);
    secondImage.Write(*ar);
    threshold.Write(*ar);
    density.Write(*ar);
    cloud.Write(ar);
    DS_DirectionBased::WriteBody(ar);
}

bool DS_CloudFX::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    int32_t first = 0, second = 0;
    ar->archive->ReadInt(first);
    ar->archive->ReadInt(second);
    DS_FileLink3 clouds, other;
    clouds.Read(*ar);
    other.Read(*ar);
    if (ar->Failed()) return false;
    firstColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(first)));
    secondColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(second)));
    cloudImage.StoreValue(clouds.GetValue());
    secondImage.StoreValue(other.GetValue());
    threshold.Read(*ar);
    density.Read(*ar);
    if (!cloud.Read(ar)) return false;
    return DS_DirectionBased::ReadBody(ar);
}
