// Sets device states for a draw, keeping the first failure. States are only
// ever set, never read back: pure devices refuse the Get* calls.
#pragma once

#include <d3d9.h>

class StateWriter {
public:
    explicit StateWriter(IDirect3DDevice9* device) : device_(device) {}

    void Render(D3DRENDERSTATETYPE state, DWORD value) { Keep(device_->SetRenderState(state, value)); }
    void Stage(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value)
    {
        Keep(device_->SetTextureStageState(stage, state, value));
    }
    void Sampler(DWORD sampler, D3DSAMPLERSTATETYPE state, DWORD value)
    {
        Keep(device_->SetSamplerState(sampler, state, value));
    }
    void Texture(DWORD stage, IDirect3DTexture9* texture) { Keep(device_->SetTexture(stage, texture)); }
    void Keep(HRESULT hr)
    {
        if (SUCCEEDED(result_) && FAILED(hr)) result_ = hr;
    }
    HRESULT Result() const { return result_; }

private:
    IDirect3DDevice9* device_;
    HRESULT result_ = S_OK;
};
