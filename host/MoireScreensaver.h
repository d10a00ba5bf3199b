// The application: the framework specialised with the scene, the sound and
// the settings.
#pragma once

#include "host/D3DScreensaver.h"

class CMoireScreensaver : public CD3DScreensaver {
public:
    CMoireScreensaver();

    void ShowSettings() override;
    void ReadConfiguration() override;
    int AcceptDevice(const D3DCAPS9& caps, DWORD behaviorFlags, D3DFORMAT format) override;
    int Render() override;

    void LoadSettings();
    void WriteSettings();
};
