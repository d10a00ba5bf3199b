"""Writers of the picture files: PNG (RGBA, 8 bits a channel) and binary PPM.

Both are byte-for-byte deterministic: the PNG has no time or text chunks.
"""
import struct
import zlib


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_rgba(width, height, rows):
    """PNG bytes of an RGBA picture; rows holds height rows of 4 x width bytes, top row first."""
    if len(rows) != height or any(len(r) != 4 * width for r in rows):
        raise ValueError("rows do not match a %d x %d RGBA picture" % (width, height))
    raw = b"".join(b"\0" + bytes(r) for r in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b"")


def ppm(width, height, rows):
    """Binary PPM bytes of an RGB picture; rows of 3 x width bytes, top row first."""
    if len(rows) != height or any(len(r) != 3 * width for r in rows):
        raise ValueError("rows do not match a %d x %d RGB picture" % (width, height))
    return b"P6\n%d %d\n255\n" % (width, height) + b"".join(rows)
