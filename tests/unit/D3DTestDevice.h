// A test fixture with a real Direct3D 9 device: windowed, on a hidden
// window, 256 x 256 X8R8G8B8 back buffer with a D24S8 depth buffer. Needs an
// X display under Wine (./test.sh starts one). Derive a fixture from it, or
// use it directly with TEST_F(D3DTestDevice, ...).
#pragma once

#include "unit/QuickTestExit.h"

#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class D3DTestDevice : public ::testing::Test {
public:
    // The folder of the test program, with a trailing backslash.
    static std::wstring ProgramDirectory()
    {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path, length);
        return folder.substr(0, folder.find_last_of(L"\\/") + 1);
    }

protected:
    static constexpr UINT kBackBufferSize = 256;

    void SetUp() override
    {
        InstallQuickTestExit();
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvallineD3DTestWindow";
        RegisterClassW(&windowClass);  // fails harmlessly when already registered
        window_ = CreateWindowW(windowClass.lpszClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, kBackBufferSize,
                                kBackBufferSize, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr) << "Direct3DCreate9 failed: is an X display running?";
        params_.Windowed = TRUE;
        params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params_.BackBufferWidth = kBackBufferSize;
        params_.BackBufferHeight = kBackBufferSize;
        params_.BackBufferFormat = D3DFMT_X8R8G8B8;
        params_.EnableAutoDepthStencil = TRUE;
        params_.AutoDepthStencilFormat = D3DFMT_D24S8;
        params_.hDeviceWindow = window_;
        params_.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        const HRESULT hr =
            d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, &params_, &device_);
        ASSERT_EQ(hr, D3D_OK) << "CreateDevice failed";
    }

    void TearDown() override
    {
        if (device_) {
            device_->Release();
        }
        if (d3d_) {
            d3d_->Release();
        }
        if (window_) {
            DestroyWindow(window_);
        }
    }

    IDirect3DDevice9* Device() const { return device_; }

    // Resets the device with the parameters it was made with. Every
    // default-pool resource must have been released before.
    HRESULT ResetDevice()
    {
        D3DPRESENT_PARAMETERS params = params_;
        return device_->Reset(&params);
    }

    // The back buffer's pixels (empty when it cannot be read).
    std::vector<uint32_t> BackBufferPixels()
    {
        IDirect3DSurface9* backBuffer = nullptr;
        if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return {};
        std::vector<uint32_t> pixels = ReadRenderTarget(backBuffer);
        backBuffer->Release();
        return pixels;
    }

    // Reads level 0 of a render-target surface back as 32-bit pixels
    // (row-major, 0xAARRGGBB); empty on failure.
    std::vector<uint32_t> ReadRenderTarget(IDirect3DSurface9* surface)
    {
        std::vector<uint32_t> pixels;
        D3DSURFACE_DESC desc = {};
        if (!surface || FAILED(surface->GetDesc(&desc))) {
            return pixels;
        }
        IDirect3DSurface9* copy = nullptr;
        if (FAILED(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                        nullptr))) {
            return pixels;
        }
        D3DLOCKED_RECT locked = {};
        if (SUCCEEDED(device_->GetRenderTargetData(surface, copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                    static_cast<size_t>(y) * locked.Pitch);
                std::copy(row, row + desc.Width, pixels.begin() + static_cast<size_t>(y) * desc.Width);
            }
            copy->UnlockRect();
        }
        copy->Release();
        return pixels;
    }

private:
    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    D3DPRESENT_PARAMETERS params_ = {};
};
