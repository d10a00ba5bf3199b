// The frame loop over one to three render units whose devices can be lost:
// what each frame draws, resets and presents when a device is lost, needs a
// reset, fails to reset or fails to restore; the message of a device that
// cannot be created; and the first frame's elapsed time.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/D3DScreensaver.h"
#include "tests/unit/host/FakeDirect3D.h"
#include "tests/unit/host/ScriptedDevice.h"
#include "unit/D3DTestDevice.h"

namespace {

constexpr HRESULT kOk = D3D_OK;
constexpr HRESULT kLost = D3DERR_DEVICELOST;
constexpr HRESULT kNotReset = D3DERR_DEVICENOTRESET;
constexpr wchar_t kUnspecified[] = L"There was an unspecified problem with this screen saver.";

// The framework with the application's per-unit steps replaced by notes in a
// log, each naming the unit whose device was current when it ran.
class LoggingSaver : public CD3DScreensaver {
public:
    explicit LoggingSaver(std::vector<std::string>& log) : log_(log) {}

    int restoreFailsFor = -1;  // unit whose RestoreDeviceObjects fails
    bool quitAfterFirstFrame = false;
    float firstElapsed = -1.0f;  // elapsed time of the first frame presented

    int RestoreDeviceObjects() override
    {
        Note("restore");
        return CurrentUnit() == restoreFailsFor ? E_FAIL : 0;
    }
    int InvalidateDeviceObjects() override
    {
        Note("invalidate");
        return 0;
    }
    int Render() override
    {
        Note("render");
        return 0;
    }
    void OnFramePresented() override
    {
        if (firstElapsed >= 0.0f) return;
        firstElapsed = elapsedTime_;
        if (quitAfterFirstFrame) PostQuitMessage(0);
    }

private:
    int CurrentUnit() const
    {
        for (int i = 0; i < unitCount_; ++i) {
            if (units_[i].device == currentDevice_) return i;
        }
        return -1;
    }
    void Note(const char* step) { log_.push_back(step + std::to_string(CurrentUnit())); }

    std::vector<std::string>& log_;
};

std::string Joined(const std::vector<std::string>& log)
{
    std::string text;
    for (const std::string& entry : log) text += (text.empty() ? "" : " ") + entry;
    return text;
}

// What a frame of n healthy units logs: every unit drawn, then every unit
// presented.
std::string HealthyFrame(int n)
{
    std::vector<std::string> log;
    for (int i = 0; i < n; ++i) log.push_back("render" + std::to_string(i));
    for (int i = 0; i < n; ++i) log.push_back("present" + std::to_string(i));
    return Joined(log);
}

struct LossCase {
    const char* name;
    std::vector<HRESULT> cooperative;  // each unit's TestCooperativeLevel in the first frame
    int resetFails;                    // unit whose Reset fails, -1 none
    int restoreFails;                  // unit whose RestoreDeviceObjects fails, -1 none
    const char* frame;                 // the log of the first frame
    bool errorMode;
};

void PrintTo(const LossCase& c, std::ostream* out)
{
    *out << c.name;
}

class DeviceLoss : public D3DTestDevice, public ::testing::WithParamInterface<LossCase> {};

TEST_P(DeviceLoss, FrameDrawsResetsAndPresentsAsScripted)
{
    const LossCase& c = GetParam();
    std::vector<std::string> log;
    LoggingSaver saver(log);
    saver.restoreFailsFor = c.restoreFails;
    std::vector<std::unique_ptr<ScriptedDevice>> devices;
    const int n = static_cast<int>(c.cooperative.size());
    for (int i = 0; i < n; ++i) {
        devices.push_back(std::make_unique<ScriptedDevice>(Device(), std::to_string(i), &log));
        devices[i]->cooperativeLevel = c.cooperative[i];
        if (i == c.resetFails) devices[i]->resetResult = D3DERR_INVALIDCALL;
        RenderUnit& unit = saver.units_[i];
        unit.device = devices[i].get();
        unit.objectsCreated = true;
        unit.objectsRestored = true;
    }
    saver.unitCount_ = n;

    EXPECT_EQ(saver.RenderFrame(), 0);
    EXPECT_EQ(Joined(log), c.frame);
    EXPECT_EQ(saver.errorFlag_, c.errorMode);

    log.clear();
    if (c.errorMode) {
        // The error mode's first step releases every device and shows the
        // unspecified message: a failed reset stores no code of its own.
        saver.AnimateErrorBox();
        EXPECT_EQ(std::wstring(saver.errorText_), kUnspecified);
        EXPECT_EQ(saver.unitCount_, 0);
        for (const auto& device : devices) EXPECT_EQ(device->references, 0u);
        return;
    }
    // The loss is over: the next frame draws and presents every unit.
    for (const auto& device : devices) device->cooperativeLevel = kOk;
    EXPECT_EQ(saver.RenderFrame(), 0);
    EXPECT_EQ(Joined(log), HealthyFrame(n));
    saver.ReleaseDevices();
}

const LossCase kLossCases[] = {
    {"OneUnitDrawsAndPresents", {kOk}, -1, -1, "render0 present0", false},
    {"ThreeUnitsDrawThenPresent", {kOk, kOk, kOk}, -1, -1, "render0 render1 render2 present0 present1 present2", false},
    // A lost device ends the frame at once: the units after it are not
    // drawn and nothing is presented.
    {"OnlyUnitLost", {kLost}, -1, -1, "", false},
    {"FirstOfTwoLost", {kLost, kOk}, -1, -1, "", false},
    {"SecondOfThreeLost", {kOk, kLost, kOk}, -1, -1, "render0", false},
    {"LastOfThreeLost", {kOk, kOk, kLost}, -1, -1, "render0 render1", false},
    // Any other answer is drawn over.
    {"OtherFailureStillDraws", {kOk, D3DERR_DRIVERINTERNALERROR}, -1, -1, "render0 render1 present0 present1", false},
    // A device that needs a reset is invalidated, reset, restored and drawn
    // in the same frame; the other units are left alone.
    {"OnlyUnitNotReset", {kNotReset}, -1, -1, "invalidate0 reset0 restore0 render0 present0", false},
    {"SecondOfThreeNotReset",
     {kOk, kNotReset, kOk},
     -1,
     -1,
     "render0 invalidate1 reset1 restore1 render1 render2 present0 present1 present2",
     false},
    {"BothOfTwoNotReset",
     {kNotReset, kNotReset},
     -1,
     -1,
     "invalidate0 reset0 restore0 render0 invalidate1 reset1 restore1 render1 present0 present1",
     false},
    // A failed reset or restore turns to the error mode. The unit is not
    // drawn on a device in that state and the frame ends there, without a
    // present: the error mode releases the devices at its next step.
    {"OnlyUnitResetFails", {kNotReset}, 0, -1, "invalidate0 reset0", true},
    {"SecondOfThreeResetFails", {kOk, kNotReset, kOk}, 1, -1, "render0 invalidate1 reset1", true},
    {"SecondOfThreeRestoreFails", {kOk, kNotReset, kOk}, -1, 1, "render0 invalidate1 reset1 restore1", true},
};

INSTANTIATE_TEST_SUITE_P(Cases, DeviceLoss, ::testing::ValuesIn(kLossCases),
                         [](const ::testing::TestParamInfo<LossCase>& info) { return info.param.name; });

// A scripted Direct3D object with one adapter whose CreateDevice hands out a
// given device (or fails without one) after a pause that stands for the time
// a real device takes to create.
class DeviceSource : public FakeDirect3D {
public:
    IDirect3DDevice9* device = nullptr;
    DWORD delayMs = 0;

