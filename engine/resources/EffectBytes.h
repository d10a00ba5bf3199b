// Validation of compiled effect bytes (the binary fx_2_0 format) before they
// reach D3DXCreateEffect. D3DX9's effect loader does no bounds checking, so a
// truncated or corrupted effect stored in a document would crash the process;
// an effect that fails this check is treated as missing instead.
#pragma once

#include <cstddef>

// True when the bytes form an effect that D3DX9's loader can read without
// leaving the buffer, indexing outside its tables or mistaking one kind of
// object for another. Implements the same rules as the build tool's checker
// (tools/fxtool/fxcheck.py, listed in tools/fxtool/README.md); effects the
// build tool writes always pass. Never reads outside [data, data + size).
bool IsWellFormedEffect(const void* data, size_t size);
