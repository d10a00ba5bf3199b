#include "objects/3d/ClockConstructor.h"

#include <time.h>

#include <algorithm>
#include <climits>

#include "engine/render/ViewMetrics.h"
#include "objects/3d/FrameMatrices.h"

using namespace frame_matrices;

namespace {

constexpr const wchar_t* kCommonModule = L"common_res.dll";

// Hands and body scale the disc mesh (diameter 100) to the clock's size.
constexpr float kDiscScale = 0.01f;

// Edges are centre +- half, kept inside what an int holds.
int EdgeAt(int centre, int offset)
{
    const long long edge = static_cast<long long>(centre) + offset;
    return static_cast<int>(std::clamp<long long>(edge, INT_MIN, INT_MAX));
}

}  // namespace

// ---- AC_Static ----

AC_Static::AC_Static(DS_ClockConstructor& item)
    : item_(item), sizeListener_(&AC_Static::OnSizeChanged, this), rectListener_(&AC_Static::OnRectChanged, this)
{
    translation = Translation(static_cast<float>(item_.clockRect.extraX.GetValue()),
                              static_cast<float>(item_.clockRect.extraY.GetValue()), 0.0f);
    sizeListener_.Attach(&item_.size);
    sizeListener_.OnChange(nullptr);
    rectListener_.Attach(&item_.clockRect);
}

void AC_Static::Apply(DS_Frame& frame)
{
    frame.combined = Product(Product(scale, frame.local), translation);
}

void AC_Static::PlaceEdges(unsigned size)
{
    const int half = static_cast<int>(std::min(size, DS_3D_Obj_Ctrl::kMaxSize) / 2);
    const int cx = item_.clockRect.extraX.GetValue();
    const int cy = item_.clockRect.extraY.GetValue();
    item_.clockRect.left.SetValue(EdgeAt(cx, -half));
    item_.clockRect.right.SetValue(EdgeAt(cx, half));
    item_.clockRect.top.SetValue(EdgeAt(cy, -half));
    item_.clockRect.bottom.SetValue(EdgeAt(cy, half));
}

void AC_Static::OnSizeChanged(unsigned size)
{
    PlaceEdges(size);
    scale = Scaling(static_cast<float>(size));
}

void AC_Static::OnRectChanged()
{
    PlaceEdges(item_.size.GetValue());
    translation = Translation(static_cast<float>(item_.clockRect.extraX.GetValue()),
                              static_cast<float>(item_.clockRect.extraY.GetValue()), 0.0f);
}

// ---- AC_ClockArrow ----

float AC_ClockArrow::HandAngle(const ClockTime& time, bool hourHand)
{
    if (hourHand) return (static_cast<float>(time.hours % 12) + static_cast<float>(time.minutes) / 60.0f) * 30.0f;
    return (static_cast<float>(time.minutes) + static_cast<float>(time.seconds) / 60.0f) * 6.0f;
}

bool AC_ClockArrow::LocalTime(ClockTime& time)
{
    __time64_t now = _time64(nullptr);
    if (now == -1) return false;
    struct tm parts = {};
    if (_localtime64_s(&parts, &now) != 0) return false;
    time.hours = parts.tm_hour;
    time.minutes = parts.tm_min;
    time.seconds = parts.tm_sec;
    return true;
}

void AC_ClockArrow::Apply(DS_Frame& frame)
{
    ClockTime time;
    if (timeSource && timeSource(time)) rotation_ = RotationY(Radians(HandAngle(time, hourHand)));
    frame.combined = Product(frame.local, rotation_);
}

// ---- DS_ClockConstructor ----

DS_ClockConstructor::DS_ClockConstructor()
    : handsImageLink(DS_FileLink3(kHandsPicture, kCommonModule)),
      faceListener_(&DS_ClockConstructor::OnFaceImageChanged, this)
{
    meshLink.StoreValue(DS_FileLink3(kDiscMesh, kCommonModule).GetValue());
    imageLink.StoreValue(DS_FileLink3(kFacePicture, kCommonModule).GetValue());
    clockRect.extraX.StoreValue(ViewMetrics::Instance().pictureWidth / 2);
    clockRect.extraY.StoreValue(ViewMetrics::Instance().pictureHeight / 2);
    size.SetValue(kDefaultSize);
    HookFace();
}

