// Painted particle brushes: particle generators whose particles are points
// the author painted onto the picture, each drawn as one sprite.
// DS_AirBrush is the abstract level (sprite size and the painted points);
// DS_Bling shows glints that grow, shrink and turn in cycles, drawn as two
// joined layers; DS_CustomAirBrush shows a picture sequence of its own at
// every point; DS_TwinklingStars shows stars whose size flickers.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/particles/TexParticleGenerator.h"

class DS_AirBrush : public DS_TexParticleGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_AirBrush";
    static constexpr int32_t kVersion = 1;

    DS_AirBrush() = default;
    // Every parameter and the points with their processes; the aspect too.
    DS_AirBrush(const DS_AirBrush& other);

    // Draws buffer 0 with picture 0 through the blend-mask layer.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // Nothing moves at this level: the points are the painted ones.
    void Update(float t, DS_ParticlesObj* object) override {}
    // The textured level's InitObject, one geometry buffer, the private
    // target when there is an effect, and the sprites.
    void InitObject(DS_ParticlesObj* object) override;

    // The painting operation of the authoring side (the player's points come
    // from the document): a point without processes, then the sprites.
    virtual void AddStrokePoint(const D3DXVECTOR3& point);

    // Buffer 0 gets one sprite per point: width size x the point's size
    // channel, height that times the aspect, the colour parameter with its
    // alpha times the point's alpha channel. Nothing without a particles
    // object or when the buffer cannot be locked.
    void RebuildSprites();

    // Header "DS_AirBrush" version 1, size, points, the textured level's
    // record. Reading refuses a count the data cannot hold (see
    // ReadPParticleList).
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);

    MediaParamT<unsigned> size;
    // Sprite height / width; not stored (the custom brush takes its picture's).
    float aspect = 1.0f;
    std::vector<PParticle> points;
};

class DS_Bling : public DS_AirBrush {
public:
    static constexpr const wchar_t* kClassName = L"DS_Bling";
    static constexpr int32_t kVersion = 2;
    // Version 1 records lack the rotation speed and the minimum size.
    static constexpr int32_t kRotationVersion = 2;
    // Pre-ageing of a new glint: this many equal steps that together cover
    // one random share of its cycle.
    static constexpr int kPreAgeSteps = 10;

    DS_Bling();
    DS_Bling(const DS_Bling& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    void Update(float t, DS_ParticlesObj* object) override;
    // Two buffers, the private target, then a fresh cycle at a random phase
    // for every point (one draw each, in list order).
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_Bling(*this); }
    void AddStrokePoint(const D3DXVECTOR3& point) override;

    // Gives p a fresh cycle: life 0, size 0, a life clock over the cycle and
    // the size rising to 1 over the grow time and falling back over the
    // shrink time. Returns the cycle length in seconds. With grow time 0 the
    // size starts at 1 and only falls; with grow and shrink time both 0 the
    // glint has no processes and stays at full size for ever.
    float StartGlint(PParticle& p) const;
    // StartGlint, then one draw r and ten steps of r / 32767 x cycle / 10.
    void StartGlintAtRandomPhase(PParticle& p) const;

    // The side of point p's sprite: size x (m + (1 - m) x its size channel)
    // with m the minimum size.
    float GlintSide(const PParticle& p) const;

    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    MediaSpeedParam speed{0u, 0.02f, 0.0f};
    TimeParam growTime;
    TimeParam shrinkTime;
    // Its local clock is the turn of every glint in radians.
    MediaSpeedParam rotationSpeed{0u, 0.02f, 0.0f};
    UINTSclaleTo<float> minimumSize{0u, 0.01f, 0.0f};
};

class DS_CustomAirBrush : public DS_AirBrush {
public:
    static constexpr const wchar_t* kClassName = L"DS_CustomAirBrush";
    static constexpr int32_t kVersion = 1;

    DS_CustomAirBrush() = default;
    DS_CustomAirBrush(const DS_CustomAirBrush& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    // The blend-mask layer with the current frame of its own sequence.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // Steps the sequence by the frame-speed clock; the sprites stay (they
    // are written again only after a device reset released their buffer).
    void Update(float t, DS_ParticlesObj* object) override;
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_CustomAirBrush(*this); }

    // frames := a copy of the current manager's set for the picture link,
    // aspect := its aspect, then the sprites.
    void LoadFrames();

    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    DS_ImageFileLink pictureLink;
    MediaSpeedParam frameSpeed{0u, 0.01f, 0.0f};
    TextureFrames frames;
};

class DS_TwinklingStars : public DS_AirBrush {
public:
    static constexpr const wchar_t* kClassName = L"DS_TwinklingStars";
    static constexpr int32_t kVersion = 1;

    DS_TwinklingStars() = default;
    DS_TwinklingStars(const DS_TwinklingStars& other) = default;

    void Write(DS_IOF_Archive* ar) override;
    // Advances every point's processes by the speed's step and rebuilds
    // the sprites.
    void Update(float t, DS_ParticlesObj* object) override;
    // The base InitObject; then every point read from the document gets what
    // a painted point gets (random size and alpha, a twinkle), in list
    // order, so that it twinkles.
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_TwinklingStars(*this); }
    void AddStrokePoint(const D3DXVECTOR3& point) override;

    // Two draws: size := 0.5 to 1, then alpha := 0.5 to 1; a PTwinkle on the
    // size channel with that size as its base.
    static void MakeTwinkling(PParticle& p);

    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Speed factor 1 + value / 100.
    MediaSpeedParam speed{0u, 0.01f, 1.0f};
};
