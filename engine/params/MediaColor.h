// A colour 0x00BBGGRR (red in the low byte) with a transparency in percent
// whose derived byte is the alpha: truncate(255 - 2.55 x transparency).
#pragma once

#include "engine/params/UINTSclaleTo.h"

class MediaColor : public MediaParamT<unsigned long> {
public:
    static constexpr unsigned long kDefaultColor = 0xFFFFFFul;  // white
    static constexpr float kAlphaScale = -2.55f;
    static constexpr float kAlphaOffset = 255.0f;

    MediaColor();
    explicit MediaColor(unsigned long color, unsigned transparencyPercent = 0);
    // Copies the colour and the transparency with its scale and offset.
    MediaColor(const MediaColor& other) = default;

    // Transparency 0 gives 255, 10 gives 229, 50 gives 127, 100 gives 0.
    unsigned char GetAlpha() const { return transparency.GetDerived(); }

    // Two fields: the colour as int, then the transparency as uint. Both are
    // set through their setters with no sender.
    void Read(const DS_IOF_Archive& ar);
    void Write(const DS_IOF_Archive& ar) const;

    UINTSclaleTo<unsigned char> transparency;
};
