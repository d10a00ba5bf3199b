#include "effects/brushes/FireFX.h"

#include <cmath>

#include "engine/render/RenderContext.h"

namespace {

constexpr unsigned kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;
constexpr unsigned long kYellow = 0x00FFFF;
constexpr unsigned long kRed = 0x0000FF;
// Scroll rates of the three noise layers per unit of the clock.
constexpr float kScroll1 = 1.3f;
constexpr float kScroll2 = 2.1f;
constexpr float kScroll3 = 2.3f;

float Channel(unsigned long color, int shift)
{
    return static_cast<float>((color >> shift) & 0xFF) / 255.0f;
}

}  // namespace

DS_FireFX::DS_FireFX()
    : firstColor(kYellow),
      secondColor(kRed),
      density(100, 0.01f, -1.0f),
      brightness(15, 0.02f, 0.0f),
      patternWidth(100, 0.01f, 0.0f)
{
    speed.SetScale(kSpeedScale);
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
    patternImage.StoreValue(FileLinkValue{kEffectModule, kDefaultPatternId});
    noiseImage.StoreValue(FileLinkValue{kEffectModule, kDefaultNoiseId});
}

DS_FireFX::DS_FireFX(const DS_FireFX& other)
    : DS_FX_Constructor(other),
      firstColor(other.firstColor),
      secondColor(other.secondColor),
      mode(other.mode),
      patternImage(other.patternImage),
      noiseImage(other.noiseImage),
      density(other.density),
      brightness(other.brightness),
      patternWidth(other.patternWidth),
      patternTexture_(other.patternTexture_),
      noiseTexture_(other.noiseTexture_)
{
}

DS_FireFX& DS_FireFX::operator=(const DS_FireFX& other)
{
    if (this == &other) return *this;
    DS_FX_Constructor::operator=(other);
    firstColor.SetValue(other.firstColor.GetValue());
    secondColor.SetValue(other.secondColor.GetValue());
    mode.SetValue(other.mode.GetValue());
    patternImage.StoreValue(other.patternImage.GetValue());
    noiseImage.StoreValue(other.noiseImage.GetValue());
    CopyScaled(density, other.density);
    CopyScaled(brightness, other.brightness);
    CopyScaled(patternWidth, other.patternWidth);
    patternTexture_ = other.patternTexture_;
    noiseTexture_ = other.noiseTexture_;
    return *this;
}

void DS_FireFX::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_FireFX::Init(MaskEntry& mask)
{
    DS_FX_Constructor::Init(mask);
    ComPtr<IDirect3DTexture9> pattern, noise;
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        pattern.Set(manager->GetTextureSet(patternImage).CurrentTexture());
        noise.Set(manager->GetTextureSet(noiseImage).CurrentTexture());
    }
    patternTexture_ = pattern;
    noiseTexture_ = noise;
    if (SUCCEEDED(BuildGrid(kGridCells, kGridCells))) BuildGeometry();
}

float DS_FireFX::PatternWidth() const
{
    const float p = patternWidth.GetDerived();
    return p >= kMinPatternWidth ? p : kMinPatternWidth;
}

void DS_FireFX::BuildGeometry()
{
    const float u = 1.0f / PatternWidth();
    const float uv[MediaQuad::kCornerCount][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {u, 0.0f}, {u, 1.0f}};
    FillGridFromQuad(uv);
}

void DS_FireFX::SetNoiseParams(const DS_Frame& mesh)
{
    if (!HasEffect()) return;
    ID3DXEffect* effect = Effect();
    if (const RenderContext* context = CurrentRenderContext()) {
        D3DXMATRIX toScreen, viewProj;
        context->ToScreen(toScreen, mesh.combined);
        context->ToScreen2(viewProj);
        effect->SetMatrix("WorldViewProj", &toScreen);
        effect->SetMatrix("ViewProj", &viewProj);
    }
    SetTexture("Noise", noiseTexture_.Get());
    SetTexture("Pattern", patternTexture_.Get());
    const float c = Clock();
    SetFloats("c11", {0.0f, kScroll1 * c});
    SetFloats("c12", {0.0f, kScroll2 * c});
    SetFloats("c13", {0.0f, kScroll3 * c});
}

bool DS_FireFX::PrepareAsEffect(const DS_Frame& mesh)
{
    if (!HasEffect() || !patternTexture_ || !noiseTexture_) return false;
    SetNoiseParams(mesh);
    SetFadedParams(ComputeFadedParams(1.0f));
    SetTechnique("AsEffect");
    return true;
}

void DS_FireFX::SetFadedParams(const FadedParams& p) const
{
    SetFloats("ColorK1", {p.colorK1[0], p.colorK1[1], p.colorK1[2]});
    SetFloats("ColorK2", {p.colorK2[0], p.colorK2[1], p.colorK2[2]});
    SetFloat("Brightness", p.brightness);
    SetFloat("Density", p.density);
}

