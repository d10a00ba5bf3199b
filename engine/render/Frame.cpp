#include "engine/render/Frame.h"

DS_Frame::DS_Frame()
{
    D3DXMatrixIdentity(&combined);
    D3DXMatrixIdentity(&local);
}

DS_Frame::~DS_Frame()
{
    delete controller_;
}

DS_Frame::DS_Frame(const DS_Frame& other)
    : boundingRadius(other.boundingRadius),
      boundingCentre(other.boundingCentre),
      combined(other.combined),
      local(other.local),
      frontFace(other.frontFace),
      children(other.children)
{
}

DS_Frame& DS_Frame::operator=(const DS_Frame& other)
{
    if (this == &other) return *this;
    boundingRadius = other.boundingRadius;
    boundingCentre = other.boundingCentre;
    combined = other.combined;
    local = other.local;
    frontFace = other.frontFace;
    children = other.children;
    SetController(nullptr);
    return *this;
}

void DS_Frame::SetController(DS_AnimationBase* controller)
{
    if (controller == controller_) return;
    delete controller_;
    controller_ = controller;
}

void DS_Frame::UpdateMatrices(const D3DXMATRIX* parent)
{
    if (controller_) {
        controller_->Apply(*this);
    } else {
        combined = local;
    }
    if (parent) D3DXMatrixMultiply(&combined, &combined, parent);
    for (DS_Frame* child : children) {
        if (child) child->UpdateMatrices(&combined);
    }
}
