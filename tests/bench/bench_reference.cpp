// The frame benchmark's reference: the least a Direct3D 9 program can do to
// draw what the scene draws. The same window (class style, window style,
// client size) and the same device and present parameters as the program's
// test window, a picture texture, and every frame N full-screen textured
// ps_2_0 passes through two render-target textures in turn (the first pass
// samples the picture, each next one the target before it, the last one
// draws to the back buffer), then Present. It prints what FrameMeter
// measures, so tools/bench.sh can give each figure of the scene as a ratio
// to this program's.
//
// Usage: bench_reference [--size WxH] [--frames N] [--warmup N] [--sleep]
//                        [--passes N] [--picture WxH] [--device-type N]
//                        [--flags HEX] [--format N] [--depth N] [--swap N]
// --device-type, --flags, --format, --depth (0: none) and --swap are the
// device frame_bench reports; the defaults are the usual choice under Wine.
#include <d3d9.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/FrameMeter.h"
#include "bench_pass_shader.h"
#include "engine/resources/ComPtr.h"

namespace {

constexpr wchar_t kWindowClass[] = L"D3DSaverWndClass";
constexpr DWORD kFrameSleepMs = 30;
constexpr DWORD kExitSettleMs = 150;
// Each pass darkens a little, so the passes cannot be folded into one.
constexpr float kPassTint[4] = {0.98f, 0.98f, 0.98f, 1.0f};

struct Options : RunOptions {
    unsigned passes = 1;
    int pictureWidth = 1024;
    int pictureHeight = 1024;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    DWORD flags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    D3DFORMAT depth = D3DFMT_D24S8;
    D3DSWAPEFFECT swap = D3DSWAPEFFECT_COPY;
};

bool ParseOptions(int argc, char** argv, Options& o)
{
    bool bad = false;
    for (int i = 1; i < argc && !bad; ++i) {
        const std::string arg = argv[i];
        if (o.Read(argc, argv, i, bad)) continue;
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        const unsigned long number = std::strtoul(value, nullptr, 0);
        if (arg == "--picture") {
            bad = std::sscanf(value, "%dx%d", &o.pictureWidth, &o.pictureHeight) != 2;
        } else if (arg == "--passes") {
            o.passes = static_cast<unsigned>(number);
        } else if (arg == "--device-type") {
            o.deviceType = static_cast<D3DDEVTYPE>(number);
        } else if (arg == "--flags") {
            o.flags = static_cast<DWORD>(number);
        } else if (arg == "--format") {
            o.format = static_cast<D3DFORMAT>(number);
        } else if (arg == "--depth") {
            o.depth = static_cast<D3DFORMAT>(number);
        } else if (arg == "--swap") {
            o.swap = static_cast<D3DSWAPEFFECT>(number);
        } else {
            bad = true;
        }
    }
    return !bad && o.Valid() && o.pictureWidth > 0 && o.pictureHeight > 0 && o.passes > 0;
}

LRESULT CALLBACK ReferenceWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wparam, lparam);
}

// The test window of the program: same class style and window style.
HWND CreateTestWindow(HINSTANCE instance, int width, int height)
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ReferenceWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);
    RECT rc = {50, 50, 50 + width, 50 + height};
    const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&rc, style, FALSE);
    return CreateWindowExW(0, kWindowClass, L"bench_reference", style, rc.left, rc.top, rc.right - rc.left,
                           rc.bottom - rc.top, nullptr, nullptr, instance, nullptr);
}

struct ScreenVertex {
    float x, y, z, rhw;
    float u, v;
    static constexpr DWORD kFVF = D3DFVF_XYZRHW | D3DFVF_TEX1;
};
static_assert(sizeof(ScreenVertex) == 24, "XYZRHW and one texture coordinate pair");

