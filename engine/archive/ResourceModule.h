// Resource-only modules: the program's folder and the mapping of a sibling
// library (such as common_res.dll) for its resources.
#pragma once

#include <windows.h>

#include "engine/archive/IOF_Virtual.h"

// Maps a module for its resources only (no code runs): a bare file name is
// looked for in folder first, then on the usual search path. Null on failure.
HMODULE LoadResourceModule(const ds_string& name, const ds_string& folder);
// The folder of the running program, with a trailing backslash; empty when
// the path cannot be had.
ds_string ProgramFolder();
