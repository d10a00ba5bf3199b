// Loading the scene document: resource "DDS" 107 of the program, holding a
// header string, the slideshow root record and the resource manager's
// record. Any fault (missing resource, data that runs short, an impossible
// size, an unknown class name, a record that yields no object) rejects the
// whole document with kErrSceneDocument.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "engine/archive/IOF_Virtual.h"
#include "engine/archive/SceneClassRegistry.h"

// "Could not load required media." in the error display.
constexpr HRESULT kErrSceneDocument = static_cast<HRESULT>(0x8200000B);
constexpr int32_t kSceneDocumentId = 107;
constexpr wchar_t kSceneDocumentType[] = L"DDS";

// What the two top-level records are read into. The loader reads each
// record's header (name not compared, version passed on); the content reads
// the body. A content whose load failed is discarded by its caller.
class SceneDocumentContent {
public:
    virtual ~SceneDocumentContent() = default;
    // The body of the "DS_SlideShow_Light" record.
    virtual void ReadRoot(DS_IOF_Archive* ar, int32_t version) = 0;
    // The body of the "DS_DocResManager" record, the last in the document.
    virtual void ReadResourceManager(DS_IOF_Archive* ar, int32_t version) = 0;
};

// Reads a document held in memory with the given registries. S_OK or
// kErrSceneDocument.
HRESULT ReadSceneDocument(const uint8_t* bytes, size_t size, const SceneClassRegistry& classes,
                          SceneDocumentContent& content);

// Reads resource "DDS" 107 of module (null: the program) with the
// process-wide registries. kErrSceneDocument when the resource is
// missing, empty or unreadable.
HRESULT LoadSceneDocument(SceneDocumentContent& content, HMODULE module = nullptr);