DS_FireFX::FadedParams DS_FireFX::ComputeFadedParams(float fade) const
{
    FadedParams p;
    const unsigned long first = firstColor.GetValue();
    const unsigned long second = secondColor.GetValue();
    for (int i = 0; i < 3; ++i) {
        p.colorK1[i] = Channel(second, 8 * i);
        p.colorK2[i] = Channel(first, 8 * i) - Channel(second, 8 * i);
    }
    p.brightness = brightness.GetDerived() * fade * fade;
    p.density = fade * (density.GetDerived() + 1.0f) - 1.0f;
    return p;
}

void DS_FireFX::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    // Flames need both pictures; an empty set would leave whatever another
    // fire bound to the shared effect.
    if (!patternTexture_ || !noiseTexture_) return;
    const RenderContext* context = CurrentRenderContext();
    // A flagged fire has a fresh target of its own that it must cover
    // completely; it draws only its grid, so the scene goes in first.
    if (fullScreen.GetValue() != 0 && FAILED(CopySceneToTarget(service))) return;
    SetNoiseParams(Grid());
    if (!context || context->Mode() == RenderContext::kToTarget) {
        SetFloats("bg_scale_factor", {1.0f, 1.0f});
    } else {
        SetFloats("bg_scale_factor", {context->InverseScaleX(), context->InverseScaleY()});
    }
    SetMaskAndBackground(service);
    SetFadedParams(ComputeFadedParams(Fade()));
    SetTechnique("Main");
    NoteDraw(service->DrawIndexedWithEffect(Grid(), Effect()));
}

void DS_FireFX::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    DS_IOF_Virtual& out = *ar->archive;
    WriteRecordHeader(ar, kClassName, kVersion);
    out.WriteInt(static_cast<int32_t>(firstColor.GetValue()));
    out.WriteInt(static_cast<int32_t>(secondColor.GetValue()));
    out.WriteInt32(mode.GetValue());
    if (DS_DocResManager* manager = CurrentDocResManager()) {
        manager->MarkForSave(patternImage);
        manager->MarkForSave(noiseImage);
    }
    patternImage.Write(*ar);
    noiseImage.Write(*ar);
    density.Write(*ar);
    brightness.Write(*ar);
    patternWidth.Write(*ar);
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_FireFX::ReadColorsAndLinks(DS_IOF_Archive* ar)
{
    DS_IOF_Virtual& in = *ar->archive;
    int32_t first = 0, second = 0, storedMode = 0;
    in.ReadInt(first);
    in.ReadInt(second);
    in.ReadInt32(storedMode);
    DS_FileLink3 pattern, noise;
    pattern.Read(*ar);
    noise.Read(*ar);
    if (ar->Failed()) return false;
    firstColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(first)));
    secondColor.StoreValue(static_cast<unsigned long>(static_cast<uint32_t>(second)));
    mode.StoreValue(storedMode);
    patternImage.StoreValue(pattern.GetValue());
    noiseImage.StoreValue(noise.GetValue());
    return true;
}

bool DS_FireFX::ReadAmounts(DS_IOF_Archive* ar)
{
    density.Read(*ar);
    brightness.Read(*ar);
    patternWidth.Read(*ar);
    return !ar->Failed();
}

void DS_FireFX::ClampQuad()
{
    for (int k = 0; k < MediaQuad::kCornerCount; ++k) {
        D3DXVECTOR3 corner = quad.Corner(k).GetValue();
        if (!std::isfinite(corner.x)) corner.x = 0.0f;
        if (!std::isfinite(corner.y)) corner.y = 0.0f;
        if (!std::isfinite(corner.z)) corner.z = 0.0f;
        quad.Corner(k).StoreValue(corner);
    }
}

bool DS_FireFX::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    const uint32_t stored = static_cast<uint32_t>(version);
    if (stored >= kFieldsVersion) {
        if (!ReadColorsAndLinks(ar) || !ReadAmounts(ar)) return false;
    } else if (stored == kOwnQuadVersion) {
        quad.Read(*ar);
        if (!ReadColorsAndLinks(ar)) return false;
        int32_t extra = 0;
        ar->archive->ReadInt32(extra);
        if (ar->Failed()) return false;
        extraInt.StoreValue(extra);
        if (!ReadAmounts(ar)) return false;
    }
    const bool read = DS_FX_Constructor::ReadBody(ar);
    ClampQuad();
    return read;
}

std::unique_ptr<DS_FireFX> DS_FireFX::ReadRecord(DS_IOF_Archive* ar)
{
    if (!ar || ar->Failed()) return nullptr;
    const int32_t version = ReadRecordHeader(ar);
    if (ar->Failed()) return nullptr;
    auto fire = std::make_unique<DS_FireFX>();
    if (!fire->ReadFields(ar, version)) return nullptr;
    return fire;
}
