// Process entry: one application object for the life of the process.
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "host/MoireScreensaver.h"

namespace {

// How long the process waits, with everything released, before it ends.
constexpr DWORD kExitSettleMs = 150;

int RunSaver(HINSTANCE instance)
{
    CMoireScreensaver saver;
    const int hr = saver.Create(instance);
    if (hr < 0) {
        saver.ShowErrorBox(hr);
        return 0;
    }
    return saver.Run();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Every stored class is known before any render unit reads a document.
    RegisterSceneClasses();
    const int result = RunSaver(instance);
    // Wine 8, 2026-12: a platform thread (Direct3D, sound, the thread pool)
    // that is still finishing its own exit when the process ends can get the
    // process's end signal in the middle of that teardown, and the whole
    // process then dies of a segmentation fault. Every window and device is
    // gone by now; a short pause lets such threads finish first.
    Sleep(kExitSettleMs);
    return result;
}
