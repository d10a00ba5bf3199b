// One sprite of a sprite system: where it is, how it moves, its quad's axes
// and extents, its texture rectangle, its own pulsing opacity and the state
// the edge behaviour keeps. The sprite geometry owns the instances; the
// item's kind moves them.
#pragma once

#include <d3dx9math.h>

#include <cstdint>

class DS_BaseSpriteProp;
class DS_ViewObjCtrl;

struct SpriteInstance {
    // Sides of the view rectangle (captured side, edge controls).
    static constexpr int32_t kNoSide = -1;
    static constexpr int32_t kTop = 0, kBottom = 1, kLeft = 2, kRight = 3;
    // Where a new sprite stands until its kind places it.
    static constexpr float kStartPosition = 100.0f;

    D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};  // multipliers of a kind's base motion
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};   // picture pixels per second
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};   // centre, picture pixels
    float scale = 1.0f;
    D3DXMATRIX rotationStep{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // set by the kinds that turn their sprites
    float vStart = 0.0f, vEnd = 1.0f;  // vertical texture range, along the second axis
    float uStart = 0.0f, uEnd = 1.0f;  // horizontal texture range, along the first axis
    float halfWidth = 0.0f;   // negative mirrors the picture left to right
    float halfHeight = 0.0f;
    float aspect = 1.0f;      // height / width of the picture (one frame of a sheet)
    D3DXVECTOR3 firstAxis{1.0f, 0.0f, 0.0f};
    D3DXVECTOR3 secondAxis{0.0f, 1.0f, 0.0f};
    float alpha = 1.0f;
    float firstTimer = 0.0f;
    float secondTimer = 0.0f;
    int32_t capturedSide = kNoSide;
    int32_t fadingIn = 0;
    float pauseEnd = 0.0f;
    float pauseClock = 0.0f;
    uint8_t paused = 0;
    uint32_t packedColor = 0;  // ARGB before the item's ModulateAlpha
    float pulseSpeed = 0.0f;

    // Direction factors, velocity and position to 0.
    void ClearMotion();
    // A new sprite: motion cleared, the aspect of the item's picture (of
    // one frame of a sheet), axes along x and y, position (100, 100), a
    // scale drawn between the item's bounds (one draw), half extents from
    // the item's size, the whole texture.
    void Init(DS_BaseSpriteProp& item);
    // Timers, pause and capture cleared, alpha 1, the item's pulse speed
    // negated when the next draw is odd (one draw), then PackColor.
    void InitPulse(DS_BaseSpriteProp& item);
    void ResetTimers();
    // c = scale x size / 2 along the longer side of the picture; the other
    // side follows the aspect.
    void SetHalfExtents(float size);
    // position - half width x first axis - half height x second axis.
    D3DXVECTOR3 GetCorner() const;
    // Alpha moves by the item's speed step x pulse speed and turns back at
    // the item's bounds; below the minimum the kind's InitSprite places the
    // sprite anew first when replace is set.
    void UpdatePulse(DS_BaseSpriteProp& item, bool replace);
    // trunc(transparency alpha x alpha) << 24 with the item's colour.
    void PackColor(const DS_BaseSpriteProp& item);

    // Against the item's view rectangle at the current picture size. The
    // outside tests use the absolute half extents, the crossing tests the
    // signed ones.
    bool OutsideLeft(const DS_ViewObjCtrl& item) const;
    bool OutsideRight(const DS_ViewObjCtrl& item) const;
    bool OutsideTop(const DS_ViewObjCtrl& item) const;
    bool OutsideBottom(const DS_ViewObjCtrl& item) const;
    bool CrossesLeft(const DS_ViewObjCtrl& item) const;
    bool CrossesRight(const DS_ViewObjCtrl& item) const;
    bool CrossesTop(const DS_ViewObjCtrl& item) const;
    bool CrossesBottom(const DS_ViewObjCtrl& item) const;
};
