// Transform node of the scene geometry and the base of its animation
// controllers.
#pragma once

#include <d3dx9math.h>
#include <windows.h>

#include <list>

class DS_Frame;

// Controller of one frame: computes the frame's combined matrix from its
// local matrix. Owned by exactly one frame.
class DS_AnimationBase {
public:
    virtual ~DS_AnimationBase() = default;
    // Writes frame's combined matrix.
    virtual void Apply(DS_Frame& frame) = 0;
    // Stores the value; nothing in the player calls it.
    virtual void SetValue(float v) { value = v; }

    float value = 0.0f;
};

class DS_Frame {
public:
    DS_Frame();
    // Deletes the controller; the children belong to their owners.
    ~DS_Frame();
    DS_Frame(const DS_Frame& other);
    // Copies sphere, matrices, front-face flag and child list. A controller
    // has one owning frame, so it is never shared: the target ends with none.
    DS_Frame& operator=(const DS_Frame& other);

    // combined = controller's result (or local) x parent, then each child
    // in list order with the new combined matrix. parent may be null.
    void UpdateMatrices(const D3DXMATRIX* parent);

    // Takes ownership of controller (may be null), deleting the one held.
    void SetController(DS_AnimationBase* controller);
    DS_AnimationBase* Controller() const { return controller_; }

    float boundingRadius = 0.0f;
    D3DXVECTOR3 boundingCentre{0.0f, 0.0f, 0.0f};
    D3DXMATRIX combined;
    D3DXMATRIX local;
    // True: counter-clockwise faces are culled when the frame is drawn.
    bool frontFace = true;
    std::list<DS_Frame*> children;

private:
    DS_AnimationBase* controller_ = nullptr;
};
