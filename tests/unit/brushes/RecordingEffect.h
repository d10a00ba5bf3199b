// A stand-in effect for brush tests: records the technique, floats and
// textures that a brush sets by name, and at every Begin (one per draw) a
// snapshot of them. Begin reports one pass. Everything else the interface
// offers answers E_NOTIMPL (or null). Reference counted like a COM object;
// create it with new and hold it in a ComPtr after Attach.
#pragma once

#include <d3dx9.h>

#include <map>
#include <string>
#include <vector>

class RecordingEffect final : public ID3DXEffect {
public:
    struct State {
        std::string technique;
        std::map<std::string, std::vector<float>> floats;
        std::map<std::string, IDirect3DBaseTexture9*> textures;  // not held

        // The floats set under name (empty when none were set).
        std::vector<float> Floats(const std::string& name) const
        {
            const auto found = floats.find(name);
            return found == floats.end() ? std::vector<float>{} : found->second;
        }
        bool HasTexture(const std::string& name) const { return textures.count(name) != 0; }
        IDirect3DBaseTexture9* Texture(const std::string& name) const
        {
            const auto found = textures.find(name);
            return found == textures.end() ? nullptr : found->second;
        }
    };

    State current;
    std::vector<State> draws;  // one snapshot per Begin

    STDMETHOD(QueryInterface)(REFIID riid, void** out) override
    {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
    STDMETHOD_(ULONG, Release)() override
    {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHOD(SetTechnique)(D3DXHANDLE technique) override
    {
        current.technique = technique ? technique : "";
        return S_OK;
    }
    STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)() override { return current.technique.c_str(); }
    STDMETHOD(SetFloat)(D3DXHANDLE parameter, FLOAT f) override
    {
        current.floats[parameter] = {f};
        return S_OK;
    }
    STDMETHOD(SetFloatArray)(D3DXHANDLE parameter, const FLOAT* f, UINT count) override
    {
        current.floats[parameter] = std::vector<float>(f, f + count);
        return S_OK;
    }
    STDMETHOD(SetMatrix)(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override
    {
        current.floats[parameter] = std::vector<float>(&matrix->_11, &matrix->_11 + 16);
        return S_OK;
    }
    STDMETHOD(SetTexture)(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override
    {
        current.textures[parameter] = texture;
        return S_OK;
    }
    STDMETHOD(Begin)(UINT* passes, DWORD flags) override
    {
        draws.push_back(current);
        if (passes) *passes = 1;
        return S_OK;
    }
    STDMETHOD(BeginPass)(UINT pass) override { return S_OK; }
    STDMETHOD(EndPass)() override { return S_OK; }
    STDMETHOD(End)() override { return S_OK; }

    STDMETHOD(GetDesc)(D3DXEFFECT_DESC* desc) override { return E_NOTIMPL; }
    STDMETHOD(GetParameterDesc)(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override { return E_NOTIMPL; }
    STDMETHOD(GetTechniqueDesc)(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) override { return E_NOTIMPL; }
    STDMETHOD(GetPassDesc)(D3DXHANDLE pass, D3DXPASS_DESC* desc) override { return E_NOTIMPL; }
    STDMETHOD(GetFunctionDesc)(D3DXHANDLE shader, D3DXFUNCTION_DESC* desc) override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, GetParameter)(D3DXHANDLE parameter, UINT index) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetParameterByName)(D3DXHANDLE parameter, const char* name) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(D3DXHANDLE parameter, const char* semantic) override
    {
        return nullptr;
    }
    STDMETHOD_(D3DXHANDLE, GetParameterElement)(D3DXHANDLE parameter, UINT index) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetTechnique)(UINT index) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetTechniqueByName)(const char* name) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetPass)(D3DXHANDLE technique, UINT index) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetPassByName)(D3DXHANDLE technique, const char* name) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetFunction)(UINT index) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetFunctionByName)(const char* name) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetAnnotation)(D3DXHANDLE object, UINT index) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetAnnotationByName)(D3DXHANDLE object, const char* name) override { return nullptr; }
    STDMETHOD(SetValue)(D3DXHANDLE parameter, const void* data, UINT bytes) override { return E_NOTIMPL; }
    STDMETHOD(GetValue)(D3DXHANDLE parameter, void* data, UINT bytes) override { return E_NOTIMPL; }
    STDMETHOD(SetBool)(D3DXHANDLE parameter, WINBOOL b) override { return E_NOTIMPL; }
    STDMETHOD(GetBool)(D3DXHANDLE parameter, WINBOOL* b) override { return E_NOTIMPL; }
    STDMETHOD(SetBoolArray)(D3DXHANDLE parameter, const WINBOOL* b, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(GetBoolArray)(D3DXHANDLE parameter, WINBOOL* b, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(SetInt)(D3DXHANDLE parameter, INT n) override { return E_NOTIMPL; }
    STDMETHOD(GetInt)(D3DXHANDLE parameter, INT* n) override { return E_NOTIMPL; }
    STDMETHOD(SetIntArray)(D3DXHANDLE parameter, const INT* n, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(GetIntArray)(D3DXHANDLE parameter, INT* n, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(GetFloat)(D3DXHANDLE parameter, FLOAT* f) override { return E_NOTIMPL; }
    STDMETHOD(GetFloatArray)(D3DXHANDLE parameter, FLOAT* f, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(SetVector)(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override { return E_NOTIMPL; }
    STDMETHOD(GetVector)(D3DXHANDLE parameter, D3DXVECTOR4* vector) override { return E_NOTIMPL; }
    STDMETHOD(SetVectorArray)(D3DXHANDLE parameter, const D3DXVECTOR4* vector, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(GetVectorArray)(D3DXHANDLE parameter, D3DXVECTOR4* vector, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrix)(D3DXHANDLE parameter, D3DXMATRIX* matrix) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixArray)(D3DXHANDLE parameter, const D3DXMATRIX* matrix, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixArray)(D3DXHANDLE parameter, D3DXMATRIX* matrix, UINT count) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixPointerArray)(D3DXHANDLE parameter, const D3DXMATRIX** matrix, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(GetMatrixPointerArray)(D3DXHANDLE parameter, D3DXMATRIX** matrix, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(SetMatrixTranspose)(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixTranspose)(D3DXHANDLE parameter, D3DXMATRIX* matrix) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixTransposeArray)(D3DXHANDLE parameter, const D3DXMATRIX* matrix, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(GetMatrixTransposeArray)(D3DXHANDLE parameter, D3DXMATRIX* matrix, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(SetMatrixTransposePointerArray)(D3DXHANDLE parameter, const D3DXMATRIX** matrix, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(GetMatrixTransposePointerArray)(D3DXHANDLE parameter, D3DXMATRIX** matrix, UINT count) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(SetString)(D3DXHANDLE parameter, const char* string) override { return E_NOTIMPL; }
    STDMETHOD(GetString)(D3DXHANDLE parameter, const char** string) override { return E_NOTIMPL; }
    STDMETHOD(GetTexture)(D3DXHANDLE parameter, struct IDirect3DBaseTexture9** texture) override { return E_NOTIMPL; }
    STDMETHOD(GetPixelShader)(D3DXHANDLE parameter, struct IDirect3DPixelShader9** shader) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(GetVertexShader)(D3DXHANDLE parameter, struct IDirect3DVertexShader9** shader) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(SetArrayRange)(D3DXHANDLE parameter, UINT start, UINT end) override { return E_NOTIMPL; }
    STDMETHOD(GetPool)(ID3DXEffectPool** pool) override { return E_NOTIMPL; }
    STDMETHOD(ValidateTechnique)(D3DXHANDLE technique) override { return E_NOTIMPL; }
    STDMETHOD(FindNextValidTechnique)(D3DXHANDLE technique, D3DXHANDLE* next_technique) override { return E_NOTIMPL; }
    STDMETHOD_(WINBOOL, IsParameterUsed)(D3DXHANDLE parameter, D3DXHANDLE technique) override { return FALSE; }
    STDMETHOD(CommitChanges)() override { return E_NOTIMPL; }
    STDMETHOD(GetDevice)(struct IDirect3DDevice9** device) override { return E_NOTIMPL; }
    STDMETHOD(OnLostDevice)() override { return E_NOTIMPL; }
    STDMETHOD(OnResetDevice)() override { return E_NOTIMPL; }
    STDMETHOD(SetStateManager)(ID3DXEffectStateManager* manager) override { return E_NOTIMPL; }
    STDMETHOD(GetStateManager)(ID3DXEffectStateManager** manager) override { return E_NOTIMPL; }
    STDMETHOD(BeginParameterBlock)() override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, EndParameterBlock)() override { return nullptr; }
    STDMETHOD(ApplyParameterBlock)(D3DXHANDLE parameter_block) override { return E_NOTIMPL; }
    STDMETHOD(DeleteParameterBlock)(D3DXHANDLE parameter_block) override { return E_NOTIMPL; }
    STDMETHOD(CloneEffect)(struct IDirect3DDevice9* device, struct ID3DXEffect** effect) override { return E_NOTIMPL; }
    STDMETHOD(SetRawValue)(D3DXHANDLE parameter, const void* data, UINT byte_offset, UINT bytes) override
    {
        return E_NOTIMPL;
    }

private:
    ~RecordingEffect() = default;
    ULONG references_ = 1;
};
