// The test fixture with a real Direct3D 9 device: windowed, on a hidden
// window, an X8R8G8B8 back buffer with a D24S8 depth buffer and the saver's
// creation flags, made afresh for every test. Needs an X display under Wine
// (./test.sh and tools/session.sh start one). Use it directly with
// TEST_F(D3DTestDevice, ...) or derive a fixture from it.
//
// A device per test rather than per suite: CTest runs every test in a
// process of its own, so a shared device would save nothing there, and a
// fresh device means no test sees state another one left behind.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/archive/ResourceModule.h"
#include "engine/resources/ComPtr.h"
#include "unit/QuickTestExit.h"

class D3DTestDevice : public ::testing::Test {
public:
    // The folder of the test program, with a trailing backslash.
    static std::wstring ProgramDirectory() { return ProgramFolder(); }

protected:
    // The default back buffer: square, and small enough to read back whole
    // in every test.
    static constexpr UINT kBackBufferSize = 256;
    // The wide back buffer (3:2) of the picture-layer, mesh and render
    // context tests: a square picture fills it in none of the fit, fill and
    // stretch modes alike, so each mode shows at the edges.
    static constexpr UINT kWideWidth = 600;
    static constexpr UINT kWideHeight = 400;

    D3DTestDevice() = default;
    // A fixture whose checks need another back-buffer size passes it here.
    D3DTestDevice(UINT width, UINT height) : width_(width), height_(height) {}

    void SetUp() override
    {
        InstallQuickTestExit();
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvallineD3DTestWindow";
        RegisterClassW(&windowClass);  // fails harmlessly when already registered
        window_ = CreateWindowW(windowClass.lpszClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, static_cast<int>(width_),
                                static_cast<int>(height_), nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        d3d_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
        ASSERT_NE(d3d_.Get(), nullptr) << "Direct3DCreate9 failed: is an X display running (tools/session.sh)?";
        params_.Windowed = TRUE;
        params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params_.BackBufferWidth = width_;
        params_.BackBufferHeight = height_;
        params_.BackBufferFormat = D3DFMT_X8R8G8B8;
        // The saver's device has a depth buffer too, so its default render
        // states (depth test on) are the ones scene code meets.
        params_.EnableAutoDepthStencil = TRUE;
        params_.AutoDepthStencilFormat = D3DFMT_D24S8;
        params_.hDeviceWindow = window_;
        params_.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        D3DPRESENT_PARAMETERS params = params_;
        const HRESULT hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                              D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, &params,
                                              device_.ReleaseAndGetAddressOf());
        ASSERT_EQ(hr, D3D_OK) << "CreateDevice failed";
    }

    void TearDown() override
    {
        device_.Reset();
        d3d_.Reset();
        if (window_) {
            DestroyWindow(window_);
            window_ = nullptr;
        }
    }

    IDirect3DDevice9* Device() const { return device_.Get(); }
    UINT BackBufferWidth() const { return width_; }
    UINT BackBufferHeight() const { return height_; }

    // Resets the device with the parameters it was made with. Every
    // default-pool resource must have been released before.
    HRESULT ResetDevice()
    {
        D3DPRESENT_PARAMETERS params = params_;
        return device_->Reset(&params);
    }

    // The back buffer's pixels (row-major, BackBufferWidth() per row; empty
    // when it cannot be read).
    std::vector<uint32_t> BackBufferPixels()
    {
        ComPtr<IDirect3DSurface9> backBuffer;
        if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.ReleaseAndGetAddressOf())))
            return {};
        return ReadRenderTarget(backBuffer.Get());
    }

    // The back buffer read once, for tests that look at many pixels (each
    // ReadPixel reads the whole buffer back from the device).
    struct PixelSnapshot {
        std::vector<uint32_t> pixels;
        UINT width = 0;
        UINT height = 0;
        // Colour (0x00RRGGBB) of pixel (x, y); 0xFFFFFFFF outside or unread.
        uint32_t At(UINT x, UINT y) const
        {
            if (x >= width || y >= height || pixels.size() != static_cast<size_t>(width) * height) return 0xFFFFFFFFu;
            return pixels[static_cast<size_t>(y) * width + x] & 0x00FFFFFFu;
        }
    };
    PixelSnapshot SnapshotPixels() { return PixelSnapshot{BackBufferPixels(), width_, height_}; }

    // Colour (0x00RRGGBB) of back-buffer pixel (x, y); 0xFFFFFFFF when it
    // cannot be read.
    uint32_t ReadPixel(UINT x, UINT y)
    {
        const std::vector<uint32_t> pixels = BackBufferPixels();
        if (x >= width_ || y >= height_ || pixels.size() != static_cast<size_t>(width_) * height_) return 0xFFFFFFFFu;
        return pixels[static_cast<size_t>(y) * width_ + x] & 0x00FFFFFFu;
    }

    // Reads level 0 of a 32-bit render-target surface back as pixels
    // (row-major, 0xAARRGGBB); empty on failure.
    std::vector<uint32_t> ReadRenderTarget(IDirect3DSurface9* surface)
    {
        std::vector<uint32_t> pixels;
        D3DSURFACE_DESC desc = {};
        if (!surface || FAILED(surface->GetDesc(&desc))) {
            return pixels;
        }
        ComPtr<IDirect3DSurface9> copy;
        if (FAILED(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                        copy.ReleaseAndGetAddressOf(), nullptr))) {
            return pixels;
        }
        D3DLOCKED_RECT locked = {};
        if (SUCCEEDED(device_->GetRenderTargetData(surface, copy.Get())) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                    static_cast<size_t>(y) * locked.Pitch);
                std::copy(row, row + desc.Width, pixels.begin() + static_cast<size_t>(y) * desc.Width);
            }
            copy->UnlockRect();
        }
        return pixels;
    }

    // A managed A8R8G8B8 texture of w x h whose texel (x, y) is
    // colour(x, y) (0xAARRGGBB); null when it cannot be made.
    ComPtr<IDirect3DTexture9> MakeTexture(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& colour)
    {
        ComPtr<IDirect3DTexture9> texture;
        if (FAILED(device_->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.ReleaseAndGetAddressOf(),
                                          nullptr)))
            return {};
        D3DLOCKED_RECT rect = {};
        if (FAILED(texture->LockRect(0, &rect, nullptr, 0))) return {};
        for (UINT y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(rect.pBits) + static_cast<size_t>(y) * rect.Pitch);
            for (UINT x = 0; x < w; ++x) row[x] = colour(x, y);
        }
        texture->UnlockRect(0);
        return texture;
    }

private:
    UINT width_ = kBackBufferSize;
    UINT height_ = kBackBufferSize;
    HWND window_ = nullptr;
    ComPtr<IDirect3D9> d3d_;
    ComPtr<IDirect3DDevice9> device_;
    D3DPRESENT_PARAMETERS params_ = {};
};
