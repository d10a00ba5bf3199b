// A windowed Direct3D 9 device on a hidden window, for tests that create
// buffers, set transforms or read pixels back. Needs an X display under
// Wine (test.sh and tools/session.sh start one).
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "engine/resources/ComPtr.h"
#include "unit/QuickTestExit.h"

class RenderTestDevice : public ::testing::Test {
protected:
    // Back-buffer size of the device; tests may change it before SetUp.
    UINT width_ = 600;
    UINT height_ = 400;

    void SetUp() override
    {
        InstallQuickTestExit();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RenderTestDeviceWindow";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        window_ = CreateWindowW(wc.lpszClassName, L"render test", WS_OVERLAPPEDWINDOW, 0, 0, static_cast<int>(width_),
                                static_cast<int>(height_), nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr) << "no Direct3D: is an X display running (tools/session.sh)?";
        D3DPRESENT_PARAMETERS pp = {};
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.BackBufferWidth = width_;
        pp.BackBufferHeight = height_;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.hDeviceWindow = window_;
        const HRESULT hr =
            d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                               device_.ReleaseAndGetAddressOf());
        ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    }

    void TearDown() override
    {
        device_.Reset();
        if (d3d_) d3d_->Release();
        if (window_) DestroyWindow(window_);
    }

    IDirect3DDevice9* Device() const { return device_.Get(); }

    // Colour (0x00RRGGBB) of back-buffer pixel (x, y); 0xFFFFFFFF on failure.
    uint32_t ReadPixel(UINT x, UINT y)
    {
        ComPtr<IDirect3DSurface9> back, copy;
        if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.ReleaseAndGetAddressOf())))
            return 0xFFFFFFFFu;
        if (FAILED(device_->CreateOffscreenPlainSurface(width_, height_, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                        copy.ReleaseAndGetAddressOf(), nullptr)))
            return 0xFFFFFFFFu;
        if (FAILED(device_->GetRenderTargetData(back.Get(), copy.Get()))) return 0xFFFFFFFFu;
        D3DLOCKED_RECT rect = {};
        if (FAILED(copy->LockRect(&rect, nullptr, D3DLOCK_READONLY))) return 0xFFFFFFFFu;
        const auto* row = static_cast<const uint8_t*>(rect.pBits) + y * rect.Pitch;
        const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x] & 0x00FFFFFFu;
        copy->UnlockRect();
        return pixel;
    }

private:
    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    ComPtr<IDirect3DDevice9> device_;
};
