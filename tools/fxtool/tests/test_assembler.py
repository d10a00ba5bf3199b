"""Shader assembler: token encodings and diagnostics."""

import unittest

import fxtestutil  # noqa: F401
import fxasm
from fxerrors import SourceError

# Declarations that make the registers of the single-line cases readable.
PRELUDE = {
    "ps_2_0": ["dcl t0", "dcl t1", "dcl t2", "dcl_2d s0", "dcl_2d s2", "dcl_2d s3"],
    "ps_3_0": ["dcl_texcoord0 v0", "dcl_2d s0"],
    "vs_2_0": ["dcl_position v0", "dcl_texcoord0 v1", "dcl_texcoord1 v15"],
    "vs_3_0": ["dcl_position v0", "dcl_2d s0"],
}
INIT_TEMPS = ["mov r%d, c0" % i for i in (0, 1, 2, 31)]


def body_tokens(profile, line):
    """Tokens of `line` alone, after a prelude that declares and fills registers."""
    temps = [t for t in INIT_TEMPS if profile.endswith("3_0") or not t.endswith("r31, c0")]
    before = PRELUDE[profile] + temps
    asm = fxasm.Assembler(fxasm.Profile(profile), "test.fx")
    for number, text in enumerate(before, 1):
        asm.statement(number, text)
    start = len(asm.tokens)
    asm.statement(len(before) + 1, line)
    return asm.tokens[start:]


# (profile, instruction, tokens). Values agree with D3DXAssembleShader,
# except the ps_2_0 sincos form, which that assembler does not accept.
ENCODINGS = [
    ("ps_2_0", "mov r0, c0", [0x02000001, 0x800F0000, 0xA0E40000]),
    ("ps_2_0", "def c2, 1, 0.5, -2, 0", [0x05000051, 0xA00F0002, 0x3F800000, 0x3F000000, 0xC0000000, 0]),
    ("ps_2_0", "dcl t4.xy", [0x0200001F, 0x80000000, 0xB0030004]),
    ("ps_2_0", "dcl_2d s1", [0x0200001F, 0x90000000, 0xA00F0801]),
    ("ps_2_0", "mad_sat r1.xy, -r0.x, c1, r2", [0x04000004, 0x80130001, 0x81000000, 0xA0E40001, 0x80E40002]),
    ("ps_2_0", "dp2add r0.x, r1, c3, c4.y", [0x0400005A, 0x80010000, 0x80E40001, 0xA0E40003, 0xA0550004]),
    ("ps_2_0", "cmp r0, -r1.x, c1, r2", [0x04000058, 0x800F0000, 0x81000001, 0xA0E40001, 0x80E40002]),
    ("ps_2_0", "mul_pp r2.w, r1.wzyx, c5", [0x03000005, 0x80280002, 0x801B0001, 0xA0E40005]),
    ("ps_2_0", "rcp r0.z, r1.w", [0x02000006, 0x80040000, 0x80FF0001]),
    ("ps_2_0", "add r3.yz, r1.zxyw, -c31", [0x03000002, 0x80060003, 0x80D20001, 0xA1E4001F]),
    ("ps_2_0", "mov oC0, r0", [0x02000001, 0x800F0800, 0x80E40000]),
    ("ps_2_0", "nrm r0.xyz, r1", [0x02000024, 0x80070000, 0x80E40001]),
    ("ps_2_0", "texld r0, t0, s0", [0x03000042, 0x800F0000, 0xB0E40000, 0xA0E40800]),
    ("ps_2_0", "texldp r0, t1, s2", [0x03010042, 0x800F0000, 0xB0E40001, 0xA0E40802]),
    ("ps_2_0", "texldb r1, t2, s3", [0x03020042, 0x800F0001, 0xB0E40002, 0xA0E40803]),
    ("ps_2_0", "texkill t0", [0x01000041, 0xB00F0000]),
    ("ps_2_0", "sincos r3.y, r2.x, c13, c14", [0x04000025, 0x80020003, 0x80000002, 0xA0E4000D, 0xA0E4000E]),
    ("ps_3_0", "dcl_color1 v9", [0x0200001F, 0x8001000A, 0x900F0009]),
    ("ps_3_0", "dcl_cube s15", [0x0200001F, 0x98000000, 0xA00F080F]),
    ("ps_3_0", "mov_sat oC0, r0_abs", [0x02000001, 0x801F0800, 0x8BE40000]),
    ("ps_3_0", "add r0, -r1_abs, c0", [0x03000002, 0x800F0000, 0x8CE40001, 0xA0E40000]),
    ("ps_3_0", "sincos r1.xy, r0.x", [0x02000025, 0x80030001, 0x80000000]),
    ("ps_3_0", "defi i0, 4, 0, 1, 0", [0x05000030, 0xF00F0000, 4, 0, 1, 0]),
    ("ps_3_0", "defb b3, true", [0x0200002F, 0xE00F0803, 1]),
    ("ps_3_0", "texldl r0, v0, s0", [0x0300005F, 0x800F0000, 0x90E40000, 0xA0E40800]),
    ("ps_3_0", "mov r31, c223", [0x02000001, 0x800F001F, 0xA0E400DF]),
    ("ps_3_0", "mov oDepth, r0.x", [0x02000001, 0x900F0800, 0x80000000]),
    ("ps_3_0", "if b0", [0x01000028, 0xE0E40800]),
    ("ps_3_0", "if_lt r0.x, c0.y", [0x02040029, 0x80000000, 0xA0550000]),
    ("ps_3_0", "break_ge r0.x, r1.x", [0x0203002D, 0x80000000, 0x80000001]),
    ("ps_3_0", "loop aL, i1", [0x0200001B, 0xF0E40800, 0xF0E40001]),
    ("ps_3_0", "endloop", [0x0000001D]),
    ("vs_2_0", "dcl_normal v3", [0x0200001F, 0x80000003, 0x900F0003]),
    ("vs_2_0", "m4x4 oPos, v0, c0", [0x03000014, 0xC00F0000, 0x90E40000, 0xA0E40000]),
    ("vs_2_0", "mov oT0.xy, v1", [0x02000001, 0xE0030000, 0x90E40001]),
    ("vs_2_0", "mova a0.x, r0.x", [0x0200002E, 0xB0010000, 0x80000000]),
    ("vs_2_0", "mov oD0, c1", [0x02000001, 0xD00F0000, 0xA0E40001]),
    ("vs_2_0", "mov oFog, r0.x", [0x02000001, 0xC00F0001, 0x80000000]),
    ("vs_2_0", "dp4 r0.x, v0, c255", [0x03000009, 0x80010000, 0x90E40000, 0xA0E400FF]),
    ("vs_2_0", "mov r11.xw, v15.yyxx", [0x02000001, 0x8009000B, 0x9005000F]),
    ("vs_3_0", "dcl_texcoord0 o1.xy", [0x0200001F, 0x80000005, 0xE0030001]),
    ("vs_3_0", "texldl r0, v0, s0", [0x0300005F, 0x800F0000, 0x90E40000, 0xA0E40800]),
    ("vs_3_0", "lit r0, r1", [0x02000010, 0x800F0000, 0x80E40001]),
]

