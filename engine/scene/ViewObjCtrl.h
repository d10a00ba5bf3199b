// Scene items that live in an area of the picture: the area kept as
// fractions of the picture (what the item works with) and as pixel edge
// parameters (what documents and authoring edit), kept in step by listeners;
// a speed with a smoothed clock that sprite rules use as their time base;
// random points in the area.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

#include "engine/params/FunLightCtrl.h"
#include "engine/params/MediaParam.h"
#include "engine/params/MediaRectangle.h"
#include "engine/render/ScreenQuad.h"
#include "engine/scene/ABObj.h"

// trunc(value) as a 32-bit integer with a defined result for every float:
// NaN gives 0, values beyond the range give the nearest end of it.
int32_t SaturatingTruncate(float value);

// A stored float; a non-finite value (NaN, infinity) reads as 0 so that no
// rule downstream meets it. A short read leaves value unchanged.
void ReadFiniteFloat(DS_IOF_Archive* ar, float& value);

// The quad of a rectangle in picture pixels as the view items give it:
// corner 0 (left, bottom), 1 (left, top), 2 (right, bottom), 3 (right, top).
ScreenQuad EdgeQuad(float left, float top, float right, float bottom);

class DS_ViewObjCtrl : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_ViewObjCtrl";
    static constexpr int32_t kVersion = 2;
    // The version that added the stored speed; older records keep the default.
    static constexpr int32_t kSpeedVersion = 2;
    static constexpr unsigned kDefaultSpeed = 50;
    // Speed value x kSpeedUnit is the factor: 50 is 1.0.
    static constexpr float kSpeedUnit = 0.02f;
    // Longest step of time one SmoothSpeed counts, in seconds.
    static constexpr float kMaxTimeStep = 0.2f;

    // The whole picture (0, 1, 0, 1), speed 50; the pixel edges follow the
    // current ViewMetrics and the edge listeners are live.
    DS_ViewObjCtrl();
    // Copies the base item, the rectangle, the normalised rectangle, the flag
    // and the speed; the clock starts at 0 and the copy hooks its own edge
    // listeners (so its pixel edges follow the current picture size).
    DS_ViewObjCtrl(const DS_ViewObjCtrl& other);
    DS_ViewObjCtrl& operator=(const DS_ViewObjCtrl&) = delete;
    // Edge listeners go first, while the rectangle they watch still exists.
    ~DS_ViewObjCtrl() override;

    // 2. The "DS_ViewObjCtrl" record (kinds write their own record).
    void Write(DS_IOF_Archive* ar) override;
    // 8. Rewinds the time line and the speed clock.
    void Restart() override;
    // 13. The rectangle in picture pixels: corner 0 (left, bottom),
    // 1 (left, top), 2 (right, bottom), 3 (right, top).
    virtual ScreenQuad GetViewQuad() const;
    // 14. Whether a point (picture pixels) hits the item: no, unless a kind says so.
    virtual bool HitTest(float x, float y);

    // Pixel edges from the normalised ones and the current picture size,
    // truncated; an edge that changes is set with notification.
    void UpdatePixelRect();
    // The listener callbacks: a pixel edge into its normalised edge. With a
    // picture side of 0 (before the first resize) the normalised edge is
    // kept rather than divided by 0.
    void SetLeft(int pixels);
    void SetRight(int pixels);
    void SetTop(int pixels);
    void SetBottom(int pixels);

    // The bounds in picture pixels at the current picture size (not truncated).
    float GetLeft() const;
    float GetRight() const;
    float GetTop() const;
    float GetBottom() const;

    // Advances the speed clock to application time t by
    // min(|t - last time|, 0.2) x speed factor. Returns the speed value.
    unsigned SmoothSpeed(float t);
    // A point of the rectangle, z 0. Two draws: x first, then y.
    D3DXVECTOR3 RandomPoint() const;
    // A point that keeps a sprite of the given half extents inside the
    // rectangle, z 0. Two draws: x first, then y. A rectangle narrower than
    // the sprite gives a point between the two inner bounds all the same.
    D3DXVECTOR3 RandomPointInside(float halfWidth, float halfHeight) const;

    // Header, then WriteFields.
    void WriteBody(DS_IOF_Archive* ar) const;
    void WriteFields(DS_IOF_Archive* ar) const;
    // Header, then ReadFields with the stored version. False (archive
    // failed) when the record runs short.
    bool ReadBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    float SpeedFactor() const { return static_cast<float>(speed.GetValue()) * kSpeedUnit; }
    float SpeedStep() const { return speedStep_; }
    float SpeedClock() const { return speedClock_; }
    float LastTime() const { return lastTime_; }
    size_t EdgeListenerCount() const { return edgeListeners_.Size(); }

    MediaRectangle rectangle;
    MediaParamT<unsigned> speed{kDefaultSpeed};
    // Stored; nothing in the player reads it.
    bool flag = false;
    float normLeft = 0.0f;
    float normRight = 1.0f;
    float normTop = 0.0f;
    float normBottom = 1.0f;

private:
    using EdgeSetter = void (DS_ViewObjCtrl::*)(int);
    void HookEdges();
    void HookEdge(EdgeSetter setter, MediaParamTB<int>& edge);

    float speedStep_ = 0.0f;
    float speedClock_ = 0.0f;
    DS_FunLightLinks edgeListeners_;
    float lastTime_ = 0.0f;
};
