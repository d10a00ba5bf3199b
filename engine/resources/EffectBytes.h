// Validation of effect bytes before they reach D3DXCreateEffect, which takes
// compiled effects (the binary fx_2_0 format) and effect source text. D3DX9's
// loader of compiled effects does no bounds checking, so a truncated or
// corrupted compiled effect stored in a document would crash the process; an
// effect that fails this check is treated as missing instead. Source text is
// compiled by D3DX itself, which reports its faults.
#pragma once

#include <cstddef>

// True when the bytes form an effect that D3DX9's loader can read without
// leaving the buffer, indexing outside its tables or mistaking one kind of
// object for another. Implements the same rules as the build tool's checker
// (tools/fxtool/fxcheck.py, listed in tools/fxtool/README.md); effects the
// build tool writes always pass. Never reads outside [data, data + size).
bool IsWellFormedEffect(const void* data, size_t size);

// True when the bytes begin with the tag of a compiled effect: D3DX reads
// such bytes as a compiled effect, any others as effect source text.
bool ClaimsCompiledEffect(const void* data, size_t size);

// True when the bytes may be handed to D3DXCreateEffect with their length:
// a compiled effect that IsWellFormedEffect passes, or source text. Bytes
// shorter than the tag are neither: D3DX reads the tag's four bytes before
// it looks at the length, and so few bytes can hold no technique.
bool IsEffectForD3DX(const void* data, size_t size);
