// Files of the build folder that tests read: composed documents, compiled
// effects, the pictures and meshes the build makes for the tests
// (tests/fixtures), and the program and libraries opened for their
// resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/archive/ResourceModule.h"

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

// A file of the build's test pictures and meshes, e.g. L"fixture.png" (the
// test program runs from the build's bin folder).
inline std::wstring FixturePath(const std::wstring& name)
{
    return ProgramFolder() + L"..\\tests\\fixtures\\" + name;
}

inline std::vector<uint8_t> ReadFixtureBytes(const std::wstring& name)
{
    std::ifstream in(FixturePath(name).c_str(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A compiled effect of the build's fx folder, e.g. "090_water" or
// "test/placed"; empty when it is missing.
inline std::vector<uint8_t> ReadBuiltEffect(const std::string& stem)
{
    return ReadBuildFile("fx/" + stem + ".fxo");
}

// A program or library of the build's bin folder (where the test program
// runs), opened for its resources only and freed at the end; get() is null
// when it cannot be opened.
class ProgramResources {
public:
    explicit ProgramResources(const wchar_t* file) : module_(LoadResourceModule(file, ProgramFolder())) {}
    ~ProgramResources()
    {
        if (module_) FreeLibrary(module_);
    }
    ProgramResources(const ProgramResources&) = delete;
    ProgramResources& operator=(const ProgramResources&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_ = nullptr;
};
