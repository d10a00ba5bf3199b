// File and text helpers of the scene composer.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/archive/IOF_Virtual.h"

// UTF-8 to a wide string.
ds_string Widen(const std::string& text);
// The full path of a file, so that a stored name says where it came from;
// the path as given when it cannot be made full.
ds_string FullPath(const std::string& path);
// False when the file cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
// The text without leading and trailing blanks.
std::string Trim(const std::string& text);
// file inside folder, unless file is absolute (or folder empty).
std::string InFolder(const std::string& folder, const std::string& file);

// Exactly count numbers of type T from text; false when there are fewer,
// more, or they do not parse.
template <typename T>
bool ReadNumbers(const std::string& text, std::vector<T>& values, size_t count)
{
    std::istringstream in(text);
    values.assign(count, T());
    for (T& value : values) {
        if (!(in >> value)) return false;
    }
    std::string extra;
    return !(in >> extra);
}
// One whole number from 0 to UINT32_MAX.
bool ReadUnsigned(const std::string& text, unsigned& value);
// A colour written BBGGRR in hex, at most FFFFFF.
bool ReadColor(const std::string& text, unsigned long& color);
