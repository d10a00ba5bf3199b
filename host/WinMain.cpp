// Process entry: one application object for the life of the process.
#include "engine/archive/SceneClassRegistry.h"
#include "host/MoireScreensaver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Every stored class is known before any render unit reads a document.
    RegisterSceneClasses();
    CMoireScreensaver saver;
    const int hr = saver.Create(instance);
    if (hr < 0) {
        saver.ShowErrorBox(hr);
        return 0;
    }
    return saver.Run();
}
