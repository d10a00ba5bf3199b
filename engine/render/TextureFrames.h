// A texture set: one texture per frame, the time each frame is shown, and
// the frame that is current. Single pictures have one texture and no
// durations; picture sequences step through their frames by time.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "engine/resources/ComPtr.h"

class TextureFrames {
public:
    std::vector<ComPtr<IDirect3DTexture9>> textures;  // slots may be null
    std::vector<float> durations;                     // seconds per frame; empty for one picture
    uint32_t width = 0;                               // of the last texture loaded, 0 when none
    uint32_t height = 0;
    float aspect = 1.0f;      // height / width, 1.0 when none
    float lastSwitch = 0.0f;  // seconds
    int32_t current = 0;      // index of the frame shown

    // Records the size of a texture just loaded into the set.
    void SetSize(uint32_t newWidth, uint32_t newHeight);

    // Advance (or go back) at most one frame when the current frame has been
    // shown longer than its duration at time t. A clock that went back
    // restarts the current frame's time. An index left out of range by a
    // shorter duration list starts again at frame 0.
    void StepForward(float t);
    void StepBackward(float t);

    // The texture of the current frame; null when that slot is empty or the
    // index lies past the textures (more durations than textures).
    IDirect3DTexture9* CurrentTexture() const;

private:
    bool Due(float t);
};
