// The heat-haze pass of the flame light: the finished scene drawn once more
// over the picture rectangle through a distortion effect whose map scrolls
// with its own clock. It is not a record of its own: the flame light stores
// its settings.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "engine/params/UINTSclaleTo.h"
#include "engine/render/Mesh.h"
#include "engine/resources/ComPtr.h"
#include "engine/resources/FileLink.h"

class DS_BumpDistortion {
public:
    static constexpr const wchar_t* kModule = L"common_res.dll";
    static constexpr int32_t kDefaultBumpId = 62;
    static constexpr int32_t kDefaultEffectId = 63;
    // The effect's "stenght" is the strength's derived value times this.
    static constexpr float kStrengthFactor = 0.05f;

    DS_BumpDistortion();
    DS_BumpDistortion(const DS_BumpDistortion&) = delete;
    DS_BumpDistortion& operator=(const DS_BumpDistortion&) = delete;

    // The quad over an 800 x 600 rectangle until the first Resize, the
    // current frame of the bump picture (the texture held before is
    // released) and the effect. True when there is an effect.
    bool RestoreDeviceObjects();
    // The quad over (0, 0) to (width, height); aspect = height / width (1
    // for a width of 0, so that the map scale stays finite).
    void Resize(float width, float height);
    // Nothing without an effect. Advances the clock to application time t,
    // then sets "stenght", "Offset" (c, -c) from the clock c and
    // "bump_scale" (s, s x aspect).
    void Update(float t);
    // Nothing without an effect or without a quad. The scene texture through
    // "BumpmapDistortLow2" on the quad, without a vertex shader; the caller
    // sets the world transform.
    void Draw(IDirect3DTexture9* scene);

    float Aspect() const { return aspect_; }
    ID3DXEffect* Effect() const { return effect_.Get(); }
    IDirect3DTexture9* BumpTexture() const { return bumpTexture_.Get(); }
    const DS_SimpleMesh<PT>& Quad() const { return quad_; }

    DS_ImageFileLink bumpImage;
    DS_HLSLEffectFile effectLink;
    MediaSpeedParam speed{50, 0.001f, 0.0f};
    UINTSclaleTo<float> strength{25, 0.002f, 0.0f};
    UINTSclaleTo<float> bumpScale{88, -0.009f, 1.0f};

private:
    DS_SimpleMesh<PT> quad_;
    ComPtr<ID3DXEffect> effect_;
    ComPtr<IDirect3DTexture9> bumpTexture_;
    float aspect_ = 1.0f;
};
