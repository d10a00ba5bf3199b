// The wall clock: a face drawn at each instance's root frame and two hands
// drawn at its child frames, both with the face's disc mesh (the hands'
// frames flatten it into needles). The clock sits in a rectangle of its own
// centred on a point of the picture; the hands follow the machine's local
// time.
#pragma once

#include <d3dx9math.h>

#include <cstdint>
#include <functional>

#include "engine/params/MediaRectangle.h"
#include "objects/3d/Obj3DCtrl.h"

class DS_ClockConstructor;

// The clock body: Scaling(size) x local x Translation(centre).
class AC_Static : public DS_AnimationBase {
public:
    // Fires the size listener once, which places the item's rectangle.
    explicit AC_Static(DS_ClockConstructor& item);
    AC_Static(const AC_Static&) = delete;
    AC_Static& operator=(const AC_Static&) = delete;

    void Apply(DS_Frame& frame) override;
    // Rectangle edges around the centre (notifying), scale = size.
    void OnSizeChanged(unsigned size);
    // Edges from the current size, translation = centre.
    void OnRectChanged();

    D3DXMATRIX scale;
    D3DXMATRIX translation;

private:
    void PlaceEdges(unsigned size);

    DS_ClockConstructor& item_;
    DS_FunLightCtrl<unsigned, AC_Static> sizeListener_;
    DS_FunLightCtrl2<AC_Static> rectListener_;
};

// Time of day the hands show.
struct ClockTime {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

class AC_ClockArrow : public DS_AnimationBase {
public:
    // Reads the time of day into its argument; false when it cannot.
    using TimeSource = std::function<bool(ClockTime&)>;

    explicit AC_ClockArrow(bool hourHand) : hourHand(hourHand), timeSource(&AC_ClockArrow::LocalTime) {}

    // combined = local x RotationY(angle) for the time of day. When the
    // time cannot be read the hand keeps the last rotation it had (at
    // twelve before any good reading): the frame then multiplies the same
    // local result by its parent, and the hand stays where it was.
    void Apply(DS_Frame& frame) override;
    // Degrees clockwise from twelve: minutes x 6 (with the seconds), or
    // hours modulo 12 x 30 (with the minutes).
    static float HandAngle(const ClockTime& time, bool hourHand);
    // The local time from the run-time library; false when it fails.
    static bool LocalTime(ClockTime& time);

    bool hourHand;
    // LocalTime unless replaced (tests give a failing one).
    TimeSource timeSource;

private:
    // The last rotation read from a good time (identity: twelve).
    D3DXMATRIX rotation_{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                         0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
};

class DS_ClockConstructor : public DS_3D_Obj_Ctrl {
public:
    static constexpr const wchar_t* kClassName = L"DS_ClockConstructor";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kDiscMesh = 70;
    static constexpr int32_t kFacePicture = 71;
    static constexpr int32_t kHandsPicture = 72;
    static constexpr unsigned kDefaultSize = 400;

    // Centred on the current picture, size 400.
    DS_ClockConstructor();
    // Rectangle (edges notifying), hands link and size; a listener of its
    // own on the face link; no remembered parts.
    DS_ClockConstructor(const DS_ClockConstructor& other);
    ~DS_ClockConstructor() override;

    void Write(DS_IOF_Archive* ar) override;
    void WriteBody(DS_IOF_Archive* ar) const;
    // Rectangle, hands link, base record; the version is not consulted.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    ScreenQuad GetViewQuad() const override;
    bool HitTest(float x, float y) override;
    bool IsRectPlaced() const override { return true; }

    // Part 0 the face, part 1 the hands, both blended; the vector is
    // remembered for face changes.
    void BuildParts(PartVector& parts) override;
    void AttachFrames(FrameTreeList& trees, PartVector& parts) override;
    // Root with an AC_Static; hour hand, then minute hand.
    DS_Frame* CreateFrameTree() override;
    DS_3D_Obj_Ctrl* Clone() const override { return new DS_ClockConstructor(*this); }

    // Re-textures part 0 of the remembered parts; nothing when the item
    // built no parts.
    void OnFaceImageChanged();

    MediaRectangle clockRect;  // extraX, extraY: the centre, picture pixels
    DS_ImageFileLink handsImageLink;

private:
    void HookFace();

    DS_FunLightCtrl2<DS_ClockConstructor> faceListener_;
    PartVector* parts_ = nullptr;  // not owned
};