// Everything the passes use, made once before the first frame.
class PassScene {
public:
    HRESULT Create(IDirect3DDevice9* device, const Options& o)
    {
        device_ = device;
        passes_ = o.passes;
        HRESULT hr = device->CreateTexture(o.pictureWidth, o.pictureHeight, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           picture_.ReleaseAndGetAddressOf(), nullptr);
        if (FAILED(hr)) return hr;
        D3DLOCKED_RECT locked = {};
        hr = picture_->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) return hr;
        for (int y = 0; y < o.pictureHeight; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < o.pictureWidth; ++x) {
                row[x] = 0xFF000000u | static_cast<uint32_t>((x * 255 / o.pictureWidth) << 16) |
                         static_cast<uint32_t>((y * 255 / o.pictureHeight) << 8) | 0x40u;
            }
        }
        picture_->UnlockRect(0);
        for (ComPtr<IDirect3DTexture9>& target : targets_) {
            hr = device->CreateTexture(o.width, o.height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                       target.ReleaseAndGetAddressOf(), nullptr);
            if (FAILED(hr)) return hr;
        }
        for (int i = 0; i < 2; ++i) {
            hr = targets_[i]->GetSurfaceLevel(0, targetSurfaces_[i].ReleaseAndGetAddressOf());
            if (FAILED(hr)) return hr;
        }
        hr = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer_.ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
        hr = device->CreatePixelShader(reinterpret_cast<const DWORD*>(kPassShader), shader_.ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
        hr = device->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, ScreenVertex::kFVF,
                                        D3DPOOL_MANAGED, quad_.ReleaseAndGetAddressOf(), nullptr);
        if (FAILED(hr)) return hr;
        void* bytes = nullptr;
        hr = quad_->Lock(0, 0, &bytes, 0);
        if (FAILED(hr)) return hr;
        const float w = static_cast<float>(o.width) - 0.5f, h = static_cast<float>(o.height) - 0.5f;
        const ScreenVertex corners[4] = {
            {-0.5f, h, 0.0f, 1.0f, 0.0f, 1.0f},
            {-0.5f, -0.5f, 0.0f, 1.0f, 0.0f, 0.0f},
            {w, h, 0.0f, 1.0f, 1.0f, 1.0f},
            {w, -0.5f, 0.0f, 1.0f, 1.0f, 0.0f},
        };
        std::memcpy(bytes, corners, sizeof(corners));
        quad_->Unlock();
        return S_OK;
    }

    // One frame: the passes, then Present. Counts what it sent.
    HRESULT Frame(FrameCounts& counts, FrameMeter& meter)
    {
        meter.BeginFrameWork();
        counts = FrameCounts{};
        IDirect3DDevice9* d = device_;
        if (FAILED(d->BeginScene())) return E_FAIL;
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d->SetFVF(ScreenVertex::kFVF);
        d->SetStreamSource(0, quad_.Get(), 0, sizeof(ScreenVertex));
        d->SetPixelShader(shader_.Get());
        d->SetPixelShaderConstantF(0, kPassTint, 1);
        IDirect3DSurface9* current = backBuffer_.Get();
        for (unsigned pass = 0; pass < passes_; ++pass) {
            const bool last = pass + 1 == passes_;
            IDirect3DSurface9* target = last ? backBuffer_.Get() : targetSurfaces_[pass & 1].Get();
            if (target != current && SUCCEEDED(d->SetRenderTarget(0, target))) {
                ++counts.targetSwitches;
                current = target;
            }
            d->SetTexture(0, pass == 0 ? static_cast<IDirect3DBaseTexture9*>(picture_.Get())
                                       : targets_[(pass - 1) & 1].Get());
            if (SUCCEEDED(d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2))) {
                ++counts.drawCalls;
                ++counts.fullScreenPasses;
            }
        }
        d->SetTexture(0, nullptr);
        d->EndScene();
        meter.EndFrameWork();
        return d->Present(nullptr, nullptr, nullptr, nullptr);
    }

private:
    IDirect3DDevice9* device_ = nullptr;
    unsigned passes_ = 1;
    ComPtr<IDirect3DTexture9> picture_;
    ComPtr<IDirect3DTexture9> targets_[2];
    ComPtr<IDirect3DSurface9> targetSurfaces_[2];
    ComPtr<IDirect3DSurface9> backBuffer_;
    ComPtr<IDirect3DPixelShader9> shader_;
    ComPtr<IDirect3DVertexBuffer9> quad_;
};

int Run(const Options& o, FrameMeter& meter)
{
    // As the program's Create does.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
    HWND window = CreateTestWindow(GetModuleHandleW(nullptr), o.width, o.height);
    if (window == nullptr) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    ComPtr<IDirect3D9> d3d;
    d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    if (!d3d) {
        std::fprintf(stderr, "no Direct3D\n");
        return 1;
    }
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = o.format;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = o.swap;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = o.depth != D3DFMT_UNKNOWN ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = o.depth;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    ComPtr<IDirect3DDevice9> device;
    HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, o.deviceType, window, o.flags, &pp,
                                   device.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        std::fprintf(stderr, "CreateDevice failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    PassScene scene;
    hr = scene.Create(device.Get(), o);
    if (FAILED(hr)) {
        std::fprintf(stderr, "the passes' resources failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    MSG msg = {};
    while (msg.message != WM_QUIT && !meter.Done()) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (o.sleep) Sleep(kFrameSleepMs);
        FrameCounts counts;
        scene.Frame(counts, meter);
        meter.FramePresented(true, counts);
    }
    scene = PassScene();
    device.Reset();
    DestroyWindow(window);
    return meter.Done() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_reference [--size WxH] [--frames N] [--warmup N] [--sleep] [--passes N] "
                     "[--picture WxH] [--device-type N] [--flags HEX] [--format N] [--depth N] [--swap N]\n");
        return 2;
    }
    FrameMeter meter(options.frames, options.warmup);
    const int status = Run(options, meter);
    std::printf("size %dx%d\n", options.width, options.height);
    std::printf("frame_sleep_ms %lu\n", static_cast<unsigned long>(options.sleep ? kFrameSleepMs : 0));
    std::printf("passes %u\n", options.passes);
    meter.Print(stdout);
    Sleep(kExitSettleMs);
    return status;
}
