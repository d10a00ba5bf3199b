// What one frame of a played document sends to the device, as the render
// service counts it for the frame benchmark: draw calls, render-target
// switches and full-screen passes, for documents whose frames are known.
#include <gtest/gtest.h>

#include "effects/brushes/FXConstructor.h"
#include "engine/render/RenderStats.h"
#include "unit/scene/ComposedDocuments.h"

namespace {

class FrameCounts : public DocumentPlayback {
protected:
    void Play(const char* document, bool fullScreenBrushes)
    {
        const std::vector<uint8_t> bytes = ReadBuildFile(document);
        ASSERT_EQ(ReadSlideShowDocument(bytes.data(), bytes.size(), ComposedDocumentClasses(), document_), S_OK)
            << document;
        SetCurrentDocResManager(document_.manager.get());
        document_.root->BuildObjects();
        if (!fullScreenBrushes) return;
        for (const auto& object : document_.root->Slides()[0]->DrawnObjects()) {
            auto* brush = dynamic_cast<DS_BrushObj*>(object.Get());
            ASSERT_NE(brush, nullptr);
            brush->Brush()->fullScreen.SetValue(1);
        }
    }
};

// The fade overlay is drawn in every frame; the time is inside the slide's
// show, past its fade-in.
TEST_F(FrameCounts, OneFrameOfKnownDocuments)
{
    const struct {
        const char* document;
        bool fullScreenBrushes;
        RenderStats expected;
    } cases[] = {
        // The picture, four border quads and the fade overlay.
        {"tests/variants/still_scene.kvb", false, {6, 0, 2}},
        // Plus the program's three brushes, each drawn over the picture:
        // rings 1 pass, falls a noise pass and 3 colour layers, lake 1 pass.
        // None samples the scene drawn so far: no render-target chain.
        {"res/scene.kvb", false, {12, 0, 8}},
        // Every brush sampling the scene drawn so far: into the chain, two
        // flips, back to the back buffer; the same draws.
        {"res/scene.kvb", true, {12, 4, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.document) + (c.fullScreenBrushes ? ", brushes full screen" : ""));
        ASSERT_NO_FATAL_FAILURE(Play(c.document, c.fullScreenBrushes));
        ASSERT_NO_FATAL_FAILURE(Frame(5.0f));
        RenderStats::Take();
        ASSERT_NO_FATAL_FAILURE(Frame(5.1f));
        const RenderStats counted = RenderStats::Take();
        EXPECT_EQ(counted.drawCalls, c.expected.drawCalls);
        EXPECT_EQ(counted.targetSwitches, c.expected.targetSwitches);
        EXPECT_EQ(counted.fullScreenPasses, c.expected.fullScreenPasses);
        document_.root.reset();
        document_.manager.reset();
        SetCurrentDocResManager(nullptr);
    }
}

}  // namespace
