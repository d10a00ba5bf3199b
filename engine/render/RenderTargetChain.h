// Two render-target textures of one size used in turn: one is current
// (drawn into), the other keeps what was drawn before the last Flip. Begin
// and End redirect the device's render target into a chain and back.
//
// The textures live in the default pool: the owner calls OnLostDevice before
// the device is reset and OnResetDevice afterwards. Until a Resize with a
// non-zero size succeeds the chain has no textures and IsReady is false; such
// a chain is never made a render target.
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "engine/resources/ComPtr.h"

class RenderTargetChain {
public:
    // The chain works on device (a reference is kept for its lifetime).
    explicit RenderTargetChain(IDirect3DDevice9* device);
    RenderTargetChain(const RenderTargetChain&) = delete;
    RenderTargetChain& operator=(const RenderTargetChain&) = delete;

    // Stores the size and makes both textures anew at w x h; the size becomes
    // what the device made (it may round). A zero size, or a creation the
    // device refuses, leaves the chain without textures (the requested size is
    // kept, so OnResetDevice tries again).
    HRESULT Resize(uint32_t w, uint32_t h);
    // Releases the current reference and both textures; size and index stay.
    void ReleaseTextures();
    // Resize, then copy level 0 of source (when not null) into the current
    // texture with triangle filtering.
    HRESULT CopyFrom(IDirect3DTexture9* source, uint32_t w, uint32_t h);
    // Makes the other texture current, sets it as render target 0 and clears
    // it to opaque black. Returns the texture that was current before (what
    // was drawn so far); null when the chain has no textures, in which case
    // the device is left alone.
    IDirect3DTexture9* Flip();
    // Saves the device's render target 0 and depth-stencil surface, then
    // makes level 0 of source's current texture render target 0 with no
    // depth-stencil surface. A chain may begin on itself. Returns false (and
    // changes nothing on the device) when source has no current texture.
    bool Begin(RenderTargetChain& source);
    // Gives the saved render target and depth-stencil surface back to the
    // device and releases them. Does nothing when nothing is saved.
    void End();

    // Before a device reset: releases the textures and any surfaces saved by
    // a Begin without End (they would keep the device from resetting).
    void OnLostDevice();
    // After a device reset: makes the textures again at the last size.
    HRESULT OnResetDevice();

    bool IsReady() const { return static_cast<bool>(current_); }
    IDirect3DTexture9* Current() const { return current_.Get(); }
    IDirect3DTexture9* Texture(int i) const { return textures_[i & 1].Get(); }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    int32_t Index() const { return index_; }

private:
    ComPtr<IDirect3DDevice9> device_;
    ComPtr<IDirect3DTexture9> current_;
    ComPtr<IDirect3DTexture9> textures_[2];
    ComPtr<IDirect3DSurface9> savedTarget_;
    ComPtr<IDirect3DSurface9> savedDepth_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    int32_t index_ = 0;
};
