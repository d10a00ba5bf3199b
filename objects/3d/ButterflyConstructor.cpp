#include "objects/3d/ButterflyConstructor.h"

#include <cmath>

#include "engine/params/Random.h"
#include "objects/3d/FrameMatrices.h"

using namespace frame_matrices;

namespace {

constexpr const wchar_t* kCommonModule = L"common_res.dll";

}  // namespace

// ---- ApproachValue ----

void ApproachValue::Update(float dt)
{
    if (current == target) return;
    current += dt * rate;
    if ((rate > 0.0f && current > target) || (rate < 0.0f && current < target)) current = target;
}

void ApproachValue::SetTarget(float newTarget, float newRate)
{
    if (newRate != 0.0f) rate = newRate;
    target = newTarget;
    rate = newTarget > current ? std::fabs(rate) : -std::fabs(rate);
}

// ---- the controllers ----

void AC_ButterflyWing::Apply(DS_Frame& frame)
{
    frame.combined = Product(frame.local, wingMatrix);
    frame.frontFace = frontFace;
}

AC_Butterfly::AC_Butterfly(DS_ButterflyConstructor& owner)
    : item(owner),
      firstWing(new AC_ButterflyWing),
      secondWing(new AC_ButterflyWing),
      sizeListener_(&AC_Butterfly::OnSizeChanged, this)
{
    // Draw order fixed: x and y of the start point, then the heading.
    position = item.RandomPoint();
    const float h = static_cast<float>(DS_Rand()) / kRandMax * 360.0f;
    heading = ApproachValue(h, h, 350.0f);
    tilt = RotationX(0.17453294f);
    D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
    OnSizeChanged(item.size.GetValue());
    sizeListener_.Attach(&item.size);
}

void AC_Butterfly::OnSizeChanged(unsigned size)
{
    sizeScale = Scaling(static_cast<float>(size) / 100.0f);
}

void AC_Butterfly::Apply(DS_Frame& frame)
{
    const float step = item.SpeedStep();
    const float clock = item.SpeedClock();
    const float headingUsed = heading.current;
    const D3DXMATRIX turn = RotationY(Radians(headingUsed));
    D3DXMATRIX c = Product(turn, frame.local);

    // Bank into a turn that is still under way.
    const float d = heading.current - heading.target;
    if (d < -5.0f) {
        bank.SetTarget(25.0f, 0.0f);
    } else if (d > 5.0f) {
        bank.SetTarget(-25.0f, 0.0f);
    }
    // Slow flight leans back.
    if (forwardSpeed.current < 100.0f)
        c = Product(RotationX(Radians((1.0f - forwardSpeed.current / 100.0f) * 15.0f)), c);
    c = Product(tilt, c);
    c = Product(RotationZ(Radians(bank.current)), c);
    if (bank.current == bank.target) bank.SetTarget(0.0f, 0.0f);

    wingAngle += step * 7.0f * flapRate;
    if (wingAngle > upperLimit) flapRate = kFlapDown;
    if (wingAngle < lowerLimit) flapRate = kFlapUp;
    // The body rises and sinks with the wings.
    c = Product(Translation(0.0f, -wingAngle * 3.0f / 45.0f, 0.0f), c);

    const D3DXMATRIX w = RotationZ(Radians(wingAngle));
    firstWing->wingMatrix = w;
    secondWing->wingMatrix = Product(w, mirror);
    firstWing->frontFace = wingAngle > 0.0f;
    secondWing->frontFace = wingAngle < 0.0f;

    D3DXVECTOR3 v;
    const D3DXVECTOR3 forward(forwardSpeed.current, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&v, &forward, &turn);
    v.y = verticalSpeed.current;
    position += step * v;
    position.z = 0.0f;
    c = Product(c, Translation(position.x, position.y, 0.0f));

    UpdateApproachValues(step);
    AvoidEdges();
    if (currentMode != requestedMode) {
        ChangeMode();
    } else if (clock - lastDecisionTime > kDecisionInterval) {
        Decide(clock);
    }
    frame.combined = Product(sizeScale, c);
}

void AC_Butterfly::UpdateApproachValues(float step)
{
    verticalSpeed.Update(step);
    bank.Update(step);
    heading.Update(step);
    forwardSpeed.Update(step);
}

void AC_Butterfly::AvoidEdges()
{
    if (position.y < item.GetTop()) {
        requestedMode = 1;
        verticalSpeed.SetTarget(100.0f, 0.0f);
    } else if (position.y > item.GetBottom()) {
        requestedMode = 0;
        verticalSpeed.SetTarget(-190.0f, 0.0f);
    }
    if (position.x < item.GetLeft()) {
        heading.SetTarget(0.0f, 350.0f);
        forwardSpeed.SetTarget(300.0f, 0.0f);
    } else if (position.x > item.GetRight()) {
        heading.SetTarget(-180.0f, 350.0f);
        forwardSpeed.SetTarget(300.0f, 0.0f);
    }
}

