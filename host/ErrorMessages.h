// The table that turns host failure codes into string-table message ids.
#pragma once

#include <windows.h>

constexpr UINT kErrorStringUnspecified = 2100;

// The message id for a failure code; codes not in the table give 2100.
UINT ErrorStringId(HRESULT code);
