// Image-filter brushes: scene items that alter the slide's picture inside a
// painted mask by drawing through an HLSL effect, and the one runtime object
// that drives every brush kind.
//
// Contract for brush kinds (derive from DS_FX_Constructor, DS_DirectionBased
// or DS_CentralBased):
// - The constructor sets the kind's defaults (speed, scale, effect link).
// - Clone returns a new object made by the kind's copy constructor; the
//   copy constructor copies every field, including computed ones.
// - Init (runtime clone only) calls the base Init; kinds with a grid call
//   BuildGrid, then BuildGeometry, after it.
// - Update calls DS_FX_Constructor::Update (the brush clock) first.
// - Render sets the kind's parameters with the Set* helpers below and draws
//   with RenderCommon, RenderMesh, DrawGrid or DrawPictureQuad (a draw
//   made through the service directly goes through NoteDraw). A brush
//   without an effect (HasEffect false: no library, no stored copy) draws
//   nothing; the helpers then do nothing, so a kind's Render may return at
//   once: RenderKeepingScene keeps the picture for a flagged brush that
//   drew nothing.
// - Write writes the kind's record (WriteBody of its level): header, the
//   kind's fields, then the base level's WriteBody. The registry reader calls
//   ReadFields(ar, version) of the kind, which reads the kind's fields and
//   then the base level's ReadBody; false (archive failed) on short data.
// - Effect parameter and technique names are the effects' own; a name the
//   effect lacks is not an error.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <initializer_list>

#include "engine/params/MediaParam.h"
#include "engine/params/MediaQuad.h"
#include "engine/params/UINTSclaleTo.h"
#include "engine/render/Mesh.h"
#include "engine/resources/ComPtr.h"
#include "engine/resources/DocResManager.h"
#include "engine/resources/FileLink.h"
#include "engine/scene/ABObj.h"
#include "engine/scene/ABRender.h"

// The brush's own grid: PT vertices with a grid index buffer, drawn as a
// triangle list. Copies share the buffers.
class BrushGridMesh : public DS_IndexedMesh<PT> {
public:
    // Holds buffer (one reference) as the index buffer of triangleCount
    // triangles; the mesh becomes a triangle list.
    void AttachIndices(IDirect3DIndexBuffer9* buffer, UINT triangleCount);
};

