// Frame stepping of texture sets and the size bookkeeping of texture entries.
#include <gtest/gtest.h>

#include <vector>

#include "engine/render/TextureEntry.h"
#include "engine/render/TextureFrames.h"

namespace {

struct StepCase {
    const char* what;
    std::vector<float> durations;
    int32_t start;
    bool forward;
    std::vector<float> times;
    std::vector<int32_t> indices;  // current index after each time
};

const StepCase kStepCases[] = {
    {"forward steps only past the duration", {0.1f, 0.2f}, 0, true, {0.05f, 0.15f, 0.2f, 0.4f}, {0, 1, 1, 0}},
    {"equal to the duration is not past it", {0.5f, 0.5f}, 0, true, {0.5f, 0.51f}, {0, 1}},
    {"backward wraps to the last frame", {0.1f, 0.1f, 0.1f}, 0, false, {0.2f, 0.4f, 0.6f}, {2, 1, 0}},
    {"one frame per call however late", {0.1f, 0.1f, 0.1f}, 0, true, {5.0f}, {1}},
    {"a clock that went back restarts the frame", {0.1f, 0.1f}, 0, true, {-1.0f, -0.95f, -0.85f}, {0, 0, 1}},
    {"no durations never steps", {}, 0, true, {1.0f, 2.0f}, {0, 0}},
    {"an index past the durations starts again", {0.1f, 0.1f}, 5, true, {0.05f, 0.2f}, {0, 1}},
};

}  // namespace

TEST(TextureFrames, StepsByFrameDurations)
{
    for (const StepCase& c : kStepCases) {
        TextureFrames frames;
        frames.durations = c.durations;
        frames.current = c.start;
        for (size_t i = 0; i < c.times.size(); ++i) {
            if (c.forward) {
                frames.StepForward(c.times[i]);
            } else {
                frames.StepBackward(c.times[i]);
            }
            EXPECT_EQ(frames.current, c.indices[i]) << c.what << ", t = " << c.times[i];
        }
    }
}

TEST(TextureFrames, CurrentTextureOutsideTheSlotsIsNull)
{
    TextureFrames frames;
    frames.durations = {0.1f, 0.1f, 0.1f};
    frames.textures.resize(1);  // more durations than textures
    frames.current = 2;
    EXPECT_EQ(frames.CurrentTexture(), nullptr);
    frames.current = -1;
    EXPECT_EQ(frames.CurrentTexture(), nullptr);
}

TEST(TextureEntry, RatioAndEmptyStates)
{
    TextureEntry entry;
    entry.Set(nullptr, 800, 600);
    EXPECT_FLOAT_EQ(entry.ratio, 0.75f);
    entry.Set(nullptr, 0, 600);
    EXPECT_FLOAT_EQ(entry.ratio, 1.0f);  // no division by zero

    TextureFrames empty;
    empty.SetSize(64, 32);
    entry.FromSet(empty);  // no textures: the entry is emptied
    EXPECT_EQ(entry.width, 0u);
    EXPECT_EQ(entry.height, 0u);
    EXPECT_FLOAT_EQ(entry.ratio, 1.0f);
    EXPECT_FALSE(entry.texture);
}
