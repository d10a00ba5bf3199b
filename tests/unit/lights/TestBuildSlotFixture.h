// A scene slot on the test device playing the document of one of the test
// builds (a corvalline_*.scr beside the test program), as a render unit does.
#pragma once

#include <memory>

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

    const wchar_t* program_;
    HMODULE module_ = nullptr;
    std::unique_ptr<SceneSlot> slot_;
    float now_ = 0.0f;
};
