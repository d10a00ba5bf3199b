// The butterfly: a body drawn at each instance's root frame and two wings
// drawn at its two child frames. The root's controller flies the butterfly
// about the item's view rectangle on the item's speed clock and sets the
// wing controllers' matrices as the wings flap.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "engine/params/UINTSclaleTo.h"
#include "objects/3d/Obj3DCtrl.h"

// A value moving towards a target at a signed rate per second.
class ApproachValue {
public:
    ApproachValue(float current, float target, float rate) : current(current), target(target), rate(rate) {}

    // Moves by dt x rate unless at the target; a move past the target stops
    // at it.
    void Update(float dt);
    // A rate of 0 keeps the stored one; the sign follows the direction of
    // the target from the current value.
    void SetTarget(float newTarget, float newRate);

    float current;
    float target;
    float rate;
};

class AC_ButterflyWing : public DS_AnimationBase {
public:
    // combined = local x wing matrix; the frame takes the wing's front face.
    void Apply(DS_Frame& frame) override;

    D3DXMATRIX wingMatrix;
    bool frontFace = true;

    AC_ButterflyWing() { D3DXMatrixIdentity(&wingMatrix); }
};

class DS_ButterflyConstructor;

class AC_Butterfly : public DS_AnimationBase {
public:
    static constexpr float kUpperLimit = 55.0f;
    static constexpr float kLowerLimit = -55.0f;
    static constexpr float kFlapUp = 100.0f;
    static constexpr float kFlapDown = -160.0f;
    // Shortest time between two random decisions, speed-clock seconds.
    static constexpr float kDecisionInterval = 0.25f;

    // Draws the start point (x, then y) in the item's rectangle, then the
    // heading. The two wing controllers are made here and handed to the
    // wing frames, which own them.
    explicit AC_Butterfly(DS_ButterflyConstructor& item);
    AC_Butterfly(const AC_Butterfly&) = delete;
    AC_Butterfly& operator=(const AC_Butterfly&) = delete;

    void Apply(DS_Frame& frame) override;
    void OnSizeChanged(unsigned size);

    // Steps 11 to 14 of a flight update, also run by tests on their own.
    void UpdateApproachValues(float step);
    void AvoidEdges();

    DS_ButterflyConstructor& item;
    AC_ButterflyWing* firstWing;
    AC_ButterflyWing* secondWing;
    float wingAngle = 0.0f;
    float flapRate = kFlapUp;
    float upperLimit = kUpperLimit;
    float lowerLimit = kLowerLimit;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    ApproachValue verticalSpeed{50.0f, 50.0f, 250.0f};
    ApproachValue heading{0.0f, 0.0f, 350.0f};
    ApproachValue bank{0.0f, 0.0f, 50.0f};
    ApproachValue forwardSpeed{50.0f, 50.0f, 350.0f};
    D3DXMATRIX tilt;
    D3DXMATRIX mirror;
    D3DXMATRIX sizeScale;
    int32_t currentMode = 0;
    int32_t requestedMode = 0;
    float lastDecisionTime = 0.0f;

private:
    void ChangeMode();
    void Decide(float clock);

    DS_FunLightCtrl<unsigned, AC_Butterfly> sizeListener_;
};

class DS_ButterflyConstructor : public DS_3D_Obj_Ctrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_ButterflyConstructor";
    static constexpr int32_t kVersion = 2;
    // The first version that stores the wing scale.
    static constexpr int32_t kWingScaleVersion = 2;
    static constexpr int32_t kBodyPicture = 6;
    static constexpr int32_t kBodyMesh = 68;
    static constexpr int32_t kWingMesh = 69;
    static constexpr unsigned kDefaultSize = 100;

    DS_ButterflyConstructor();
    DS_ButterflyConstructor(const DS_ButterflyConstructor& other);

    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar) const;
    // Body links, the extra values (notifying when they differ), the wing
    // scale from version 2 on (not finite: 1.0), then the base record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Part 0 the body, part 1 the wings (blended).
    void BuildParts(PartVector& parts) override;
    void AttachFrames(FrameTreeList& trees, PartVector& parts) override;
    // Root: Scaling(0.5) x RotationY(pi / 2) with an AC_Butterfly; two
    // wing frames Scaling(wing scale) with its wing controllers.
    DS_Frame* CreateFrameTree() override;
    DS_3D_Obj_Ctrl* Clone() const override { return new DS_ButterflyConstructor(*this); }

    DS_ImageFileLink bodyImageLink;
    DS_MeshFile bodyMeshLink;
    // Stored and copied only.
    UINTSclaleTo<float> firstExtra{50, 1.0f, 0.0f};
    UINTSclaleTo<float> secondExtra{50, 1.0f, 0.0f};
    float wingScale = 1.0f;
};
