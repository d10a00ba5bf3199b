// The adapter table and the choice of device type, display mode and formats
// for full-screen and windowed devices.
#include "host/D3DScreensaver.h"
#include "host/Registry.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

constexpr UINT kMinModeWidth = 640;
constexpr UINT kMinModeHeight = 400;
constexpr UINT kSkippedSoftwareHeight = 400;

struct DepthCandidate {
    D3DFORMAT format;
    UINT depthBits;
    UINT stencilBits;
};

// Tried in this order; the first the adapter offers is used.
constexpr DepthCandidate kDepthCandidates[] = {
    {D3DFMT_D16, 16, 0},   {D3DFMT_D15S1, 15, 1},   {D3DFMT_D24X8, 24, 0},
    {D3DFMT_D24S8, 24, 8}, {D3DFMT_D24X4S4, 24, 4}, {D3DFMT_D32, 32, 0},
};

bool SameMode(const ModeRecord& a, UINT width, UINT height, D3DFORMAT format)
{
    return a.width == width && a.height == height && a.format == format;
}

}  // namespace

bool CompareModes(const ModeRecord& a, const ModeRecord& b)
{
    if (a.width != b.width) return a.width < b.width;
    if (a.height != b.height) return a.height < b.height;
    return a.format > b.format;
}

bool EqualGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

bool Is16BitFormat(D3DFORMAT format)
{
    return format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5 ||
           format == D3DFMT_A4R4G4B4 || format == D3DFMT_X4R4G4B4;
}

bool Is32BitFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
}

