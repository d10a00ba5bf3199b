// A scene slot on the test device playing the document of one of the test
// builds (a corvalline_*.scr beside the test program), as a render unit does.
#pragma once

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "engine/archive/ResourceModule.h"
#include "engine/resources/CurrentScene.h"
#include "host/SceneClassList.h"
#include "host/SceneSlot.h"
#include "unit/D3DTestDevice.h"

class TestBuildSlot : public D3DTestDevice {
protected:
    explicit TestBuildSlot(const wchar_t* program) : program_(program) {}

    void SetUp() override
    {
        D3DTestDevice::SetUp();
        if (HasFatalFailure()) return;
        RegisterSceneClasses();
        SetCurrentDevice(Device());
        module_ = LoadResourceModule(program_, ProgramFolder());
        ASSERT_NE(module_, nullptr);
    }

    void TearDown() override
    {
        slot_.reset();
        SetCurrentDocResManager(nullptr);
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        if (module_) FreeLibrary(module_);
        D3DTestDevice::TearDown();
    }

    // The slot made current with its document loaded.
    void LoadSlot()
    {
        slot_ = std::make_unique<SceneSlot>(module_);
        SetCurrentRenderContext(&slot_->Context());
        ASSERT_EQ(slot_->LoadScene(), S_OK);
        ASSERT_NE(slot_->Root(), nullptr);
    }

    // Frame moves every quarter second up to t: a slide begins with the
    // first frame after the one before it ended, so the show keeps its
    // times only when no frame is far apart.
    void RunTo(float t)
    {
        for (; now_ < t; now_ += 0.25f) slot_->FrameMove(now_);
    }

    // Frames every 0.1 s from t to t + 1; the first and the last.
    std::pair<std::vector<uint32_t>, std::vector<uint32_t>> Second(float t)
    {
        RunTo(t);
        now_ = t + 1.0f;
        std::vector<uint32_t> first;
        for (int i = 0; i <= 10; ++i) {
            slot_->FrameMove(t + 0.1f * static_cast<float>(i));
            slot_->RenderScene(Device());
            if (i == 0) first = BackBufferPixels();
        }
        return {first, BackBufferPixels()};
    }

    // Pixels of rows from..to (fractions of the height) where a colour
    // channel moved by more than limit.
    static int Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, double from, double to,
                       int limit = 0)
    {
        int count = 0;
        for (UINT y = static_cast<UINT>(from * kBackBufferSize); y < static_cast<UINT>(to * kBackBufferSize); ++y) {
            for (UINT x = 0; x < kBackBufferSize; ++x) {
                const size_t i = static_cast<size_t>(y) * kBackBufferSize + x;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int ca = static_cast<int>((a[i] >> shift) & 0xFF);
                    const int cb = static_cast<int>((b[i] >> shift) & 0xFF);
                    if (std::abs(ca - cb) > limit) {
                        ++count;
                        break;
                    }
                }
            }
        }
        return count;
    }

    const wchar_t* program_;
    HMODULE module_ = nullptr;
    std::unique_ptr<SceneSlot> slot_;
    float now_ = 0.0f;
};