void AC_Butterfly::ChangeMode()
{
    if (requestedMode == 1) {
        // Hold the wings down once they have come low enough.
        upperLimit = 0.0f;
        if (wingAngle < lowerLimit * 0.5f) {
            currentMode = 1;
            flapRate = -std::fabs(flapRate) / 100.0f;
        }
        return;
    }
    currentMode = 0;
    upperLimit = -lowerLimit;
    flapRate = forwardSpeed.current <= 20.0f ? 160.0f : RandomRange(-160.0f, forwardSpeed.current / 3.0f - 50.0f);
}

void AC_Butterfly::Decide(float clock)
{
    // Draw order fixed: the decision, then the values it needs.
    switch (DS_Rand() % 5) {
        case 0:
            requestedMode = 0;
            verticalSpeed.SetTarget(RandomRange(-190.0f, 0.0f), 0.0f);
            break;
        case 1:
            requestedMode = 1;
            verticalSpeed.SetTarget(RandomRange(100.0f, 150.0f), 0.0f);
            break;
        case 2:
            requestedMode = 0;
            forwardSpeed.SetTarget(RandomRange(-25.0f, 300.0f), 0.0f);
            break;
        default:
            if (currentMode == 0 && heading.current == heading.target) {
                const bool even = DS_Rand() % 2 == 0;
                const float rate = RandomRange(50.0f, 350.0f);
                const float target = even ? RandomRange(155.0f, 205.0f) : RandomRange(-25.0f, 25.0f);
                heading.SetTarget(target, rate);
            }
            break;
    }
    lastDecisionTime = clock;
}

// ---- DS_ButterflyConstructor ----

DS_ButterflyConstructor::DS_ButterflyConstructor()
    : bodyImageLink(DS_FileLink3(kBodyPicture, kCommonModule)), bodyMeshLink(kBodyMesh, kCommonModule)
{
    meshLink.StoreValue(DS_FileLink3(kWingMesh, kCommonModule).GetValue());
    size.SetValue(kDefaultSize);
    flag = true;
}

DS_ButterflyConstructor::DS_ButterflyConstructor(const DS_ButterflyConstructor& other)
    : DS_3D_Obj_Ctrl(other),
      bodyImageLink(other.bodyImageLink),
      bodyMeshLink(other.bodyMeshLink),
      firstExtra(other.firstExtra),
      secondExtra(other.secondExtra),
      wingScale(other.wingScale)
{
}

void DS_ButterflyConstructor::Write(DS_IOF_Archive* ar)
{
    WriteBody(ar);
}

void DS_ButterflyConstructor::WriteBody(DS_IOF_Archive* ar) const
{
    if (!ar || !ar->archive) return;
    WriteRecordHeader(ar, kClassName, kVersion);
    bodyImageLink.Write(*ar);
    bodyMeshLink.Write(*ar);
    ar->archive->WriteUInt(firstExtra.GetValue());
    ar->archive->WriteUInt(secondExtra.GetValue());
    ar->archive->WriteFloat(wingScale);
    DS_3D_Obj_Ctrl::WriteBody(ar);
}

bool DS_ButterflyConstructor::ReadFields(DS_IOF_Archive* ar, int32_t version)
{
    if (!ar || !ar->archive) return false;
    if (!ReadLink(ar, bodyImageLink) || !ReadLink(ar, bodyMeshLink)) return false;
    uint32_t first = firstExtra.GetValue();
    uint32_t second = secondExtra.GetValue();
    ar->archive->ReadUInt(first);
    ar->archive->ReadUInt(second);
    if (ar->Failed()) return false;
    firstExtra.SetValue(first);
    secondExtra.SetValue(second);
    if (version >= kWingScaleVersion) {
        float scale = wingScale;
        ar->archive->ReadFloat(scale);
        if (ar->Failed()) return false;
        wingScale = std::isfinite(scale) ? scale : 1.0f;
    }
    return DS_3D_Obj_Ctrl::ReadBody(ar);
}

void DS_ButterflyConstructor::BuildParts(PartVector& parts)
{
    parts.resize(2);
    parts[0].SetTexture(bodyImageLink, bodyMeshLink);
    parts[1].SetTexture(imageLink, meshLink);
    parts[1].transparent = true;
}

void DS_ButterflyConstructor::AttachFrames(FrameTreeList& trees, PartVector& parts)
{
    AttachRootsAndChildren(trees, parts);
}

DS_Frame* DS_ButterflyConstructor::CreateFrameTree()
{
    auto* root = new DS_Frame;
    root->local = Product(Scaling(0.5f), RotationY(kPi / 2.0f));
    auto* flight = new AC_Butterfly(*this);
    root->SetController(flight);
    for (AC_ButterflyWing* wing : {flight->firstWing, flight->secondWing}) {
        auto* frame = new DS_Frame;
        frame->local = Scaling(wingScale);
        frame->SetController(wing);
        root->children.push_back(frame);
    }
    return root;
}