DWORD CD3DScreensaver::FindBehaviorFlags(const D3DCAPS9& caps, D3DFORMAT format)
{
    DWORD candidates[4];
    int count = 0;
    if ((caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0) {
        if ((caps.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0) {
            candidates[count++] = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
        }
        candidates[count++] = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        candidates[count++] = D3DCREATE_MIXED_VERTEXPROCESSING;
    }
    candidates[count++] = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    for (int i = 0; i < count; ++i) {
        if (AcceptDevice(caps, candidates[i], format) >= 0) return candidates[i];
    }
    return 0;
}

int CD3DScreensaver::EnumerateDevices()
{
    const UINT adapterTotal = d3d_->GetAdapterCount();
    for (UINT i = 0; i < adapterTotal && i < static_cast<UINT>(kMaxAdapters); ++i) {
        if (!adapters_[i]) {
            adapters_[i].reset(new (std::nothrow) AdapterRecord());
            if (!adapters_[i]) return E_OUTOFMEMORY;
        }
        AdapterRecord& adapter = *adapters_[i];
        adapterCount_ = static_cast<int>(i) + 1;
        d3d_->GetAdapterIdentifier(i, 0, &adapter.identifier);
        d3d_->GetAdapterDisplayMode(i, &adapter.desktopMode);
        adapter.deviceTypeCount = 0;
        adapter.leaveBlack = 0;
        adapter.monitorIndex = -1;

        const HMONITOR monitor = d3d_->GetAdapterMonitor(i);
        for (int m = 0; m < monitorCount_; ++m) {
            if (monitor != nullptr && monitors_[m].monitor == monitor) {
                adapter.monitorIndex = m;
                monitors_[m].adapterIndex = static_cast<int>(i);
                break;
            }
        }

        ModeRecord modes[kMaxCollectedModes];
        int modeCount = 0;
        D3DFORMAT formats[kMaxCollectedModes + 1];
        int formatCount = 0;
        formats[formatCount++] = adapter.desktopMode.Format;
        const UINT available = d3d_->GetAdapterModeCount(i, D3DFMT_X8R8G8B8);
        for (UINT j = 0; j < available && modeCount < kMaxCollectedModes; ++j) {
            D3DDISPLAYMODE mode = {};
            if (FAILED(d3d_->EnumAdapterModes(i, D3DFMT_X8R8G8B8, j, &mode))) continue;
            if (mode.Width < kMinModeWidth || mode.Height < kMinModeHeight) continue;
            bool known = false;
            for (int k = 0; k < modeCount && !known; ++k) known = SameMode(modes[k], mode.Width, mode.Height, mode.Format);
            if (known) continue;
            modes[modeCount].width = mode.Width;
            modes[modeCount].height = mode.Height;
            modes[modeCount].format = mode.Format;
            ++modeCount;
            if (std::find(formats, formats + formatCount, mode.Format) == formats + formatCount) {
                formats[formatCount++] = mode.Format;
            }
        }
        std::sort(modes, modes + modeCount, CompareModes);

        const D3DDEVTYPE types[2] = {D3DDEVTYPE_HAL, D3DDEVTYPE_SW};
        const wchar_t* names[2] = {L"HAL", L"SW"};
        for (int t = 0; t < 2; ++t) {
            DeviceTypeRecord& record = adapter.deviceTypes[adapter.deviceTypeCount];
            record = DeviceTypeRecord{};
            record.deviceType = types[t];
            record.name = names[t];
            if (FAILED(d3d_->GetDeviceCaps(i, types[t], &record.caps))) continue;

            DWORD formatFlags[kMaxCollectedModes + 1] = {};
            D3DFORMAT formatDepth[kMaxCollectedModes + 1] = {};
            bool formatUsable[kMaxCollectedModes + 1] = {};
            for (int f = 0; f < formatCount; ++f) {
                if (FAILED(d3d_->CheckDeviceType(i, types[t], formats[f], formats[f], FALSE))) continue;
                if (types[t] == D3DDEVTYPE_HAL) adapter.hasHal = true; else adapter.hasSw = true;
                const DWORD flags = FindBehaviorFlags(record.caps, formats[f]);
                if (flags == 0) continue;
                D3DFORMAT depth = D3DFMT_UNKNOWN;
                if (useDepthBuffer_ && !FindDepthStencilFormat(i, types[t], formats[f], &depth)) continue;
                formatFlags[f] = flags;
                formatDepth[f] = depth;
                formatUsable[f] = true;
            }
            for (int k = 0; k < modeCount && record.modeCount < kMaxModesPerDeviceType; ++k) {
                const int f = static_cast<int>(std::find(formats, formats + formatCount, modes[k].format) - formats);
                if (f >= formatCount || !formatUsable[f]) continue;
                ModeRecord& mode = record.modes[record.modeCount++];
                mode = modes[k];
                mode.behaviorFlags = formatFlags[f];
                mode.depthStencilFormat = formatDepth[f];
            }
            if (formatUsable[0]) {
                record.windowedCapable = true;
                record.windowedCapable2 = true;
            }
            if (record.modeCount > 0) {
                ++adapter.deviceTypeCount;
                if (types[t] == D3DDEVTYPE_HAL) adapter.compatibleHal = true; else adapter.compatibleSw = true;
            }
        }
    }
    return 0;
}

bool CD3DScreensaver::FindDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, D3DFORMAT* depthFormat)
{
    for (const DepthCandidate& candidate : kDepthCandidates) {
        if (candidate.depthBits < minDepthBits_ || candidate.stencilBits < minStencilBits_) continue;
        if (SUCCEEDED(d3d_->CheckDeviceFormat(adapter, type, format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                              candidate.format)) &&
            SUCCEEDED(d3d_->CheckDepthStencilMatch(adapter, type, format, format, candidate.format))) {
            *depthFormat = candidate.format;
            return true;
        }
    }
    return false;
}

bool CD3DScreensaver::FindWindowedAdapter(int* adapterIndex)
{
    *adapterIndex = -1;
    for (int m = 0; m < monitorCount_; ++m) {
        const int a = monitors_[m].adapterIndex;
        if (a >= 0 && a < adapterCount_ && adapters_[a] && adapters_[a]->compatibleHal) {
            *adapterIndex = a;
            return true;
        }
    }
    for (int m = 0; m < monitorCount_; ++m) {
        const int a = monitors_[m].adapterIndex;
        if (a >= 0 && a < adapterCount_ && adapters_[a] && adapters_[a]->compatibleSw) *adapterIndex = a;
    }
    return *adapterIndex >= 0;
}

int CD3DScreensaver::ConfirmWindowedDevice(RenderUnit& unit, D3DFORMAT backBufferFormat, DWORD* behaviorFlags,
                                           D3DFORMAT* depthFormat)
{
    AdapterRecord& adapter = *adapters_[unit.adapterIndex];
    const UINT ordinal = static_cast<UINT>(unit.adapterIndex);
    if (FAILED(d3d_->CheckDeviceType(ordinal, unit.deviceType, adapter.desktopMode.Format, backBufferFormat, TRUE))) {
        return E_FAIL;
    }
    D3DCAPS9 caps = {};
    if (FAILED(d3d_->GetDeviceCaps(ordinal, unit.deviceType, &caps))) return E_FAIL;
    *behaviorFlags = FindBehaviorFlags(caps, backBufferFormat);
    if (*behaviorFlags == 0) return E_FAIL;
    *depthFormat = D3DFMT_UNKNOWN;
    if (useDepthBuffer_ && !FindDepthStencilFormat(ordinal, unit.deviceType, backBufferFormat, depthFormat)) {
        return E_FAIL;
    }
    return 0;
}

int CD3DScreensaver::CreateWindowedDevice(RenderUnit& unit)
{
    AdapterRecord& adapter = *adapters_[unit.adapterIndex];
    int chosen = -1;
    if (!adapter.disableHardware) {
        for (unsigned t = 0; t < adapter.deviceTypeCount && chosen < 0; ++t) {
            const DeviceTypeRecord& record = adapter.deviceTypes[t];
            if (record.deviceType == D3DDEVTYPE_HAL && record.windowedCapable) chosen = static_cast<int>(t);
        }
    }
    if (chosen < 0) {
        for (unsigned t = 0; t < adapter.deviceTypeCount; ++t) {
            const DeviceTypeRecord& record = adapter.deviceTypes[t];
            if (record.deviceType == D3DDEVTYPE_SW && record.windowedCapable) chosen = static_cast<int>(t);
        }
    }
    if (chosen < 0) return kErrNoHardwareDevice;
    adapter.windowedDeviceType = static_cast<unsigned>(chosen);
    unit.deviceType = adapter.deviceTypes[chosen].deviceType;

    const D3DFORMAT candidates[] = {adapter.desktopMode.Format, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5,
                                    D3DFMT_R5G6B5};
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    DWORD flags = 0;
    D3DFORMAT depth = D3DFMT_UNKNOWN;
    for (D3DFORMAT candidate : candidates) {
        if (ConfirmWindowedDevice(unit, candidate, &flags, &depth) >= 0) {
            backBufferFormat = candidate;
            break;
        }
    }
    if (backBufferFormat == D3DFMT_UNKNOWN) return E_FAIL;

    unit.behaviorFlags = flags;
    unit.monitorIndex = adapter.monitorIndex;
    D3DPRESENT_PARAMETERS& pp = unit.presentParams;
    pp = D3DPRESENT_PARAMETERS{};
    pp.BackBufferFormat = backBufferFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = windowedSwapEffect_;
    pp.hDeviceWindow = adapter.deviceWindow;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = useDepthBuffer_ ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = depth;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return d3d_->CreateDevice(static_cast<UINT>(unit.adapterIndex), unit.deviceType, mainWindow_, flags, &pp,
                              &unit.device);
}

bool CD3DScreensaver::FindNextLowerMode(DeviceTypeRecord& record)
{
    if (record.chosenMode >= record.modeCount) return false;
    const ModeRecord current = record.modes[record.chosenMode];
    if (Is32BitFormat(current.format)) {
        for (unsigned k = 0; k < record.modeCount; ++k) {
            const ModeRecord& mode = record.modes[k];
            if (k != record.chosenMode && mode.width == current.width && mode.height == current.height &&
                Is16BitFormat(mode.format)) {
                record.chosenMode = k;
                return true;
            }
        }
    }
    const UINT currentArea = current.width * current.height;
    int best = -1;
    for (unsigned k = 0; k < record.modeCount; ++k) {
        if (k == record.chosenMode) continue;
        const ModeRecord& mode = record.modes[k];
        const UINT area = mode.width * mode.height;
        if (area >= currentArea) continue;
        if (best < 0) {
            best = static_cast<int>(k);
            continue;
        }
        const ModeRecord& bestMode = record.modes[best];
        const UINT bestArea = bestMode.width * bestMode.height;
        const bool replace = Is32BitFormat(bestMode.format) ? area > bestArea
                                                            : (area > bestArea || Is32BitFormat(mode.format));
        if (replace) best = static_cast<int>(k);
    }
    if (best < 0) return false;
    record.chosenMode = static_cast<unsigned>(best);
    return true;
}

namespace {

unsigned ChooseDefaultMode(const DeviceTypeRecord& record, const D3DDISPLAYMODE& desktop)
{
    unsigned chosen = kNoIndex;
    if (record.deviceType == D3DDEVTYPE_SW) {
        for (unsigned k = 0; k < record.modeCount; ++k) {
            const ModeRecord& mode = record.modes[k];
            if (mode.height == kSkippedSoftwareHeight) continue;
            if (chosen == kNoIndex || mode.height < record.modes[chosen].height) {
                chosen = k;
            } else if (mode.height == record.modes[chosen].height && !Is16BitFormat(record.modes[chosen].format)) {
                chosen = k;
            }
        }
    } else {
        for (unsigned k = 0; k < record.modeCount; ++k) {
            const ModeRecord& mode = record.modes[k];
            if (mode.width != desktop.Width || mode.height != desktop.Height) continue;
            if (chosen == kNoIndex) chosen = k;
            if (Is32BitFormat(mode.format)) {
                chosen = k;
                break;
            }
        }
    }
    if (chosen != kNoIndex) return chosen;
    for (unsigned k = 0; k < record.modeCount; ++k) {
        const ModeRecord& mode = record.modes[k];
        if (chosen == kNoIndex) {
            chosen = k;
            continue;
        }
        const ModeRecord& best = record.modes[chosen];
        const bool larger = mode.width > best.width || mode.height > best.height;
        const bool sameSizeDeeper = mode.width == best.width && mode.height == best.height &&
                                    Is32BitFormat(mode.format) && Is16BitFormat(best.format);
        if (larger || sameSizeDeeper) chosen = k;
    }
    return chosen;
}

}  // namespace

int CD3DScreensaver::CreateFullscreenDevice(RenderUnit& unit)
{
    if (unit.adapterIndex < 0 || unit.adapterIndex >= adapterCount_ || !adapters_[unit.adapterIndex]) return E_FAIL;
    AdapterRecord& adapter = *adapters_[unit.adapterIndex];
    if (adapter.deviceTypeCount == 0) return E_FAIL;

    int chosen = -1;
    if (!adapter.disableHardware) {
        for (unsigned t = 0; t < adapter.deviceTypeCount && chosen < 0; ++t) {
            if (adapter.deviceTypes[t].deviceType == D3DDEVTYPE_HAL) chosen = static_cast<int>(t);
        }
    }
    if (chosen < 0) {
        for (unsigned t = 0; t < adapter.deviceTypeCount; ++t) {
            if (adapter.deviceTypes[t].deviceType == D3DDEVTYPE_SW) chosen = static_cast<int>(t);
        }
    }
    if (chosen < 0) return kErrNoHardwareDevice;
    DeviceTypeRecord& record = adapter.deviceTypes[chosen];

    record.chosenMode = kNoIndex;
    if (adapter.storedWidth != 0) {
        for (unsigned k = 0; k < record.modeCount; ++k) {
            if (SameMode(record.modes[k], adapter.storedWidth, adapter.storedHeight,
                         static_cast<D3DFORMAT>(adapter.storedFormat))) {
                record.chosenMode = k;
                break;
            }
        }
    }
    if (record.chosenMode == kNoIndex) record.chosenMode = ChooseDefaultMode(record, adapter.desktopMode);
    if (record.chosenMode == kNoIndex) return E_FAIL;

    HRESULT hr = E_FAIL;
    bool retried = false;
    for (;;) {
        const ModeRecord& mode = record.modes[record.chosenMode];
        unit.deviceType = record.deviceType;
        unit.behaviorFlags = mode.behaviorFlags;
        unit.monitorIndex = adapter.monitorIndex;
        D3DPRESENT_PARAMETERS& pp = unit.presentParams;
        pp = D3DPRESENT_PARAMETERS{};
        pp.BackBufferWidth = mode.width;
        pp.BackBufferHeight = mode.height;
        pp.BackBufferFormat = mode.format;
        pp.BackBufferCount = 1;
        pp.MultiSampleType = D3DMULTISAMPLE_NONE;
        pp.SwapEffect = fullscreenSwapEffect_;
        pp.hDeviceWindow = adapter.deviceWindow;
        pp.Windowed = FALSE;
        pp.EnableAutoDepthStencil = useDepthBuffer_ ? TRUE : FALSE;
        pp.AutoDepthStencilFormat = mode.depthStencilFormat;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        hr = d3d_->CreateDevice(static_cast<UINT>(unit.adapterIndex), unit.deviceType, mainWindow_,
                                unit.behaviorFlags, &pp, &unit.device);
        if (SUCCEEDED(hr)) {
            hr = AcceptMode(unit.device);
            if (FAILED(hr)) {
                unit.device->Release();
                unit.device = nullptr;
            }
        }
        if (SUCCEEDED(hr)) break;
        unit.device = nullptr;
        if (!FindNextLowerMode(record)) return hr;
        retried = true;
    }

    if (retried) {
        const ModeRecord& mode = record.modes[record.chosenMode];
        adapter.storedWidth = mode.width;
        adapter.storedHeight = mode.height;
        adapter.storedFormat = static_cast<DWORD>(mode.format);
        if (settingsKeyPath_[0] != L'\0' && adapter.monitorIndex >= 0) {
            WriteScreenModeSettings(settingsKeyPath_, adapter.monitorIndex, adapter);
        }
    }
    return 0;
}
