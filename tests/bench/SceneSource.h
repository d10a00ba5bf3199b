// What a benchmark plays: a build of the program (its splash "DDS" 5 and
// scene document "DDS" 107, read from the file as resources) or a scene
// document file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class SceneSource {
public:
    SceneSource() = default;
    SceneSource(const SceneSource&) = delete;
    SceneSource& operator=(const SceneSource&) = delete;
    ~SceneSource();

    // path ending in .scr, .exe or .dll: the build's resources; anything
    // else: the document's bytes. False, with a line on stderr, when the
    // file cannot be opened or read.
    bool Open(const std::string& path);

    // The module whose resources play (null for a document file) and the
    // document's bytes (empty for a build).
    HMODULE Module() const { return module_; }
    const std::vector<uint8_t>& Document() const { return document_; }

private:
    HMODULE module_ = nullptr;
    std::vector<uint8_t> document_;
};
