// The abstract level of every sprite kind: a sprite item that makes its
// runtime object around a clone of itself, after making sure its image
// links name texture sets.
//
// Contract for sprite kinds (derive from DS_ParticleSystemCtrl):
// - The default constructor sets the kind's defaults (size and the rest).
// - Clone returns a new copy made by the kind's copy constructor.
// - CreateObject is one of the forms below (CreateSpriteArrayObject for the
//   moving and the static kinds).
// - InitSprite places a new (or recycled) sprite; UpdateSprite moves one
//   sprite once per update. The order of their random draws is the kind's
//   contract.
// - Write writes the kind's record: header, the kind's fields, then the
//   next level's WriteBody. The registry reader calls ReadFields(ar,
//   version) of the kind, which reads the kind's fields for that version and
//   then the next level's record through its ReadBody (ending with
//   DS_BaseSpriteProp::ReadBody); false (archive failed) on short data.
#pragma once

#include "engine/scene/BaseSpriteProp.h"

class DS_ParticleSystemCtrl : public DS_BaseSpriteProp {
public:
    DS_ParticleSystemCtrl() = default;
    DS_ParticleSystemCtrl(const DS_ParticleSystemCtrl& other) = default;

    // 20. A new copy of the concrete kind.
    virtual DS_ParticleSystemCtrl* Clone() const = 0;

    // Documents whose sprite record predates image links hold the pictures
    // as blobs: they become a sequence link (and a second image link) of the
    // current resource manager, and the legacy fields are emptied. Nothing
    // happens when the image link already has a path or there is no manager.
    void LoadTextures();

protected:
    // The moving and the static form of CreateObject: LoadTextures, then a
    // DS_SpriteArrayObj around Clone() (the static kinds' fixed point is part
    // of the clone's rectangle).
    DS_ABObj* CreateSpriteArrayObject();
};
