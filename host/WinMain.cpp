// Process entry: one application object for the life of the process.
#include "host/MoireScreensaver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CMoireScreensaver saver;
    const int hr = saver.Create(instance);
    if (hr < 0) {
        saver.ShowErrorBox(hr);
        return 0;
    }
    return saver.Run();
}
