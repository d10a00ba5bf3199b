// The table of Direct3D adapters, device types and full-screen modes that
// device choice works from.
#pragma once

#include <windows.h>
#include <d3d9.h>

constexpr int kMaxModesPerDeviceType = 150;
constexpr int kMaxCollectedModes = 100;
constexpr unsigned kNoIndex = 0xFFFF;

struct ModeRecord {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD behaviorFlags = 0;
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
};

struct DeviceTypeRecord {
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DCAPS9 caps = {};
    const wchar_t* name = L"";
    bool windowedCapable = false;
    bool windowedCapable2 = false;
    unsigned modeCount = 0;
    ModeRecord modes[kMaxModesPerDeviceType] = {};
    unsigned chosenMode = kNoIndex;
};

struct AdapterRecord {
    int monitorIndex = -1;
    D3DADAPTER_IDENTIFIER9 identifier = {};
    D3DDISPLAYMODE desktopMode = {};
    unsigned deviceTypeCount = 0;
    DeviceTypeRecord deviceTypes[3];
    bool hasHal = false;
    bool compatibleHal = false;
    bool hasSw = false;
    bool compatibleSw = false;
    DWORD storedWidth = 0;
    DWORD storedHeight = 0;
    DWORD storedFormat = 0;
    DWORD leaveBlack = 0;
    DWORD disableHardware = 0;
    unsigned windowedDeviceType = kNoIndex;
    HWND deviceWindow = nullptr;
};

// Sort order of modes: width ascending, then height ascending, then format descending.
bool CompareModes(const ModeRecord& a, const ModeRecord& b);
// Byte-for-byte comparison of two 16-byte identifiers.
bool EqualGuid(const GUID& a, const GUID& b);
bool Is16BitFormat(D3DFORMAT format);
bool Is32BitFormat(D3DFORMAT format);
