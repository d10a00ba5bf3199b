// Writing scene documents, and rewriting one: a document read with the
// player's classes and written again through their own Write operations.
#pragma once

#include <string>

#include "engine/resources/DocResManager.h"
#include "engine/scene/SlideShow.h"

// Writes the header, the root's record and the manager's record (with the
// manager current while the records are written, so that the links write
// their bytes into it) to path. False with a message when the file cannot
// be written; no partial file is left then.
bool WriteSceneDocument(DS_SlideShow_Light& root, DS_DocResManager& manager, const std::string& path,
                        std::string& error);

// Reads the document in input with the process-wide registries and writes
// it to output through the classes' own Write operations. The manager's
// maps of saved bytes start empty, so the output holds only what the
// scene's objects mark and write; the mask pictures, which reading turns
// into textures, are taken over from the input's record. False with a
// message when the input cannot be read or is not a document.
bool RewriteSceneDocument(const std::string& input, const std::string& output, std::string& error);
