// The slideshow's clock: which slide is current, when its cycle began and
// how dark the black fade overlay is. Slides follow in document order and
// wrap to the first; each fades in from black, shows, and fades out to
// black, and the next one begins with the first frame after that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A slide's times in whole seconds.
struct SlideTiming {
    uint32_t fadeIn = 1;
    uint32_t show = 10;
    uint32_t fadeOut = 1;

    // fadeIn + show + fadeOut without wrapping (the three are 32-bit each, so
    // a 32-bit sum could wrap to a short cycle).
    double CycleSeconds() const;
};

// Opacity of the fade overlay elapsed seconds into a cycle of timing:
// falling from 1 to 0 over the fade-in, 0 while shown, rising over the
// fade-out. Always within [0, 1]: a fade of 0 seconds gives no fade, and
// times outside the cycle give the nearest end's value.
float FadeOverlayAlpha(const SlideTiming& timing, float elapsed);

// The alpha byte of the overlay colour for an opacity in [0, 1].
uint8_t FadeOverlayAlphaByte(float alpha);

class SlideSchedule {
public:
    // What a frame move decided.
    struct Step {
        bool started = false;   // the first frame: slide 0 became current
        bool switched = false;  // the previous slide ended and the next one became current
        size_t previous = 0;    // the slide left when switched
        float alpha = 0.0f;     // opacity of the fade overlay
    };

    // Advances to application time t over slides of the given timings
    // (one per slide, at least one). The first call makes slide 0 current
    // as if it had already faded in. With one slide nothing switches and no
    // fade is drawn. In the frame that switches, the times of the slide
    // left decide the opacity (black when its fade-in is above 0).
    Step Advance(float t, const std::vector<SlideTiming>& timings);

    bool Started() const { return started_; }
    size_t Current() const { return current_; }
    size_t NextIndex() const { return next_; }
    float StartTime() const { return startTime_; }

private:
    bool started_ = false;
    size_t current_ = 0;
    size_t next_ = 1;
    float startTime_ = 0.0f;
};
