// A device whose loss is scripted, for the frame loop's tests: a proxy over a
// real device (the test fixture's) in which TestCooperativeLevel, Reset and
// Present answer from the script instead, count their calls and note Reset
// and Present in a log shared by all devices of a test. Everything else goes
// to the real device, so a unit can be made current and drawn as usual.
//
// The test owns the object: reference counting is kept so that the host's
// Release calls can be checked, but nothing is deleted at zero.
#pragma once

#include <d3d9.h>

#include <string>
#include <utility>
#include <vector>

class ScriptedDevice : public IDirect3DDevice9 {
public:
    // inner: the real device, not owned; name: what the log says after
    // "reset" and "present"; log: may be null.
    ScriptedDevice(IDirect3DDevice9* inner, std::string name, std::vector<std::string>* log)
        : inner_(inner), name_(std::move(name)), log_(log)
    {
    }

    // What TestCooperativeLevel answers; a Reset that succeeds sets it back
    // to D3D_OK, as a real device comes back after its reset.
    HRESULT cooperativeLevel = D3D_OK;
    // What Reset answers; the real device is not reset.
    HRESULT resetResult = D3D_OK;
    // What Present answers; nothing reaches the real device's window.
    HRESULT presentResult = D3D_OK;

    int testCalls = 0;
    int resetCalls = 0;
    int presentCalls = 0;
    // Starts with the one reference its creator holds (or hands on).
    ULONG references = 1;

    HRESULT WINAPI QueryInterface(REFIID riid, void** out) override
    {
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirect3DDevice9)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++references; }
    ULONG WINAPI Release() override { return references > 0 ? --references : 0; }

    HRESULT WINAPI TestCooperativeLevel() override
    {
        ++testCalls;
        return cooperativeLevel;
    }
    HRESULT WINAPI Reset(D3DPRESENT_PARAMETERS*) override
    {
        ++resetCalls;
        Note("reset");
        if (SUCCEEDED(resetResult)) cooperativeLevel = D3D_OK;
        return resetResult;
    }
    HRESULT WINAPI Present(const RECT*, const RECT*, HWND, const RGNDATA*) override
    {
        ++presentCalls;
        Note("present");
        return presentResult;
    }

    // The rest of the interface, passed to the real device unchanged.
    // clang-format off
