// Sets device states for a draw, keeping the first failure. States are only
// ever set, never read back: pure devices refuse the Get* calls.
#pragma once

#include <d3d9.h>

#include <cstring>

class StateWriter {
public:
    explicit StateWriter(IDirect3DDevice9* device) : device_(device) {}

    void Render(D3DRENDERSTATETYPE state, DWORD value) { Keep(device_->SetRenderState(state, value)); }
    void Stage(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value)
    {
        Keep(device_->SetTextureStageState(stage, state, value));
    }
    // Float stage states (bump-matrix entries) travel as their bits.
    void StageFloat(DWORD stage, D3DTEXTURESTAGESTATETYPE state, float value)
    {
        DWORD bits = 0;
        static_assert(sizeof(bits) == sizeof(value), "a float stage state is one DWORD");
        std::memcpy(&bits, &value, sizeof(bits));
        Stage(stage, state, bits);
    }
    void Sampler(DWORD sampler, D3DSAMPLERSTATETYPE state, DWORD value)
    {
        Keep(device_->SetSamplerState(sampler, state, value));
    }
    void Texture(DWORD stage, IDirect3DBaseTexture9* texture) { Keep(device_->SetTexture(stage, texture)); }
    void Keep(HRESULT hr)
    {
        if (SUCCEEDED(result_) && FAILED(hr)) result_ = hr;
    }
    HRESULT Result() const { return result_; }

private:
    IDirect3DDevice9* device_;
    HRESULT result_ = S_OK;
};
