// Camera drift of a picture layer: zooms the picture by a fixed factor and
// lets it drift between random pan targets with cosine easing, pausing now
// and then. Every frame it hands zoom and pan to the render context. It also
// names the picture that textures the border quads.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/archive/IOF_Virtual.h"
#include "engine/params/UINTSclaleTo.h"

class RenderContext;

class DSM_Camera {
public:
    static constexpr int32_t kVersion = 2;
    // The drift runs only in this drift mode (set when the slide becomes current).
    static constexpr int32_t kDriftMode = 1;

    DSM_Camera();
    DSM_Camera(const DSM_Camera& other) = default;
    DSM_Camera& operator=(const DSM_Camera&) = delete;
    virtual ~DSM_Camera() = default;

    // The "DSM_Camera" record: header, then WriteFields.
    virtual void Write(DS_IOF_Archive& ar) const;
    // Fields 3 to 7 of the record; marks the border picture for saving
    // with the current resource manager first.
    void WriteFields(DS_IOF_Archive& ar) const;
    // Reads the header and a new camera's fields; null when the data ends
    // before the record does.
    static std::unique_ptr<DSM_Camera> ReadRecord(DS_IOF_Archive& ar);
    // Fields of a record of the given version (version 1 has no border
    // link and keeps the default). Returns false when the data ran out.
    static bool ReadFields(DSM_Camera& camera, DS_IOF_Archive& ar, int32_t version);

    // Copies every setting, the drift clock and the drift state.
    void CopyFrom(const DSM_Camera& source);

    // Advances the drift clock to application time t and sets context's
    // camera: the drift's zoom and pan when enabled and in drift mode 1,
    // else no zoom and no pan. A null context only advances the drift.
    void Update(float t, RenderContext* context);
    // Starts a new leg at drift-clock time u: a 0.5 s pause for an even
    // random number, else a move to a random target lasting 5 to 7 s
    // (three more draws: target x, target y, length, in that order).
    void PickTarget(float u);
    // Drift mode 1 and all drift state 0, so the next update picks a
    // first target at once (the picture layer calls it when its slide
    // becomes current). The drift clock is kept.
    void ResetDrift();

    float ZoomFactor() const { return zoom.GetDerived(); }
    float SpeedFactor() const { return speed.GetDerived(); }
    // The drift clock is the speed parameter's local clock.
    float DriftClock() const { return speed.GetLocalTime(); }
    float PanX() const { return panX_; }
    float PanY() const { return panY_; }

    int32_t enabled = 0;
    // Percent, scale 0.01: 120 is a zoom of 1.2.
    UINTSclaleTo<float> zoom;
    // Scale 0.02: 50 is speed 1.0; its clock advances by at most 0.2 s x
    // speed per update.
    MediaSpeedParam speed;
    int32_t driftMode = 0;  // not stored
    // Border picture: a module resource by default.
    ds_string borderPath;
    int64_t borderStamp = 0;
    // Current leg: pans in -1..1 and drift-clock seconds.
    float fromX = 0.0f, toX = 0.0f, fromY = 0.0f, toY = 0.0f, start = 0.0f, end = 0.0f;

private:
    float panX_ = 0.0f;
    float panY_ = 0.0f;
};