#define SCRIPTED_FORWARD(Result, Name, Params, Args) Result WINAPI Name Params override { return inner_->Name Args; }
    SCRIPTED_FORWARD(UINT, GetAvailableTextureMem, (), ())
    SCRIPTED_FORWARD(HRESULT, EvictManagedResources, (), ())
    SCRIPTED_FORWARD(HRESULT, GetDirect3D, (IDirect3D9** a), (a))
    SCRIPTED_FORWARD(HRESULT, GetDeviceCaps, (D3DCAPS9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetDisplayMode, (UINT a, D3DDISPLAYMODE* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetCreationParameters, (D3DDEVICE_CREATION_PARAMETERS* a), (a))
    SCRIPTED_FORWARD(HRESULT, SetCursorProperties, (UINT a, UINT b, IDirect3DSurface9* c), (a, b, c))
    SCRIPTED_FORWARD(void, SetCursorPosition, (int a, int b, DWORD c), (a, b, c))
    SCRIPTED_FORWARD(WINBOOL, ShowCursor, (WINBOOL a), (a))
    SCRIPTED_FORWARD(HRESULT, CreateAdditionalSwapChain, (D3DPRESENT_PARAMETERS* a, IDirect3DSwapChain9** b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetSwapChain, (UINT a, IDirect3DSwapChain9** b), (a, b))
    SCRIPTED_FORWARD(UINT, GetNumberOfSwapChains, (), ())
    SCRIPTED_FORWARD(HRESULT, GetBackBuffer, (UINT a, UINT b, D3DBACKBUFFER_TYPE c, IDirect3DSurface9** d),
                     (a, b, c, d))
    SCRIPTED_FORWARD(HRESULT, GetRasterStatus, (UINT a, D3DRASTER_STATUS* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetDialogBoxMode, (WINBOOL a), (a))
    SCRIPTED_FORWARD(void, SetGammaRamp, (UINT a, DWORD b, const D3DGAMMARAMP* c), (a, b, c))
    SCRIPTED_FORWARD(void, GetGammaRamp, (UINT a, D3DGAMMARAMP* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, CreateTexture, (UINT a, UINT b, UINT c, DWORD d, D3DFORMAT e, D3DPOOL f,
                     IDirect3DTexture9** g, HANDLE* h),
                     (a, b, c, d, e, f, g, h))
    SCRIPTED_FORWARD(HRESULT, CreateVolumeTexture, (UINT a, UINT b, UINT c, UINT d, DWORD e, D3DFORMAT f, D3DPOOL g,
                     IDirect3DVolumeTexture9** h, HANDLE* i),
                     (a, b, c, d, e, f, g, h, i))
    SCRIPTED_FORWARD(HRESULT, CreateCubeTexture, (UINT a, UINT b, DWORD c, D3DFORMAT d, D3DPOOL e,
                     IDirect3DCubeTexture9** f, HANDLE* g),
                     (a, b, c, d, e, f, g))
    SCRIPTED_FORWARD(HRESULT, CreateVertexBuffer, (UINT a, DWORD b, DWORD c, D3DPOOL d, IDirect3DVertexBuffer9** e,
                     HANDLE* f),
                     (a, b, c, d, e, f))
    SCRIPTED_FORWARD(HRESULT, CreateIndexBuffer, (UINT a, DWORD b, D3DFORMAT c, D3DPOOL d, IDirect3DIndexBuffer9** e,
                     HANDLE* f),
                     (a, b, c, d, e, f))
    SCRIPTED_FORWARD(HRESULT, CreateRenderTarget, (UINT a, UINT b, D3DFORMAT c, D3DMULTISAMPLE_TYPE d, DWORD e,
                     WINBOOL f, IDirect3DSurface9** g, HANDLE* h),
                     (a, b, c, d, e, f, g, h))
    SCRIPTED_FORWARD(HRESULT, CreateDepthStencilSurface, (UINT a, UINT b, D3DFORMAT c, D3DMULTISAMPLE_TYPE d, DWORD e,
                     WINBOOL f, IDirect3DSurface9** g, HANDLE* h),
                     (a, b, c, d, e, f, g, h))
    SCRIPTED_FORWARD(HRESULT, UpdateSurface, (IDirect3DSurface9* a, const RECT* b, IDirect3DSurface9* c,
                     const POINT* d),
                     (a, b, c, d))
    SCRIPTED_FORWARD(HRESULT, UpdateTexture, (IDirect3DBaseTexture9* a, IDirect3DBaseTexture9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetRenderTargetData, (IDirect3DSurface9* a, IDirect3DSurface9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetFrontBufferData, (UINT a, IDirect3DSurface9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, StretchRect, (IDirect3DSurface9* a, const RECT* b, IDirect3DSurface9* c, const RECT* d,
                     D3DTEXTUREFILTERTYPE e),
                     (a, b, c, d, e))
    SCRIPTED_FORWARD(HRESULT, ColorFill, (IDirect3DSurface9* a, const RECT* b, D3DCOLOR c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, CreateOffscreenPlainSurface, (UINT a, UINT b, D3DFORMAT c, D3DPOOL d,
                     IDirect3DSurface9** e, HANDLE* f),
                     (a, b, c, d, e, f))
    SCRIPTED_FORWARD(HRESULT, SetRenderTarget, (DWORD a, IDirect3DSurface9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetRenderTarget, (DWORD a, IDirect3DSurface9** b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetDepthStencilSurface, (IDirect3DSurface9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetDepthStencilSurface, (IDirect3DSurface9** a), (a))
    SCRIPTED_FORWARD(HRESULT, BeginScene, (), ())
    SCRIPTED_FORWARD(HRESULT, EndScene, (), ())
    SCRIPTED_FORWARD(HRESULT, Clear, (DWORD a, const D3DRECT* b, DWORD c, D3DCOLOR d, float e, DWORD f),
                     (a, b, c, d, e, f))
    SCRIPTED_FORWARD(HRESULT, SetTransform, (D3DTRANSFORMSTATETYPE a, const D3DMATRIX* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetTransform, (D3DTRANSFORMSTATETYPE a, D3DMATRIX* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, MultiplyTransform, (D3DTRANSFORMSTATETYPE a, const D3DMATRIX* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetViewport, (const D3DVIEWPORT9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetViewport, (D3DVIEWPORT9* a), (a))
    SCRIPTED_FORWARD(HRESULT, SetMaterial, (const D3DMATERIAL9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetMaterial, (D3DMATERIAL9* a), (a))
    SCRIPTED_FORWARD(HRESULT, SetLight, (DWORD a, const D3DLIGHT9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetLight, (DWORD a, D3DLIGHT9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, LightEnable, (DWORD a, WINBOOL b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetLightEnable, (DWORD a, WINBOOL* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetClipPlane, (DWORD a, const float* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetClipPlane, (DWORD a, float* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetRenderState, (D3DRENDERSTATETYPE a, DWORD b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetRenderState, (D3DRENDERSTATETYPE a, DWORD* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, CreateStateBlock, (D3DSTATEBLOCKTYPE a, IDirect3DStateBlock9** b), (a, b))
    SCRIPTED_FORWARD(HRESULT, BeginStateBlock, (), ())
    SCRIPTED_FORWARD(HRESULT, EndStateBlock, (IDirect3DStateBlock9** a), (a))
    SCRIPTED_FORWARD(HRESULT, SetClipStatus, (const D3DCLIPSTATUS9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetClipStatus, (D3DCLIPSTATUS9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetTexture, (DWORD a, IDirect3DBaseTexture9** b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetTexture, (DWORD a, IDirect3DBaseTexture9* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetTextureStageState, (DWORD a, D3DTEXTURESTAGESTATETYPE b, DWORD* c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetTextureStageState, (DWORD a, D3DTEXTURESTAGESTATETYPE b, DWORD c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetSamplerState, (DWORD a, D3DSAMPLERSTATETYPE b, DWORD* c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetSamplerState, (DWORD a, D3DSAMPLERSTATETYPE b, DWORD c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, ValidateDevice, (DWORD* a), (a))
    SCRIPTED_FORWARD(HRESULT, SetPaletteEntries, (UINT a, const PALETTEENTRY* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetPaletteEntries, (UINT a, PALETTEENTRY* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetCurrentTexturePalette, (UINT a), (a))
    SCRIPTED_FORWARD(HRESULT, GetCurrentTexturePalette, (UINT* a), (a))
    SCRIPTED_FORWARD(HRESULT, SetScissorRect, (const RECT* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetScissorRect, (RECT* a), (a))
    SCRIPTED_FORWARD(HRESULT, SetSoftwareVertexProcessing, (WINBOOL a), (a))
    SCRIPTED_FORWARD(WINBOOL, GetSoftwareVertexProcessing, (), ())
    SCRIPTED_FORWARD(HRESULT, SetNPatchMode, (float a), (a))
    SCRIPTED_FORWARD(float, GetNPatchMode, (), ())
    SCRIPTED_FORWARD(HRESULT, DrawPrimitive, (D3DPRIMITIVETYPE a, UINT b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, DrawIndexedPrimitive, (D3DPRIMITIVETYPE a, INT b, UINT c, UINT d, UINT e, UINT f),
                     (a, b, c, d, e, f))
    SCRIPTED_FORWARD(HRESULT, DrawPrimitiveUP, (D3DPRIMITIVETYPE a, UINT b, const void* c, UINT d), (a, b, c, d))
    SCRIPTED_FORWARD(HRESULT, DrawIndexedPrimitiveUP, (D3DPRIMITIVETYPE a, UINT b, UINT c, UINT d, const void* e,
                     D3DFORMAT f, const void* g, UINT h),
                     (a, b, c, d, e, f, g, h))
    SCRIPTED_FORWARD(HRESULT, ProcessVertices, (UINT a, UINT b, UINT c, IDirect3DVertexBuffer9* d,
                     IDirect3DVertexDeclaration9* e, DWORD f),
                     (a, b, c, d, e, f))
    SCRIPTED_FORWARD(HRESULT, CreateVertexDeclaration, (const D3DVERTEXELEMENT9* a, IDirect3DVertexDeclaration9** b),
                     (a, b))
    SCRIPTED_FORWARD(HRESULT, SetVertexDeclaration, (IDirect3DVertexDeclaration9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetVertexDeclaration, (IDirect3DVertexDeclaration9** a), (a))
    SCRIPTED_FORWARD(HRESULT, SetFVF, (DWORD a), (a))
    SCRIPTED_FORWARD(HRESULT, GetFVF, (DWORD* a), (a))
    SCRIPTED_FORWARD(HRESULT, CreateVertexShader, (const DWORD* a, IDirect3DVertexShader9** b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetVertexShader, (IDirect3DVertexShader9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetVertexShader, (IDirect3DVertexShader9** a), (a))
    SCRIPTED_FORWARD(HRESULT, SetVertexShaderConstantF, (UINT a, const float* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetVertexShaderConstantF, (UINT a, float* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetVertexShaderConstantI, (UINT a, const int* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetVertexShaderConstantI, (UINT a, int* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetVertexShaderConstantB, (UINT a, const WINBOOL* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetVertexShaderConstantB, (UINT a, WINBOOL* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetStreamSource, (UINT a, IDirect3DVertexBuffer9* b, UINT c, UINT d), (a, b, c, d))
    SCRIPTED_FORWARD(HRESULT, GetStreamSource, (UINT a, IDirect3DVertexBuffer9** b, UINT* c, UINT* d), (a, b, c, d))
    SCRIPTED_FORWARD(HRESULT, SetStreamSourceFreq, (UINT a, UINT b), (a, b))
    SCRIPTED_FORWARD(HRESULT, GetStreamSourceFreq, (UINT a, UINT* b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetIndices, (IDirect3DIndexBuffer9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetIndices, (IDirect3DIndexBuffer9** a), (a))
    SCRIPTED_FORWARD(HRESULT, CreatePixelShader, (const DWORD* a, IDirect3DPixelShader9** b), (a, b))
    SCRIPTED_FORWARD(HRESULT, SetPixelShader, (IDirect3DPixelShader9* a), (a))
    SCRIPTED_FORWARD(HRESULT, GetPixelShader, (IDirect3DPixelShader9** a), (a))
    SCRIPTED_FORWARD(HRESULT, SetPixelShaderConstantF, (UINT a, const float* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetPixelShaderConstantF, (UINT a, float* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetPixelShaderConstantI, (UINT a, const int* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetPixelShaderConstantI, (UINT a, int* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, SetPixelShaderConstantB, (UINT a, const WINBOOL* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, GetPixelShaderConstantB, (UINT a, WINBOOL* b, UINT c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, DrawRectPatch, (UINT a, const float* b, const D3DRECTPATCH_INFO* c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, DrawTriPatch, (UINT a, const float* b, const D3DTRIPATCH_INFO* c), (a, b, c))
    SCRIPTED_FORWARD(HRESULT, DeletePatch, (UINT a), (a))
    SCRIPTED_FORWARD(HRESULT, CreateQuery, (D3DQUERYTYPE a, IDirect3DQuery9** b), (a, b))
#undef SCRIPTED_FORWARD
    // clang-format on

private:
    void Note(const char* call)
    {
        if (log_ != nullptr) log_->push_back(call + name_);
    }

    IDirect3DDevice9* inner_;
    std::string name_;
    std::vector<std::string>* log_;
};