# (profile, lines, message fragment, line of the error)
ERRORS = [
    ("ps_2_0", ["mov r12, c0"], "out of range for ps_2_0", 1),
    ("ps_2_0", ["mov r0, c32"], "out of range", 1),
    ("ps_3_0", ["mov r0, c224"], "out of range", 1),
    ("vs_2_0", ["mov r0, t0"], "does not exist in vs_2_0", 1),
    ("ps_2_0", ["mov r0, q0"], "unknown register", 1),
    ("ps_2_0", ["mov r0, r"], "needs a number", 1),
    ("ps_2_0", ["mov r0.yx, c0"], "write mask", 1),
    ("ps_2_0", ["mov r0.xx, c0"], "write mask", 1),
    ("ps_2_0", ["mov r0.q, c0"], "write mask", 1),
    ("ps_2_0", ["mov r0, c0.xyzwx"], "bad swizzle", 1),
    ("ps_2_0", ["mov r0, c0.yxzw"], "not allowed in ps_2_0", 1),
    ("ps_2_0", ["mov r0, c0_abs"], "shader model 3", 1),
    ("ps_2_0", ["add r0, c0"], "takes 3 operands, got 2", 1),
    ("ps_2_0", ["mov r0, c0, c1"], "takes 2 operands, got 3", 1),
    ("ps_2_0", ["sincos r0.y, c0.x"], "takes 4 operands", 1),
    ("ps_3_0", ["sincos r0.y, c0.x, c1, c2"], "takes 2 operands", 1),
    ("ps_2_0", ["mov r0, c0", "sincos r0.z, r0.x, c1, c2"], "sincos writes .x, .y or .xy", 2),
    ("ps_2_0", ["mov r0, c0", "sincos r1.y, r0.x, r2, c2"], "two plain constant registers", 2),
    ("ps_2_0", ["mov r0, c0", "sincos r1.y, r0, c1, c2"], "replicate swizzle", 2),
    ("ps_2_0", ["mov r1, r0"], "read before it is written", 1),
    ("ps_2_0", ["mov r0, t0"], "without a dcl", 1),
    ("ps_2_0", ["dcl t0", "texld r0, t0, s0"], "without a dcl", 2),
    ("ps_2_0", ["dcl t0", "dcl_2d s0", "texld r0.xy, t0, s0"], "full mask", 3),
    ("ps_2_0", ["mov oC0.xyz, c0"], "full mask", 1),
    ("ps_2_0", ["mov oC0, c0", "mov r0, oC0"], "cannot be read", 2),
    ("ps_2_0", ["mova a0.x, c0.x"], "vertex shader instruction", 1),
    ("vs_2_0", ["texld r0, v0, s0"], "pixel shader instruction", 1),
    ("vs_2_0", ["rep i0"], "needs shader model 3", 1),
    ("ps_3_0", ["if_xx r0.x, c0.x"], "bad modifier", 1),
    ("ps_2_0", ["mov_x2 r0, c0"], "bad modifier", 1),
    ("ps_2_0", ["def c0, 1, 2, 3"], "takes 5 operands", 1),
    ("ps_2_0", ["def r0, 1, 2, 3, 4"], "needs a c register", 1),
    ("ps_2_0", ["def c0, 1, 2, x, 4"], "bad value", 1),
    ("ps_2_0", ["def c0, 1, 2, 3, 9.183409485952689e-41"], "end or comment token", 1),
    ("ps_3_0", ["defi i0, 1, 0x1fffe, 3, 4"], "end or comment token", 1),
    ("ps_2_0", ["def c0, 1, 2, 3, 4", "def c0, 1, 2, 3, 4"], "defined twice", 2),
    ("ps_2_0", ["dcl t0", "dcl t0"], "declared twice", 2),
    ("ps_2_0", ["dcl_texcoord0 t0"], "takes no usage", 1),
    ("ps_3_0", ["dcl v0"], "needs a usage", 1),
    ("ps_2_0", ["dcl s0"], "texture type", 1),
    ("ps_2_0", ["frobnicate r0, c0"], "unknown instruction", 1),
    ("ps_2_0", ["mov r0, c[a0.x]"], "relative addressing", 1),
    ("ps_2_0", ["vs_2_0"], "does not match", 1),
    ("ps_2_0", ["mov r0, c0"] + ["add r0, r0, c0"] * 64, "more than 64 instruction slots", 65),
    ("ps_2_0", ["dcl t0", "dcl_2d s0"] + ["texld r0, t0, s0"] * 33, "more than 32 texture", 35),
]


