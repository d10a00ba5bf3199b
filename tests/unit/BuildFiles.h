// Files of the build folder that tests read: composed documents, compiled
// effects, resource modules.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The path of a file given relative to the build folder, as the test
// program opens it.
inline std::string BuildPath(const std::string& relative)
{
    std::string path = std::string(CORVALLINE_BINARY_DIR) + "/" + relative;
    // Wine 8, 2026-12: the build's Unix path is reached through drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    return path;
}

// The bytes of a file of the build folder; empty when it cannot be read.
inline std::vector<uint8_t> ReadBuildFile(const std::string& relative)
{
    std::ifstream in(BuildPath(relative), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A compiled effect of the build's fx folder, e.g. "090_water" or
// "test/placed"; empty when it is missing.
inline std::vector<uint8_t> ReadBuiltEffect(const std::string& stem)
{
    return ReadBuildFile("fx/" + stem + ".fxo");
}
