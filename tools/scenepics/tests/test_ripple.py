"""The lake's ripple map: a V8U8 DDS whose slopes tile without a seam."""
import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

import ripple  # noqa: E402


def signed(byte):
    return byte - 256 if byte > 127 else byte


class TestRipple(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.size = 32
        cls.dds = ripple.dds_v8u8(cls.size)

    def texel(self, x, y):
        i = 128 + (y * self.size + x) * 2
        return signed(self.dds[i]), signed(self.dds[i + 1])

    def test_header_names_a_v8u8_du_dv_map(self):
        self.assertEqual(self.dds[:4], b"DDS ")
        size, flags, height, width, pitch = struct.unpack_from("<5I", self.dds, 4)
        self.assertEqual((size, height, width, pitch), (124, self.size, self.size, 2 * self.size))
        self.assertEqual(struct.unpack_from("<8I", self.dds, 76), (32, 0x80000, 0, 16, 0xFF, 0xFF00, 0, 0))
        self.assertEqual(len(self.dds), 128 + self.size * self.size * 2)

    def test_slopes_use_the_range_and_tile(self):
        texels = [self.texel(x, y) for y in range(self.size) for x in range(self.size)]
        self.assertEqual(max(max(abs(u), abs(v)) for u, v in texels), 127)
        # Across the wrap the slopes change no more than between inner
        # neighbours.
        inner = max(abs(self.texel(x + 1, y)[0] - self.texel(x, y)[0])
                    for y in range(self.size) for x in range(self.size - 1))
        seam = max(abs(self.texel(0, y)[0] - self.texel(self.size - 1, y)[0]) for y in range(self.size))
        self.assertLessEqual(seam, inner)
        inner_v = max(abs(self.texel(x, y + 1)[1] - self.texel(x, y)[1])
                      for y in range(self.size - 1) for x in range(self.size))
        seam_v = max(abs(self.texel(x, 0)[1] - self.texel(x, self.size - 1)[1]) for x in range(self.size))
        self.assertLessEqual(seam_v, inner_v)


if __name__ == "__main__":
    unittest.main()
