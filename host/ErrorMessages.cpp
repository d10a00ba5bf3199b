#include "host/ErrorMessages.h"

#include <d3d9.h>

namespace {

struct ErrorEntry {
    HRESULT code;
    UINT stringId;
};

constexpr ErrorEntry kErrorTable[] = {
    {E_FAIL, 2100},
    {static_cast<HRESULT>(0x82000001), 2101},
    {static_cast<HRESULT>(0x82000007), 2102},
    {static_cast<HRESULT>(0x8200000E), 2103},
    {static_cast<HRESULT>(0x82000003), 2104},
    {static_cast<HRESULT>(0x82000005), 2105},
    {static_cast<HRESULT>(0x82000006), 2106},
    {static_cast<HRESULT>(0x82000009), 2107},
    {static_cast<HRESULT>(0x8200000B), 2108},
    {static_cast<HRESULT>(0x8200000C), 2109},
    {E_OUTOFMEMORY, 2110},
    {D3DERR_OUTOFVIDEOMEMORY, 2111},
    {static_cast<HRESULT>(0x8200000F), 2112},
};

}  // namespace

UINT ErrorStringId(HRESULT code)
{
    for (const ErrorEntry& entry : kErrorTable) {
        if (entry.code == code) return entry.stringId;
    }
    return kErrorStringUnspecified;
}
