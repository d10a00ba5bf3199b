// What happens to a moving sprite at one side of its item's view rectangle:
// it wraps to the opposite side with a fade-out, a pause and a fade-in
// (mode 0), bounces back (mode 1), or bounces back after a pause outside
// (mode 2). A control that acts on a sprite captures it (the sprite's
// captured side names the control) and alone handles it until it lets go.
#pragma once

#include <cstdint>

#include "engine/archive/IOF_Item.h"
#include "engine/params/MediaParam.h"

class DS_ViewObjCtrl;
struct SpriteInstance;

class DS_BoundControl : public DS_IOF_Item {
public:
    static constexpr const wchar_t* kClassName = L"DS_BoundControl";
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kWrap = 0, kReflect = 1, kReflectAfterPause = 2;

    // An edge test of one side, run against the item it was bound to.
    using EdgeTest = bool (SpriteInstance::*)(const DS_ViewObjCtrl&) const;

    DS_BoundControl() = default;
    DS_BoundControl(const DS_BoundControl&) = delete;
    // Copies the side, the bound tests, the mode and the four times (the
    // parameters tell their listeners).
    DS_BoundControl& operator=(const DS_BoundControl& other);
    ~DS_BoundControl() override = default;

    // 2. The "DS_BoundControl" record.
    void Write(DS_IOF_Archive* ar) override;

    // Binds control's outside and crossing tests of side to item (the
    // caller sets the control's side first). Any side other than 1, 2 and 3
    // binds the top tests.
    static void BindSide(int32_t side, const DS_ViewObjCtrl* item, DS_BoundControl& control);

    // Handles sprite for this side on one update; true when the control
    // dealt with it (the caller then asks no further side). A control whose
    // side is not 0 to 3, or whose mode is not 0 to 2, never acts on a free
    // sprite. Random draws: mode 0 draws the pause when the fade-out ends
    // and the new coordinate when the sprite is moved across; mode 2 draws
    // the pause when the sprite is turned back.
    bool Apply(const DS_ViewObjCtrl& item, SpriteInstance& sprite) const;

    // Header, then WriteFields (version 1).
    void WriteBody(DS_IOF_Archive* ar) const;
    void WriteFields(DS_IOF_Archive* ar) const;
    // Header, then ReadFields: the five values whatever the version, each
    // through its setter. False (archive failed) when the record runs short.
    bool ReadBody(DS_IOF_Archive* ar);
    bool ReadFields(DS_IOF_Archive* ar, int32_t version);

    int32_t side = -1;
    MediaParamT<int> mode{kWrap};
    MediaParamT<unsigned> fadeOutTime;  // milliseconds, mode 0
    MediaParamT<unsigned> fadeInTime;   // milliseconds, mode 0
    MediaParamT<unsigned> minPause;     // milliseconds, modes 0 and 2
    MediaParamT<unsigned> maxPause;

    const DS_ViewObjCtrl* BoundItem() const { return boundItem_; }
    EdgeTest OutsideTest() const { return outside_; }
    EdgeTest CrossingTest() const { return crossing_; }

private:
    bool Outside(const SpriteInstance& sprite) const;
    bool Crossing(const SpriteInstance& sprite) const;
    bool Reflect(SpriteInstance& sprite) const;
    bool ReflectAndPause(const DS_ViewObjCtrl& item, SpriteInstance& sprite) const;
    void UpdateCaptured(const DS_ViewObjCtrl& item, SpriteInstance& sprite) const;
    // A pause end drawn between the pause bounds from clock (one draw).
    float DrawPauseEnd(float clock) const;
    bool VerticalSide() const { return side == 0 || side == 1; }

    const DS_ViewObjCtrl* boundItem_ = nullptr;
    EdgeTest outside_ = nullptr;
    EdgeTest crossing_ = nullptr;
};
