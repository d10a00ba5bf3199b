#include "effects/brushes/PatternBrush.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "engine/scene/TimeLineControl.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr unsigned kDefaultSpeed = 50;
constexpr float kSpeedScale = 0.02f;
constexpr unsigned kDefaultZoom = 100;
constexpr float kPercent = 0.01f;

// The text of path from its last '.', lower-cased.
ds_string Extension(const ds_string& path)
{
    const size_t dot = path.find_last_of(L'.');
    if (dot == ds_string::npos) return {};
    ds_string ext = path.substr(dot);
    for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
    return ext;
}

}  // namespace

DS_PatternBrush::DS_PatternBrush()
    : zoom(kDefaultZoom, kPercent, 0.0f), offsetX(0, -kPercent, 0.0f), offsetY(0, kPercent, 0.0f)
{
    speed.SetScale(kSpeedScale);
    speed.SetValue(kDefaultSpeed);
    effectLink.StoreValue(FileLinkValue{kEffectModule, kDefaultEffectId});
    TimeLine().speedMode = kFadedSpeedMode;
}

DS_PatternBrush::DS_PatternBrush(const DS_PatternBrush& other)
    : DS_FX_Constructor(other),
      patternImage(other.patternImage),
      verticalFlip(other.verticalFlip),
      horizontalFlip(other.horizontalFlip),
      rotation(other.rotation),
      zoom(other.zoom),
      offsetX(other.offsetX),
      offsetY(other.offsetY),
      frames_(other.frames_),
      frameIndex_(other.frameIndex_),
      lastSwitch_(other.lastSwitch_)
{
}

void DS_PatternBrush::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_PatternBrush::Init(MaskEntry& mask)
{
    DS_FX_Constructor::Init(mask);
    LoadPattern();
}

void DS_PatternBrush::LoadPattern()
{
    frameIndex_ = 0;
    DS_DocResManager* manager = CurrentDocResManager();
    if (!manager) {
        frames_ = TextureFrames();
        return;
    }
    frames_ = Extension(patternImage.GetPath()) == L".dll" ? manager->LoadSequence(patternImage)
                                                            : manager->GetTextureSet(patternImage);
}

size_t DS_PatternBrush::StepCount() const
{
    // A stored sequence may carry more durations than pictures; stepping
    // past the pictures would show frames that do not exist.
    return std::min(frames_.durations.size(), frames_.textures.size());
}

void DS_PatternBrush::Update(float t)
{
    DS_FX_Constructor::Update(t);
    const float c = Clock();
    if (c - lastSwitch_ < 0.0f) lastSwitch_ = c;
    const size_t count = StepCount();
    if (count == 0) return;
    if (frameIndex_ >= count) frameIndex_ = 0;
    // Strictly longer than the duration: a frame is shown for its whole time.
    if (frames_.durations[frameIndex_] < c - lastSwitch_) {
        lastSwitch_ = c;
        frameIndex_ = static_cast<uint32_t>((frameIndex_ + 1) % count);
    }
}

bool DS_PatternBrush::ComputeParams(float pictureWidth, float pictureHeight, PatternParams& out) const
{
    const float w = static_cast<float>(frames_.width);
    const float h = static_cast<float>(frames_.height);
    const float z = zoom.GetDerived();
    // A zero size or zoom would make the transform infinite.
    if (!(w > 0.0f) || !(h > 0.0f) || !(z != 0.0f) || !std::isfinite(z)) return false;
    out.scale[0] = w / h;
    out.scale[1] = 1.0f;
    out.offset[0] = offsetX.GetDerived();
    out.offset[1] = offsetY.GetDerived();
    float sx = pictureWidth / (w * z);
    float sy = pictureHeight / (h * z);
    if (horizontalFlip.GetValue() != 0) sx = -sx;
    if (verticalFlip.GetValue() != 0) sy = -sy;
    D3DXMATRIX scaling, turn, t;
    D3DXMatrixScaling(&scaling, sx, sy, 1.0f);
    D3DXMatrixRotationZ(&turn, static_cast<float>(rotation.GetValue()) * kPi / 180.0f);
    D3DXMatrixMultiply(&t, &scaling, &turn);
    out.coordTransform[0] = t._11;
    out.coordTransform[1] = t._12;
    out.coordTransform[2] = t._21;
    out.coordTransform[3] = t._22;
    return true;
}

void DS_PatternBrush::Render(DS_ABRender* service)
{
    if (!HasEffect() || !service) return;
    const float a = TimeLine().speedMode == kFadedSpeedMode ? Fade() : 1.0f;
    SetFloats("mix_color", {1.0f, 1.0f, 1.0f, a});
    if (frames_.height == 0) return;
    // A frame without a picture draws nothing rather than whichever
    // "Pattern" another brush left on the shared effect.
    IDirect3DTexture9* pattern = frameIndex_ < frames_.textures.size() ? frames_.textures[frameIndex_].Get() : nullptr;
    if (!pattern) return;
    float pictureWidth = 0.0f, pictureHeight = 0.0f;
    PictureSize(service, pictureWidth, pictureHeight);
    PatternParams params;
    if (!ComputeParams(pictureWidth, pictureHeight, params)) return;
    SetTexture("Pattern", pattern);
    SetFloats("scale", {params.scale[0], params.scale[1]});
    SetFloats("offset", {params.offset[0], params.offset[1]});
    SetFloats("coord_transf",
              {params.coordTransform[0], params.coordTransform[1], params.coordTransform[2], params.coordTransform[3]});
    RenderCommon(service);
}

void DS_PatternBrush::WriteBody(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    if (DS_DocResManager* manager = CurrentDocResManager()) manager->MarkForSave(patternImage);
    patternImage.Write(*ar);
    ar->archive->WriteInt32(verticalFlip.GetValue());
    ar->archive->WriteInt32(horizontalFlip.GetValue());
    ar->archive->WriteUInt(rotation.GetValue());
    zoom.Write(*ar);
    offsetX.Write(*ar);
    offsetY.Write(*ar);
    DS_FX_Constructor::WriteBody(ar);
}

bool DS_PatternBrush::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    DS_IOF_Virtual& in = *ar->archive;
    DS_FileLink3 link;
    link.Read(*ar);
    int32_t vertical = 0, horizontal = 0;
    uint32_t degrees = 0;
    in.ReadInt32(vertical);
    in.ReadInt32(horizontal);
    in.ReadUInt(degrees);
    zoom.Read(*ar);
    offsetX.Read(*ar);
    offsetY.Read(*ar);
    if (ar->Failed()) return false;
    patternImage.StoreValue(link.GetValue());
    verticalFlip.StoreValue(vertical);
    horizontalFlip.StoreValue(horizontal);
    rotation.StoreValue(degrees);
    return DS_FX_Constructor::ReadBody(ar);
}

void DS_PatternBrushC::Write(DS_IOF_Archive* ar)
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    DS_PatternBrush::WriteBody(ar);
}

bool DS_PatternBrushC::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive || ar->Failed()) return false;
    const int32_t innerVersion = ReadRecordHeader(ar);
    if (ar->Failed()) return false;
    return DS_PatternBrush::ReadFields(ar, innerVersion);
}