class DS_FX_Constructor : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_FX_Constructor";
    static constexpr int32_t kVersion = 3;
    // Stored versions that added the scale (2) and the quad and extra int (3).
    static constexpr uint32_t kScaleVersion = 2;
    static constexpr uint32_t kQuadVersion = 3;
    static constexpr int32_t kObjectKind = 4;
    // Side of the mask copy stored when the brush is written.
    static constexpr uint32_t kMaskCopySize = 512;
    // The default effects live in this module, numbered by their RCDATA id.
    static constexpr const wchar_t* kEffectModule = L"common_res.dll";

    // A slot of the resource store's mask-texture map.
    using MaskEntry = ComPtr<IDirect3DTexture9>;

    // Base defaults: speed 0 (scale 1), scale 50 (s = 1.0), no effect, a
    // fresh mask GUID with an empty name and flag 1.
    DS_FX_Constructor();
    // Copies every parameter (with the clock), the mask key, the grid mesh
    // (shared buffers) and grid size, and takes references on the mask
    // texture and the effect.
    DS_FX_Constructor(const DS_FX_Constructor& other);
    // Copies every base setting from other (used by lights that hold a
    // brush member): listeners of the target's parameters are notified.
    DS_FX_Constructor& operator=(const DS_FX_Constructor& other);
    ~DS_FX_Constructor() override;

    // 2. The base record alone; kinds write their own record.
    void Write(DS_IOF_Archive* ar) override;
    // 6. A new DS_BrushObj around Clone().
    DS_ABObj* CreateObject() override;
    // 7. Releases the mask texture; a fresh GUID, empty name, flag 1.
    void NewGuid() override;
    // 13. The effect from the current resource manager (null without one or
    // when the effect cannot be made), then SetMask(mask).
    virtual void Init(MaskEntry& mask);
    // 14. The quad into the grid mesh (after BuildGrid).
    virtual void BuildGeometry();
    // 15.
    virtual const MaskEntry& GetMask() const { return mask_; }
    // 16. Advances the brush clock to local time t.
    virtual void Update(float t);
    // 17. Sets the kind's parameters and draws through service.
    virtual void Render(DS_ABRender* service) = 0;
    // 18. Holds the entry's texture (nothing happens when it is held already).
    virtual void SetMask(MaskEntry& mask);
    // 19. A new object made by the kind's copy constructor; the caller owns it.
    virtual DS_FX_Constructor* Clone() const = 0;

    // Render, as the runtime object draws the brush. A flagged brush is
    // handed a target of its own that starts black (or the back buffer,
    // whose content is undefined) and must cover it: when its Render drew
    // nothing (no effect, nothing to show, a failed draw) the scene is
    // copied into the target, so the picture stays as it was.
    void RenderKeepingScene(DS_ABRender* service);
    // Technique "MainFX" (flag set) or "Main", "Scale" (a / s, 1 / s),
    // "Mask", "Background", then the picture quad with the effect.
    void RenderCommon(DS_ABRender* service);
    // Technique by the flag; the grid (flag 0) or the picture quad.
    void RenderMesh(DS_ABRender* service);
    // "Scale" (a / s, 1 / s, s / a, s), "Mask", "Background", technique.
    void SetCommonParams(DS_ABRender* service);
    // (columns + 1) x (rows + 1) vertices, two triangles a cell. Failures
    // (no device, a grid too large for 16-bit indices) leave no grid.
    HRESULT BuildGrid(UINT columns, UINT rows);
    // The grid with the effect's current technique, placed on the picture.
    HRESULT DrawGrid(DS_ABRender* service);

    // The "DS_FX_Constructor" record: header, then WriteFields.
    void WriteBody(DS_IOF_Archive* ar);
    // Stores a 512 x 512 copy of the mask under the mask key, then the
    // fields and the DS_ABObj_Constructor record.
    void WriteFields(DS_IOF_Archive* ar);
    // Header (version), then ReadFields. False when the data ran out.
    bool ReadBody(DS_IOF_Archive* ar);
    // Fields of the given version (above 3 read as 3), then the
    // DS_ABObj_Constructor record.
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Wv and Hv: the ViewMetrics picture width and height; 0 (no picture
    // yet) counts as 1 so that what is divided by them stays finite.
    static float ViewWidth();
    static float ViewHeight();
    // The opacity of the brush's own time line (0 to 1).
    float Fade() const;
    // The brush clock.
    float Clock() const { return speed.GetLocalTime(); }
    bool HasEffect() const { return effect_.Get() != nullptr; }
    ID3DXEffect* Effect() const { return effect_.Get(); }
    const BrushGridMesh& Grid() const { return grid_; }
    UINT GridColumns() const { return gridColumns_; }
    UINT GridRows() const { return gridRows_; }

    MediaSpeedParam speed;
    MediaParamT<int> fullScreen;
    DS_HLSLEffectFile effectLink;
    UINTSclaleTo<float> scale;
    MediaQuad quad;
    MediaParamTB<int> extraInt;
    GuidResourceKey maskKey;

protected:
    // Effect calls that do nothing without an effect. Their results are
    // dropped on purpose: a parameter the effect does not declare is not a
    // fault, the effect simply has no use for it.
    void SetTechnique(const char* name) const;
    void SetFloat(const char* name, float value) const;
    void SetFloats(const char* name, std::initializer_list<float> values) const;
    void SetTexture(const char* name, IDirect3DBaseTexture9* texture) const;
    // Red, green and blue bytes of a 0x00BBGGRR colour, each / 255.
    void SetColor(const char* name, unsigned long color) const;
    // The grid (after BuildGrid) filled from the quad's corners with the
    // given texture coordinates, one pair per corner.
    void FillGridFromQuad(const float (&uv)[MediaQuad::kCornerCount][2]);
    // "Mask" and "Background" (the service's scene texture).
    void SetMaskAndBackground(DS_ABRender* service) const;
    // Records that hr, the result of a draw, put something into the target
    // (see RenderKeepingScene); returns hr.
    HRESULT NoteDraw(HRESULT hr);
    // The picture quad with the effect's current technique.
    HRESULT DrawPictureQuad(DS_ABRender* service);
    // Draws the service's scene texture over the whole picture, unblended,
    // with the fixed-function pipeline: for a brush that has a render
    // target of its own but draws only part of it.
    HRESULT CopySceneToTarget(DS_ABRender* service) const;
    // Picture width / height of the render service (1 when either is 0).
    static float PictureAspect(const DS_ABRender* service);
    // Copies value, scale and offset of a scaled parameter, the listeners
    // notified (the lights' brush members are assigned this way).
    static void CopyScaled(UINTSclaleTo<float>& target, const UINTSclaleTo<float>& source);
    // PicW and PicH: the picture layer's own size, or the view metrics for a
    // service that is not a picture layer.
    static void PictureSize(const DS_ABRender* service, float& width, float& height);

    MaskEntry mask_;
    ComPtr<ID3DXEffect> effect_;
    BrushGridMesh grid_;
    UINT gridColumns_ = 0;
    UINT gridRows_ = 0;
    // Whether the current RenderKeepingScene has drawn anything.
    bool drew_ = false;
};

// The runtime object of every brush: owns the brush clone, finds its mask
// texture and forwards Render and Update to it.
class DS_BrushObj : public DS_ABObj {
public:
    // Takes ownership of brush; looks up (or adds) the mask entry under its
    // mask key in the current resource store and calls brush->Init with it.
    explicit DS_BrushObj(DS_FX_Constructor* brush);

    // The brush's RenderKeepingScene.
    void Render(DS_ABRender* service) override;
    void ForwardInt(int32_t a, int32_t b) override;
    void Relayout() override {}
    // The full-screen flag is set and the object is enabled.
    bool NeedsSceneTexture() const override;
    int32_t Kind() const override { return DS_FX_Constructor::kObjectKind; }
    void Update(float localTime) override;

    DS_FX_Constructor* Brush() const { return brush_; }

private:
    DS_FX_Constructor* brush_;  // the owner item, owned by DS_ABObj
};
