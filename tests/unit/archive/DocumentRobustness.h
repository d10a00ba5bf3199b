// The bad-document harness: loads every proper prefix of a document and
// seeded byte mutations of it, and counts how each load ended. A sound
// loader only ever succeeds or answers kErrSceneDocument, and allocates no
// more than a small multiple of the document's size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/archive/SceneDocument.h"

struct DocumentLoader {
    const SceneClassRegistry* classes = nullptr;
    // A fresh content for each load.
    std::function<std::unique_ptr<SceneDocumentContent>()> makeContent;
};

struct RobustnessReport {
    size_t loaded = 0;
    size_t rejected = 0;    // kErrSceneDocument
    size_t unexpected = 0;  // any other result
    HRESULT firstUnexpected = S_OK;
    size_t largestAllocation = 0;  // largest single request over all loads
    size_t allocationLimit = 0;    // what the document's size allows
    double seconds = 0.0;
};

// Most bytes one allocation may take while loading documentSize bytes:
// every stored count is checked against the bytes left, so containers stay
// within a fixed multiple of the document (a 16-byte stored blob becomes
// one in-memory blob, and vectors grow by doubling).
size_t AllocationLimitFor(size_t documentSize);

// Loads bytes [0, n) for every n below denseEnd, then for every stride-th n
// from there to the document's size (large documents: the cuts inside their
// stored picture bytes all end the same way, and each load copies them).
RobustnessReport LoadPrefixes(const std::vector<uint8_t>& document, const DocumentLoader& loader,
                              size_t denseEnd = SIZE_MAX, size_t stride = 1);
// Loads mutationCount copies of the document, each with one to four bytes
// changed (random values, boundary values, bit flips) and one in eight
// also cut short, from a generator seeded with seed.
RobustnessReport LoadMutations(const std::vector<uint8_t>& document, const DocumentLoader& loader, uint32_t seed,
                               size_t mutationCount);