class EncodingTest(unittest.TestCase):
    def test_known_token_values(self):
        for profile, line, tokens in ENCODINGS:
            with self.subTest(profile=profile, line=line):
                self.assertEqual(["%08x" % t for t in body_tokens(profile, line)], ["%08x" % t for t in tokens])

    def test_whole_shader_has_version_and_end(self):
        asm = fxasm.assemble([(1, "mov oC0, c0")], "ps_2_0", "test.fx")
        self.assertEqual(asm.tokens[0], 0xFFFF0200)
        self.assertEqual(asm.tokens[-1], 0x0000FFFF)
        self.assertEqual(asm.reads, {("c", 0)})

    def test_def_accepts_exponent_notation(self):
        tokens = body_tokens("ps_2_0", "def c5, -1.5500992e-006, 0, 0, 0")
        self.assertEqual(tokens[2], 0xB5D00D01)


class ErrorTest(unittest.TestCase):
    def test_mistakes_name_the_line(self):
        for profile, lines, fragment, line in ERRORS:
            with self.subTest(profile=profile, lines=lines[:3]):
                with self.assertRaises(SourceError) as caught:
                    fxasm.assemble(list(enumerate(lines, 1)), profile, "bad.fx")
                self.assertIn(fragment, caught.exception.message)
                self.assertEqual(caught.exception.line, line)
                self.assertTrue(str(caught.exception).startswith("bad.fx:%d: error: " % line))

    def test_unknown_profile(self):
        with self.assertRaises(SourceError):
            fxasm.assemble([(4, "mov oC0, c0")], "ps_1_1", "bad.fx")


if __name__ == "__main__":
    unittest.main()
