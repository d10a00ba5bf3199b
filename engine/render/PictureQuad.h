// The picture layer's quad: a textured PT strip whose corners lie at (0, 0)
// and (picture width, picture height) in picture pixels, and the entry of
// the picture it shows. An empty quad has no buffer and an empty entry.
#pragma once

#include "engine/render/Mesh.h"
#include "engine/render/TextureEntry.h"

class PictureQuad : public DS_TexturedMesh<PT> {
public:
    // (Re)creates the four-vertex buffer with texture coordinates (0, 1),
    // (0, 0), (1, 1), (1, 0) and the corners of the entry's size.
    HRESULT FillBuffer(IDirect3DDevice9* device);
    // Corners (0, h, 0), (0, 0, 0), (w, h, 0), (w, 0, 0); false without a
    // buffer (the next FillBuffer writes them).
    bool SetSize(uint32_t w, uint32_t h);
    // Holds the entry and its texture, then SetSize with the entry's size.
    void SetTexture(const TextureEntry& entry);

    const TextureEntry& Entry() const { return entry_; }
    bool HasPicture() const { return entry_.texture && entry_.width > 0 && entry_.height > 0; }

private:
    TextureEntry entry_;
};
