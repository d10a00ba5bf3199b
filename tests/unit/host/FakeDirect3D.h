// A scripted IDirect3D9: adapters with chosen modes, caps and depth formats,
// and CreateDevice failures for chosen modes. Devices it "creates" are null:
// the tests look at the present parameters the host chose.
#pragma once

#include <d3d9.h>

#include <set>
#include <tuple>
#include <vector>

struct FakeAdapter {
    D3DDISPLAYMODE desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;
    bool hasHal = true;
    bool hasSw = false;
    bool bumpEnvMap = true;
    bool hardwareTnL = true;
    std::set<D3DFORMAT> depthFormats = {D3DFMT_D16, D3DFMT_D24X8};
    HMONITOR monitor = reinterpret_cast<HMONITOR>(0x1000);
    GUID deviceId = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
};

class FakeDirect3D : public IDirect3D9 {
public:
    std::vector<FakeAdapter> adapters;
    // (width, height) pairs whose full-screen CreateDevice fails.
    std::set<std::pair<UINT, UINT>> failingSizes;
    std::vector<D3DPRESENT_PARAMETERS> createCalls;

    HRESULT WINAPI QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI RegisterSoftwareDevice(void*) override { return E_NOTIMPL; }
    UINT WINAPI GetAdapterCount() override { return static_cast<UINT>(adapters.size()); }
    HRESULT WINAPI GetAdapterIdentifier(UINT a, DWORD, D3DADAPTER_IDENTIFIER9* id) override
    {
        *id = D3DADAPTER_IDENTIFIER9{};
        id->DeviceIdentifier = adapters[a].deviceId;
        return D3D_OK;
    }
    UINT WINAPI GetAdapterModeCount(UINT a, D3DFORMAT) override
    {
        return static_cast<UINT>(adapters[a].modes.size());
    }
    HRESULT WINAPI EnumAdapterModes(UINT a, D3DFORMAT, UINT i, D3DDISPLAYMODE* mode) override
    {
        *mode = adapters[a].modes[i];
        return D3D_OK;
    }
    HRESULT WINAPI GetAdapterDisplayMode(UINT a, D3DDISPLAYMODE* mode) override
    {
        *mode = adapters[a].desktop;
        return D3D_OK;
    }
    HRESULT WINAPI CheckDeviceType(UINT a, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, BOOL) override
    {
        return HasType(a, type) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT WINAPI CheckDeviceFormat(UINT a, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE,
                                     D3DFORMAT check) override
    {
        if (usage == D3DUSAGE_DEPTHSTENCIL) return adapters[a].depthFormats.count(check) ? D3D_OK : D3DERR_NOTAVAILABLE;
        return D3D_OK;  // V8U8 textures and everything else
    }
    HRESULT WINAPI CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE, DWORD*) override
    {
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT WINAPI CheckDepthStencilMatch(UINT a, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT depth) override
    {
        return adapters[a].depthFormats.count(depth) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT WINAPI CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override { return D3D_OK; }
    HRESULT WINAPI GetDeviceCaps(UINT a, D3DDEVTYPE type, D3DCAPS9* caps) override
    {
        *caps = D3DCAPS9{};
        if (!HasType(a, type)) return D3DERR_NOTAVAILABLE;
        caps->AdapterOrdinal = a;
        caps->DeviceType = type;
        if (adapters[a].bumpEnvMap) caps->TextureOpCaps = D3DTEXOPCAPS_BUMPENVMAP;
        if (adapters[a].hardwareTnL && type == D3DDEVTYPE_HAL) {
            caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
        }
        return D3D_OK;
    }
    HMONITOR WINAPI GetAdapterMonitor(UINT a) override { return adapters[a].monitor; }
    HRESULT WINAPI CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS* pp,
                                IDirect3DDevice9** device) override
    {
        createCalls.push_back(*pp);
        *device = nullptr;
        if (!pp->Windowed && failingSizes.count({pp->BackBufferWidth, pp->BackBufferHeight})) {
            return D3DERR_NOTAVAILABLE;
        }
        return D3D_OK;
    }

private:
    bool HasType(UINT a, D3DDEVTYPE type) const
    {
        return (type == D3DDEVTYPE_HAL && adapters[a].hasHal) || (type == D3DDEVTYPE_SW && adapters[a].hasSw);
    }
};

inline D3DDISPLAYMODE Mode(UINT w, UINT h, D3DFORMAT f = D3DFMT_X8R8G8B8)
{
    return D3DDISPLAYMODE{w, h, 60, f};
}