DS_ClockConstructor::DS_ClockConstructor(const DS_ClockConstructor& other)
    : DS_3D_Obj_Ctrl(other),
      handsImageLink(other.handsImageLink),
      faceListener_(&DS_ClockConstructor::OnFaceImageChanged, this)
{
    clockRect.left.SetValue(other.clockRect.left.GetValue());
    clockRect.right.SetValue(other.clockRect.right.GetValue());
    clockRect.top.SetValue(other.clockRect.top.GetValue());
    clockRect.bottom.SetValue(other.clockRect.bottom.GetValue());
    clockRect.extraX.StoreValue(other.clockRect.extraX.GetValue());
    clockRect.extraY.StoreValue(other.clockRect.extraY.GetValue());
    size.SetValue(other.size.GetValue());
    HookFace();
}

DS_ClockConstructor::~DS_ClockConstructor()
{
    faceListener_.Attach(nullptr);
}

void DS_ClockConstructor::HookFace()
{
    faceListener_.Attach(&imageLink);
}

void DS_ClockConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_ClockConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    clockRect.Write(*ar);
    handsImageLink.Write(*ar);
    DS_3D_Obj_Ctrl::WriteBody(ar);
}

bool DS_ClockConstructor::ReadFields(DS_IOF_Archive* ar, int32_t)
{
    if (!ar || !ar->archive) return false;
    clockRect.Read(*ar);
    if (ar->Failed()) return false;
    if (!ReadLink(ar, handsImageLink)) return false;
    return DS_3D_Obj_Ctrl::ReadBody(ar);
}

ScreenQuad DS_ClockConstructor::GetViewQuad() const
{
    return EdgeQuad(static_cast<float>(clockRect.left.GetValue()), static_cast<float>(clockRect.top.GetValue()),
                    static_cast<float>(clockRect.right.GetValue()), static_cast<float>(clockRect.bottom.GetValue()));
}

bool DS_ClockConstructor::HitTest(float x, float y)
{
    return clockRect.Contains(x, y, ViewPointToPicture);
}

void DS_ClockConstructor::BuildParts(PartVector& parts)
{
    parts.resize(2);
    parts[0].SetTexture(imageLink, meshLink);
    parts[1].SetTexture(handsImageLink, meshLink);
    parts[0].transparent = true;
    parts[1].transparent = true;
    parts_ = &parts;
}

void DS_ClockConstructor::AttachFrames(FrameTreeList& trees, PartVector& parts)
{
    AttachRootsAndChildren(trees, parts);
}

DS_Frame* DS_ClockConstructor::CreateFrameTree()
{
    auto* root = new DS_Frame;
    root->local = Product(Scaling(kDiscScale), RotationX(kPi / 2.0f));
    root->SetController(new AC_Static(*this));
    auto* hourHand = new DS_Frame;
    hourHand->local = Product(Scaling(0.01f, 1.0f, 0.3f), Translation(0.0f, 0.0f, 10.0f));
    hourHand->SetController(new AC_ClockArrow(true));
    auto* minuteHand = new DS_Frame;
    minuteHand->local = Product(Scaling(0.01f, 1.0f, 0.38f), Translation(0.0f, 0.0f, 13.0f));
    minuteHand->SetController(new AC_ClockArrow(false));
    root->children.push_back(hourHand);
    root->children.push_back(minuteHand);
    return root;
}

void DS_ClockConstructor::OnFaceImageChanged()
{
    // A document item or a copy made before its object was built has no parts.
    if (!parts_ || parts_->empty()) return;
    (*parts_)[0].SetTexture(imageLink, meshLink);
}