    DeviceSource()
    {
        FakeAdapter adapter;
        adapter.modes = {Mode(1024, 768)};
        adapters.push_back(adapter);
    }

    HRESULT WINAPI CreateDevice(UINT adapter, D3DDEVTYPE type, HWND window, DWORD flags, D3DPRESENT_PARAMETERS* pp,
                                IDirect3DDevice9** out) override
    {
        FakeDirect3D::CreateDevice(adapter, type, window, flags, pp, out);
        Sleep(delayMs);
        *out = device;
        if (device == nullptr) return D3DERR_NOTAVAILABLE;
        device->AddRef();
        return D3D_OK;
    }

    // Hands the saver this object and its one monitor.
    void Install(CD3DScreensaver& saver)
    {
        saver.monitorCount_ = 1;
        saver.monitors_[0].monitor = adapters[0].monitor;
        saver.SetDirect3D(this);
        saver.EnumerateDevices();
    }
};

struct CreationFailureCase {
    const char* name;
    SaverMode mode;
    HRESULT code;
    const wchar_t* text;
};

void PrintTo(const CreationFailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class DeviceCreationFailure : public ::testing::TestWithParam<CreationFailureCase> {};

TEST_P(DeviceCreationFailure, ErrorModeShowsItsMessage)
{
    const CreationFailureCase& c = GetParam();
    DeviceSource source;
    std::vector<std::string> log;
    LoggingSaver saver(log);
    saver.saverMode_ = c.mode;
    source.Install(saver);

    EXPECT_EQ(saver.CreateDevices(), 0);
    EXPECT_EQ(source.createCalls.size(), 1u);
    EXPECT_EQ(saver.unitCount_, 0);
    EXPECT_TRUE(saver.errorFlag_);
    EXPECT_EQ(saver.errorCode_, c.code);
    saver.AnimateErrorBox();
    EXPECT_EQ(std::wstring(saver.errorText_), c.text);
    EXPECT_EQ(Joined(log), "") << "no unit's objects are made";
}

const CreationFailureCase kCreationFailures[] = {
    {"Preview", SaverMode::Preview, kErrNoPreview, L"No preview available"},
    {"TestWindow", SaverMode::TestWindow, kErrCreateDevice, L"Could not create the Direct3D device."},
};

INSTANTIATE_TEST_SUITE_P(Modes, DeviceCreationFailure, ::testing::ValuesIn(kCreationFailures),
                         [](const ::testing::TestParamInfo<CreationFailureCase>& info) { return info.param.name; });

using FirstFrame = D3DTestDevice;

void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

TEST_F(FirstFrame, ElapsedTimeIncludesDeviceCreation)
{
    constexpr DWORD kCreationMs = 300;
    ScriptedDevice device(Device(), "0", nullptr);
    DeviceSource source;
    source.device = &device;
    source.delayMs = kCreationMs;
    std::vector<std::string> log;
    LoggingSaver saver(log);
    saver.saverMode_ = SaverMode::TestWindow;
    saver.frameSleepMs_ = 0;
    saver.quitAfterFirstFrame = true;
    source.Install(saver);

    // Should no frame come, a timer ends the loop instead of the test hanging.
    const UINT_PTR guard = SetTimer(nullptr, 0, 5000, EndLoop);
    EXPECT_EQ(saver.RunSaverLoop(), 0);
    KillTimer(nullptr, guard);
    EXPECT_EQ(device.presentCalls, 1);
    // The timer starts before the devices are made, so their creation
    // counts into the first frame's elapsed time (less a little for the
    // coarseness of Sleep).
    EXPECT_GE(saver.firstElapsed, kCreationMs * 0.9f / 1000.0f);
    saver.ReleaseDevices();
    EXPECT_EQ(device.references, 1u) << "the saver releases the reference it was given";
}

}  // namespace
