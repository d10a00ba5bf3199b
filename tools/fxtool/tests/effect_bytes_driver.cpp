// Test driver: reads records (u32 length, bytes) from stdin and prints 1 or 0
// per record as IsWellFormedEffect answers. Built natively by test_parity.py.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/resources/EffectBytes.h"

int main()
{
    uint32_t length;
    while (std::fread(&length, 4, 1, stdin) == 1) {
        std::vector<uint8_t> bytes(length);
        if (length && std::fread(bytes.data(), 1, length, stdin) != length) return 1;
        std::putchar(IsWellFormedEffect(bytes.data(), bytes.size()) ? '1' : '0');
    }
    return 0;
}
