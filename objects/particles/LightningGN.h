// Lightning bolts: DS_StringGenerator is the generator level that carries two
// end points; DS_LightningGN builds a branching bolt between them at every
// fade-in (midpoint displacement, one corner-cutting pass, up to three levels
// of side branches) and draws it as a core ribbon and a glow ribbon through
// the two-layer render the fireworks use.
//
// The ribbon geometry (positions, UVs and joins) is computed once per bolt
// into kept quad lists; each frame only the colours change and the quads
// are copied into the object's buffers.
#pragma once

#include <d3dx9math.h>

#include <cstdint>
#include <vector>

#include "objects/particles/QuadFunctions.h"
#include "objects/particles/TexParticleGenerator.h"

// One node of a bolt polyline. children is the branch polyline that starts
// at this node (empty when none).
struct BoltNode {
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float width = 0.0f;
    float brightness = 0.0f;
    std::vector<BoltNode> children;

    // (node count - 1) plus the segments of every branch; 0 when empty.
    static unsigned CountSegments(const std::vector<BoltNode>& polyline);
    // 2 for every non-empty polyline, branches included.
    static unsigned CountNodes(const std::vector<BoltNode>& polyline);
};

// The plan of a branch while a bolt is built: the node it grows from (-1
// until chosen) and the branches that grow off it in turn.
struct BranchPlan {
    int anchor = -1;
    std::vector<BranchPlan> children;
};

class DS_StringGenerator : public DS_TexParticleGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_StringGenerator";
    static constexpr int32_t kVersion = 1;

    DS_StringGenerator() = default;
    DS_StringGenerator(const DS_StringGenerator& other) = default;

    // Header, start x, y, z, end x, y, z, then the textured level's record.
    void WriteBody(DS_IOF_Archive* ar);
    // Reads the header (name and version ignored) and the fields; false on
    // short data. A coordinate that is not finite reads as 0.
    bool ReadBody(DS_IOF_Archive* ar);

    MediaParamT<D3DXVECTOR3> startPoint{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};  // picture pixels
    MediaParamT<D3DXVECTOR3> endPoint{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};    // picture pixels
};

class DS_LightningGN : public DS_StringGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_LightningGN";
    static constexpr int32_t kVersion = 2;
    // Records below this version carry seven old durations (milliseconds).
    static constexpr int32_t kTimeLineVersion = 2;
    // More passes would need more quads than one buffer draws.
    static constexpr unsigned kMaxSubdivisions = 12;
    static constexpr unsigned kMaxBranches = 256;
    // Corner cutting moves each node to this share of its incoming segment.
    static constexpr float kCornerCut = 0.67f;

    DS_LightningGN();
    // Every parameter, the bolt, its kept quads and the state.
    DS_LightningGN(const DS_LightningGN& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Rewinds the time line and the last local time: the next visible cycle
    // builds a new bolt.
    void Restart() override;
    // Buffer 0 (core) and buffer 1 (glow) through the two-layer render.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // Builds a new bolt when the time line leaves the invisible phase, then
    // fills the buffers.
    void Update(float t, DS_ParticlesObj* object) override;
    // Textures and effect, a first bolt, the private target, two buffers.
    void InitObject(DS_ParticlesObj* object) override;
    // True whenever the two-layer render runs: its last pass redraws the
    // whole picture from the scene texture, whatever the blend mode.
    bool NeedsSceneTexture() const override { return CanCompose(); }
    DS_ParticleGenerator* Clone() const override { return new DS_LightningGN(*this); }

    // A new bolt: reseeds with the seed when random is 0, plans the branches
    // and builds the tree, then its ribbon quads.
    void Generate();
    // Fills polyline from a to b (see the class comment); branches are built
    // depth first as their anchors are reached. Builds no branch that would
    // take buffer 0 past its quad limit.
    void BuildBolt(const D3DXVECTOR3& a, const D3DXVECTOR3& b, std::vector<BoltNode>& polyline, int passes,
                   float widthScale, const std::vector<BranchPlan>& plans, float brightness);
    // The alpha factor of a node of brightness x for the time line's phase.
    float Brightness(float x) const;
    // Writes the kept quads with this frame's colours into buffers 0 and 1.
    void FillBuffers(DS_ParticlesObj* object);

    // The subdivisions and branch counts as the bolt uses them (clamped).
    unsigned Subdivisions() const;
    unsigned BranchCount(int level) const;

    const std::vector<BoltNode>& Bolt() const { return bolt_; }
    // The kept ribbon quads: positions and UVs final, colours set per frame.
    struct BoltQuad {
        ParticleQuad quad;
        float brightness = 0.0f;  // of the node whose colour the near corners take
        bool tip = false;         // far corners (2 and 3) fade to alpha 0
    };
    const std::vector<BoltQuad>& CoreQuads() const { return core_; }
    const std::vector<BoltQuad>& GlowQuads() const { return glow_; }

    MediaParamT<unsigned> coreWidth{0u};
    MediaParamT<unsigned> subdivisions{0u};
    UINTSclaleTo<float> displacement{0u, 0.004f, 0.0f};
    MediaParamT<unsigned> seed{0u};
    UINTSclaleTo<float> branchLength{0u, 0.01f, 0.0f};
    UINTSclaleTo<float> branchAngle{0u, 0.015707964f, 0.0f};
    UINTSclaleTo<float> taper{0u, -0.01f, 1.0f};
    MediaParamT<unsigned> level1Branches{0u};
    MediaParamT<unsigned> level2Branches{0u};
    MediaParamT<unsigned> level3Branches{0u};
    UINTSclaleTo<float> flicker{0u, 0.01f, 0.0f};
    MediaParamT<unsigned> glowWidth{0u};
    MediaParamT<int> random{0};
    float lastTime = 0.0f;
    bool built = false;

private:
    // What the time line gives the nodes this frame.
    struct FrameLight {
        int32_t phase = 0;
        float alpha = 1.0f;
        float visible = 1.0f;  // the flickered light of the visible phase
        // The light of a node of brightness x.
        float Of(float x) const;
    };
    FrameLight CurrentLight() const;
    // Quads one polyline of n nodes writes into buffer 0 at most.
    static unsigned PolylineQuads(size_t nodes);
    // The ribbon quads of polyline and its branches, appended to the kept
    // lists in drawing order; x0 is the texture offset at its first node.
    void BuildSegmentQuads(const std::vector<BoltNode>& polyline, float x0);
    // The texture's height / width (1 without a picture).
    float TextureRatio() const;

    std::vector<BoltNode> bolt_;
    std::vector<D3DXVECTOR3> points_;   // positions of the polyline being built
    std::vector<D3DXVECTOR3> scratch_;
    std::vector<BoltQuad> core_;
    std::vector<BoltQuad> glow_;
    unsigned plannedQuads_ = 0;  // buffer-0 quads of the polylines built so far
};
