"""Effect source format: parsing, bindings and error messages."""

import struct
import unittest

import fxtestutil  # noqa: F401
import fxcheck
import fxsource
import fxtables as T
import fxtool
from fxerrors import SourceError

BASE = """// a small effect
texture Tex
float4 Tint = 1, 0.5, 0.25, 1
float2x2 Turn = 1, 2, 3, 4
sampler2D Samp {
    Texture = <Tex>
    MinFilter = LINEAR
    AddressU = MIRROR
}
pixelshader PS ps_2_0 {
    bind Tint c0
    bind Turn c1
    bind Samp s0
    dcl t0.xy
    dcl_2d s0
    texld r0, t0, s0
    mul r0, r0, c0
    add r0, r0, c1
    add r0, r0, c2
    mov oC0, r0
}
technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        PixelShader = PS
    }
}
"""

# (replaced text, replacement, line of the error, message fragment)
MISTAKES = [
    ("float4 Tint", "float5 Tint", 3, "unknown type"),
    ("= 1, 0.5, 0.25, 1", "= 1, 0.5", 3, "expected 4 values"),
    ("= 1, 0.5, 0.25, 1", "= 1, a, 0.25, 1", 3, "bad value"),
    ("float2x2 Turn", "float2x2 Tint", 4, "declared twice"),
    ("texture Tex", "texture 9Tex", 2, "bad parameter name"),
    ("    MinFilter = LINEAR", "    MinFilter = SIDEWAYS", 7, "unknown value"),
    ("    MinFilter = LINEAR", "    SrcBlend = ONE", 7, "not a sampler state"),
    ("    MinFilter = LINEAR", "    MinFilter[2] = LINEAR", 7, "take no index"),
    ("    AddressU = MIRROR", "    MinFilter = POINT", 8, "set twice"),
    ("    Texture = <Tex>", "    Texture = <Tint>", 6, "not a texture parameter"),
    ("    AddressU = MIRROR\n}", "    AddressU = MIRROR\n", 5, "not closed"),
    ("        AlphaBlendEnable = TRUE", "        AlphaBlendEnable = 3", 24, "TRUE or FALSE"),
    ("        AlphaBlendEnable = TRUE", "        Frobnicate = TRUE", 24, "unknown state"),
    ("        AlphaBlendEnable = TRUE", "        AlphaBlendEnable TRUE", 24, "expected '<State> = <value>'"),
    ("        PixelShader = PS", "        PixelShader = QS", 26, "unknown shader"),
    ("        PixelShader = PS", "        VertexShader = PS", 26, "is not a VertexShader"),
    ("        SrcBlend = SRCALPHA", "        AlphaBlendEnable = FALSE", 25, "set twice"),
    ("pixelshader PS ps_2_0 {", "pixelshader PS vs_2_0 {", 10, "does not fit"),
    ("pixelshader PS ps_2_0 {", "pixelshader PS ps_1_1 {", 10, "unknown shader profile"),
    ("    bind Tint c0", "    bind Tant c0", 11, "unknown parameter"),
    ("    bind Tint c0", "    bind Tint s0", 11, "needs a c register"),
    ("    bind Tint c0", "    bind Tint c1", 12, "already bound"),
    ("    bind Tint c0", "    bind Tex c0", 11, "not the texture"),
    ("    bind Tint c0", "    bind Tint x0", 11, "bad binding register"),
    ("    bind Tint c0", "    bind Tint c31", 11, "'Tint' is bound but the shader never reads it"),
    ("    bind Turn c1", "    bind Turn c1 sideways", 12, "'rows' or 'columns'"),
    ("    bind Turn c1", "    bind Turn c31", 12, "out of range"),
    ("    add r0, r0, c2", "    add r0, r0, c5", 10, "reads c5, which is neither bound nor defined"),
    ("    dcl t0.xy", "    def c1, 0, 0, 0, 0\n    dcl t0.xy", 12, "also set by a def"),
    ("    mov oC0, r0", "    mov oC0, r7", 20, "read before it is written"),
    ("    pass P0 {", "    pass P0 {\n    }\n    pass P0 {", 25, "declared twice"),
    ("    pass P0 {", "    stage P0 {", 23, "expected 'pass <name> {'"),
]


def build(text):
    return fxtool.build_bytes(text, "test.fx")


class SourceErrorTest(unittest.TestCase):
    def test_base_source_builds(self):
        effect = fxsource.parse(BASE, "test.fx")
        self.assertEqual([p.name for p in effect.params], ["Tex", "Tint", "Turn", "Samp"])
        turn = effect.param("Turn")
        self.assertEqual((turn.cls, turn.rows, turn.cols), (T.PC_MATRIX_ROWS, 2, 2))
        self.assertEqual([s.name for s in effect.param("Samp").states], ["Texture", "MinFilter", "AddressU"])
        lines = fxcheck.check_effect(build(BASE))
        self.assertIn("parameter float2x2 Turn", lines)

    def test_mistakes_give_file_line_and_reason(self):
        for old, new, line, fragment in MISTAKES:
            with self.subTest(old=old, new=new):
                self.assertIn(old, BASE)
                with self.assertRaises(SourceError) as caught:
                    build(BASE.replace(old, new, 1))
                self.assertIn(fragment, caught.exception.message)
                self.assertEqual((caught.exception.where, caught.exception.line), ("test.fx", line))

    def test_effect_without_technique(self):
        with self.assertRaises(SourceError) as caught:
            build("texture Tex\n")
        self.assertIn("no technique", caught.exception.message)


class LayoutTest(unittest.TestCase):
    """The container follows the layout choices of Microsoft's compiler."""

    def setUp(self):
        self.data = build(BASE)
        self.hdr = struct.unpack_from("<I", self.data, 4)[0]

    def words(self, offset, count):
        return list(struct.unpack_from("<%dI" % count, self.data, offset))

    def test_header_and_counts(self):
        tag, _, zero = self.words(0, 3)
        self.assertEqual(tag, 0xFEFF0901)
        self.assertEqual(zero, 0)  # data area opens with "no name"
        params, techniques, shaders, objects = self.words(8 + self.hdr, 4)
        # Tex, the sampler's Texture state and the pass shader: ids 1 to 3.
        self.assertEqual((params, techniques, shaders, objects), (4, 1, 1, 4))

    def test_matrix_parameter_is_stored_as_rows(self):
        lines = fxcheck.check_effect(self.data)
        self.assertIn("    value: 1 2 3 4", lines)
        ctab_line = [l for l in lines if "ps_2_0 shader" in l][0]
        self.assertIn("Turn=f1(2)", ctab_line)
        self.assertIn("Samp=s0(1)", ctab_line)

    def test_texture_gets_empty_object_and_sampler_refers_by_name(self):
        lines = fxcheck.check_effect(self.data)
        self.assertIn("object 1: 0 bytes", lines)
        self.assertIn("resource: sampler 'Samp' state 0: refers to 'Tex'", lines)

    def test_columns_binding_uses_column_registers(self):
        text = BASE.replace("bind Turn c1", "bind Turn c1 columns").replace("float2x2 Turn = 1, 2, 3, 4",
                                                                              "float2x3 Turn = 1, 2, 3, 4, 5, 6")
        text = text.replace("    add r0, r0, c2\n", "    add r0, r0, c2\n    add r0, r0, c3\n")
        lines = fxcheck.check_effect(build(text))
        self.assertIn("Turn=f1(3)", [l for l in lines if "ps_2_0 shader" in l][0])


if __name__ == "__main__":
    unittest.main()
