// A picture sequence that travels along a polyline: DS_PathGenerator is the
// generator level that owns the path points, DS_PathAnimtion (the stored
// class name is spelled so) moves one sprite of the sequence along them,
// to the last point, back to the first and so on, upright, turned along its
// motion or mirrored by its direction.
#pragma once

#include <d3dx9math.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objects/particles/TexParticleGenerator.h"

struct ParticleQuad;

struct PathPoint {
    PathPoint() = default;
    explicit PathPoint(const D3DXVECTOR3& at) { point.StoreValue(at); }
    PathPoint(const PathPoint& other) { point.StoreValue(other.point.GetValue()); }
    PathPoint& operator=(const PathPoint& other)
    {
        point.StoreValue(other.point.GetValue());
        return *this;
    }
    MediaParamT<D3DXVECTOR3> point;
};

class DS_PathGenerator : public DS_TexParticleGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_PathGenerator";
    static constexpr int32_t kVersion = 1;

    DS_PathGenerator() = default;
    DS_PathGenerator(const DS_PathGenerator& other) = default;

    // Header "DS_PathGenerator" version 1, the points (WritePathPoints), the
    // textured level's record. Reading ignores the stored name and version.
    void WriteBody(DS_IOF_Archive* ar);
    bool ReadBody(DS_IOF_Archive* ar);

    std::vector<PathPoint> path;
};

// A 32-bit point count, then x, y, z of each point.
void WritePathPoints(DS_IOF_Archive* ar, const std::vector<PathPoint>& path);
// Appends the stored points. A negative count fails the archive, one larger
// than the data fails at the first short point (nothing is allocated from
// the count itself), and points past kMaxParticles are read and dropped.
// Points are kept as stored, non-finite ones too: the path that holds them
// is not travelled (see DS_PathAnimtion::PathUsable).
bool ReadPathPoints(DS_IOF_Archive* ar, std::vector<PathPoint>& path);

// Where a sprite is on a path: the distance along the segment that starts
// at point `start`, and which way it goes.
struct PathCursor {
    float distance = 0.0f;
    const std::vector<PathPoint>* path = nullptr;
    size_t start = 0;
    uint8_t backward = 0;

    // The end of the current segment: the point after the start moving
    // forward, the one before it moving backward. The path has 2 points or
    // more.
    const D3DXVECTOR3& Target() const;
    const D3DXVECTOR3& Start() const { return (*path)[start].point.GetValue(); }
    // Passes the current segment: distance -= amount, and the start moves one
    // point on, turning at the last (moving forward) or first point.
    void NextSegment(float amount);
};

class DS_PathAnimtion : public DS_PathGenerator {
public:
    static constexpr const wchar_t* kClassName = L"DS_PathAnimtion";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kUpright = 0;
    static constexpr int32_t kAlongMotion = 1;
    static constexpr int32_t kMirrorUMovingLeft = 2;
    static constexpr int32_t kMirrorVMovingDown = 3;

    DS_PathAnimtion() = default;
    // Every parameter, the path, the clocks, the positions and the cursor
    // (which then refers to the copy's own path).
    DS_PathAnimtion(const DS_PathAnimtion& other);
    DS_PathAnimtion& operator=(const DS_PathAnimtion&) = delete;

    void Write(DS_IOF_Archive* ar) override;
    // The first point's sequence drawn plainly.
    void Render(DS_ABRender* service, DS_ParticlesObj* object) override;
    // The travel clock, then the first sequence steps forward with t, then
    // BuildQuad.
    void Update(float t, DS_ParticlesObj* object) override;
    // Positions at the first point, the textured level's InitObject, no
    // particles, one quad buffer, the cursor at the start going forward.
    void InitObject(DS_ParticlesObj* object) override;
    DS_ParticleGenerator* Clone() const override { return new DS_PathAnimtion(*this); }

    // At least two points, every one finite, and a finite total length: a
    // path that is not usable shows no sprite and never moves.
    bool PathUsable() const;
    // Sum of the segment lengths.
    float PathLength() const;

    // Moves the sprite by step pixels along the path: previous := current,
    // then current := the point step further on, turning at the ends as often
    // as the step asks. A step of a whole round trip or more is first
    // reduced modulo twice the path length (a round trip ends where it
    // began); a path of length 0 keeps the sprite on its first point; a
    // segment of length 0 is passed without dividing by its length.
    void Advance(float step);
    // Advance by the travel clock's last step, then buffer 0 gets the sprite
    // (none for a path that is not usable, a position that is not finite or
    // a first sequence without a picture).
    void BuildQuad(DS_ParticlesObj* object);
    // The sprite's quad at the current position by the orientation mode and
    // flips, in the particle colour. Orientation 1 without motion since the
    // last Advance keeps the direction it had.
    ParticleQuad SpriteQuad(float width, float height);

    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    // Its last scaled step is the distance of an update: value v moves 3 v
    // pixels a second.
    MediaSpeedParam travelSpeed{0u, 3.0f, 0.0f};
    UINTSclaleTo<float> spriteScale{0u, 0.01f, 0.0f};
    MediaParamT<int> orientationMode{0};
    MediaParamT<int> flipV{0};
    MediaParamT<int> flipU{0};
    D3DXVECTOR3 previousPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 currentPosition{0.0f, 0.0f, 0.0f};
    PathCursor cursor;

private:
    // The direction orientation 1 turns the sprite to; kept while the
    // sprite stands still.
    D3DXVECTOR3 direction_{1.0f, 0.0f, 0.0f};
};
