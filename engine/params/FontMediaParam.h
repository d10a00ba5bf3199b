// A font description (height, weight, italic flag, face name) that the
// resource manager turns into a font. Its owner stores the fields one by one.
#pragma once

#include <cstdint>

#include "engine/params/MediaParam.h"

class FontMediaParam : public MediaParam {
public:
    static constexpr int32_t kDefaultHeight = 32;
    static constexpr int32_t kDefaultWeight = 700;  // bold

    FontMediaParam() = default;
    // Copies the four fields, not the listeners.
    FontMediaParam(const FontMediaParam& other) = default;
    FontMediaParam& operator=(const FontMediaParam& other) = default;

    int32_t height = kDefaultHeight;
    int32_t weight = kDefaultWeight;
    int32_t italic = 0;
    ds_string faceName = L"Arial";
};
