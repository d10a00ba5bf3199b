// Judges whether the frames after a device reset show the scene: the first
// frame after the reset must differ from the last frame before the reset by
// no more than the animation moves (a frame beyond that is told apart as
// black or differing). The allowance is learned from pairs of consecutive
// frames before resets, scaled by the time between the compared frames (a
// reset takes time, in which the animation goes on). Frames in a slide's
// fade or of different slides cannot be compared and are not judged.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "engine/resources/ComPtr.h"

// A frame read back from the device: every kShotStep-th pixel of every
// kShotStep-th row of back buffer 0, with the scene's state when it was
// drawn.
struct FrameShot {
    std::vector<uint32_t> pixels;  // X8R8G8B8; empty when it could not be read
    float appTime = 0.0f;
    // The slide fade's overlay opacity and the slide drawn.
    float fade = 0.0f;
    const void* slide = nullptr;
};

enum class ResetVerdict { Shown, NotJudged, Black, Differs };

class ResetJudge {
public:
    static constexpr int kShotStep = 4;

    // Reads back buffer 0 of device into shot.pixels (32-bit formats only;
    // left empty otherwise or on any failure). The read-back surface is in
    // system memory and so does not hold up a Reset.
    void Take(IDirect3DDevice9* device, FrameShot& shot);

    // Two consecutive frames before a reset: their difference joins the
    // allowance unless they fall in a fade or switch slides.
    void NoteMotion(const FrameShot& earlier, const FrameShot& later);
    // Room for count more motions, made now so that noting them later
    // allocates nothing.
    void ReserveMotions(size_t count) { motions_.reserve(motions_.size() + count); }
    // The last frame before a reset against the first after it.
    ResetVerdict Judge(const FrameShot& before, const FrameShot& after);

    // Mean absolute difference per colour channel, 0..255; -1 when the
    // shots cannot be compared.
    static double Difference(const FrameShot& a, const FrameShot& b);
    static bool IsBlack(const FrameShot& shot);

    // The last judged difference and the allowance it was held to.
    double LastDifference() const { return lastDifference_; }
    double LastAllowance() const { return lastAllowance_; }
    // The largest share of its allowance a judged reset used.
    double WorstShare() const { return worstShare_; }

private:
    static bool Comparable(const FrameShot& a, const FrameShot& b);

    struct Motion {
        double difference;
        double seconds;
    };
    std::vector<Motion> motions_;
    ComPtr<IDirect3DSurface9> readBack_;
    double lastDifference_ = 0.0;
    double lastAllowance_ = 0.0;
    double worstShare_ = 0.0;
};
