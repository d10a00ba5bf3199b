"""Shader assembler for vs/ps 2.0 and 3.0 (Direct3D 9 token format).

`assemble` turns assembly lines into a token list (version token, the body,
END) and reports which constant and sampler registers the body reads, so the
caller can build the constant table and check its bindings. Every mistake
raises SourceError with the source line.
"""

import re
import struct

from fxerrors import SourceError

END_TOKEN = 0x0000FFFF
COMMENT_OPCODE = 0xFFFE

# Register types (D3DSHADER_PARAM_REGISTER_TYPE).
RT_TEMP, RT_INPUT, RT_CONST, RT_ADDR, RT_RASTOUT, RT_ATTROUT = 0, 1, 2, 3, 4, 5
RT_OUTPUT, RT_CONSTINT, RT_COLOROUT, RT_DEPTHOUT, RT_SAMPLER = 6, 7, 8, 9, 10
RT_CONSTBOOL, RT_LOOP, RT_MISCTYPE, RT_LABEL, RT_PREDICATE = 14, 15, 17, 18, 19

# Register name -> (type, fixed index or None). "a" and "t" share type 3.
REGISTERS = {
    "r": (RT_TEMP, None), "v": (RT_INPUT, None), "c": (RT_CONST, None),
    "a": (RT_ADDR, None), "t": (RT_ADDR, None), "opos": (RT_RASTOUT, 0),
    "ofog": (RT_RASTOUT, 1), "opts": (RT_RASTOUT, 2), "od": (RT_ATTROUT, None),
    "ot": (RT_OUTPUT, None), "o": (RT_OUTPUT, None), "i": (RT_CONSTINT, None),
    "oc": (RT_COLOROUT, None), "odepth": (RT_DEPTHOUT, 0), "s": (RT_SAMPLER, None),
    "b": (RT_CONSTBOOL, None), "al": (RT_LOOP, 0), "vpos": (RT_MISCTYPE, 0),
    "vface": (RT_MISCTYPE, 1), "l": (RT_LABEL, None), "p": (RT_PREDICATE, None),
}

# Number of registers of each name per profile; a missing name is not
# available in that profile.
REGISTER_LIMITS = {
    "ps_2_0": {"r": 12, "t": 8, "v": 2, "c": 32, "s": 16, "oc": 4, "odepth": 1},
    "ps_3_0": {"r": 32, "v": 10, "c": 224, "i": 16, "b": 16, "s": 16, "oc": 4,
               "odepth": 1, "al": 1, "p": 1, "vpos": 1, "vface": 1, "l": 2048},
    "vs_2_0": {"r": 12, "v": 16, "c": 256, "a": 1, "b": 16, "i": 16, "al": 1,
               "opos": 1, "ofog": 1, "opts": 1, "od": 2, "ot": 8, "l": 16},
    "vs_3_0": {"r": 32, "v": 16, "c": 256, "a": 1, "b": 16, "i": 16, "al": 1,
               "o": 12, "s": 4, "p": 1, "l": 2048},
}
# (arithmetic slots, texture slots); None = a single shared limit.
SLOT_LIMITS = {"ps_2_0": (64, 32), "ps_3_0": (512, None), "vs_2_0": (256, None),
               "vs_3_0": (512, None)}

WRITABLE = {"r", "a", "opos", "ofog", "opts", "od", "ot", "o", "oc", "odepth", "p"}

# ps_2_0 accepts only these source swizzles (no arbitrary swizzle).
PS20_SWIZZLES = {"xyzw", "xxxx", "yyyy", "zzzz", "wwww", "yzxw", "zxyw", "wzyx"}

# name -> (opcode, has dst, source count, where, slots, kind)
# where: "both", "ps", "vs"; a trailing "3" means shader model 3 only.
# kind: "arith", "tex", "flow"; components: how sources are read (below).
OPCODES = {
    "nop": (0, 0, 0, "both", 1, "arith"),
    "mov": (1, 1, 1, "both", 1, "arith"),
    "add": (2, 1, 2, "both", 1, "arith"),
    "sub": (3, 1, 2, "both", 1, "arith"),
    "mad": (4, 1, 3, "both", 1, "arith"),
    "mul": (5, 1, 2, "both", 1, "arith"),
    "rcp": (6, 1, 1, "both", 1, "arith"),
    "rsq": (7, 1, 1, "both", 1, "arith"),
    "dp3": (8, 1, 2, "both", 1, "arith"),
    "dp4": (9, 1, 2, "both", 1, "arith"),
    "min": (10, 1, 2, "both", 1, "arith"),
    "max": (11, 1, 2, "both", 1, "arith"),
    "slt": (12, 1, 2, "vs", 1, "arith"),
    "sge": (13, 1, 2, "vs", 1, "arith"),
    "exp": (14, 1, 1, "both", 1, "arith"),
    "log": (15, 1, 1, "both", 1, "arith"),
    "lit": (16, 1, 1, "vs", 3, "arith"),
    "dst": (17, 1, 2, "vs", 1, "arith"),
    "lrp": (18, 1, 3, "both", 2, "arith"),
    "frc": (19, 1, 1, "both", 1, "arith"),
    "m4x4": (20, 1, 2, "both", 4, "arith"),
    "m4x3": (21, 1, 2, "both", 3, "arith"),
    "m3x4": (22, 1, 2, "both", 4, "arith"),
    "m3x3": (23, 1, 2, "both", 3, "arith"),
    "m3x2": (24, 1, 2, "both", 2, "arith"),
    "call": (25, 0, 1, "both3", 2, "flow"),
    "callnz": (26, 0, 2, "both3", 3, "flow"),
    "loop": (27, 0, 2, "both3", 3, "flow"),
    "ret": (28, 0, 0, "both3", 1, "flow"),
    "endloop": (29, 0, 0, "both3", 2, "flow"),
    "label": (30, 0, 1, "both3", 0, "flow"),
    "pow": (32, 1, 2, "both", 3, "arith"),
    "crs": (33, 1, 2, "both", 2, "arith"),
    "sgn": (34, 1, 3, "vs", 3, "arith"),
    "abs": (35, 1, 1, "both", 1, "arith"),
    "nrm": (36, 1, 1, "both", 3, "arith"),
    "sincos": (37, 1, 3, "both", 8, "arith"),
    "rep": (38, 0, 1, "both3", 3, "flow"),
    "endrep": (39, 0, 0, "both3", 2, "flow"),
    "if": (40, 0, 1, "both3", 3, "flow"),
    "ifc": (41, 0, 2, "both3", 3, "flow"),
    "else": (42, 0, 0, "both3", 1, "flow"),
    "endif": (43, 0, 0, "both3", 1, "flow"),
    "break": (44, 0, 0, "both3", 1, "flow"),
    "breakc": (45, 0, 2, "both3", 3, "flow"),
    "mova": (46, 1, 1, "vs", 1, "arith"),
    "texkill": (65, 1, 0, "ps", 1, "tex"),
    "texld": (66, 1, 2, "ps", 1, "tex"),
    "texldp": (66, 1, 2, "ps", 1, "tex"),
    "texldb": (66, 1, 2, "ps", 1, "tex"),
    "expp": (78, 1, 1, "vs", 1, "arith"),
    "logp": (79, 1, 1, "vs", 1, "arith"),
    "cmp": (88, 1, 3, "ps", 1, "arith"),
    "dp2add": (90, 1, 3, "ps", 1, "arith"),
    "dsx": (91, 1, 1, "ps3", 2, "arith"),
    "dsy": (92, 1, 1, "ps3", 2, "arith"),
    "texldd": (93, 1, 4, "ps3", 3, "tex"),
    "setp": (94, 1, 2, "both3", 1, "arith"),
    "texldl": (95, 1, 2, "both3", 2, "tex"),
    "breakp": (96, 0, 1, "both3", 3, "flow"),
}
OP_DCL, OP_DEFB, OP_DEFI, OP_DEF = 31, 47, 48, 81
TEXLD_CONTROLS = {"texld": 0, "texldp": 1, "texldb": 2}
COMPARISONS = {"gt": 1, "eq": 2, "ge": 3, "lt": 4, "ne": 5, "le": 6}
SCALAR_OPS = {"rcp", "rsq", "exp", "log", "expp", "logp", "pow", "sincos"}
DCL_USAGES = {"position": 0, "blendweight": 1, "blendindices": 2, "normal": 3,
              "psize": 4, "texcoord": 5, "tangent": 6, "binormal": 7,
              "tessfactor": 8, "positiont": 9, "color": 10, "fog": 11,
              "depth": 12, "sample": 13}
SAMPLER_TEXTURE_TYPES = {"2d": 2, "cube": 3, "volume": 4}
DST_MODIFIERS = {"sat": 1, "pp": 2, "centroid": 4}
SRC_NEG, SRC_ABS, SRC_ABSNEG, SRC_NOT = 1, 11, 12, 13
COMPONENTS = "xyzw"
COLOR_COMPONENTS = {"r": "x", "g": "y", "b": "z", "a": "w"}

REGISTER_RE = re.compile(r"^([a-z]+?)(\d*)$")


class Profile:
    def __init__(self, name):
        match = re.match(r"^(ps|vs)_([23])_0$", name)
        if not match or name not in REGISTER_LIMITS:
            raise ValueError(name)
        self.name = name
        self.pixel = match.group(1) == "ps"
        self.major = int(match.group(2))
        self.version_token = (0xFFFF0000 if self.pixel else 0xFFFE0000) | (self.major << 8)
        self.limits = REGISTER_LIMITS[name]


class Operand:
    """A parsed register reference."""

    def __init__(self, name, rtype, index, text):
        self.name, self.rtype, self.index, self.text = name, rtype, index, text
        self.mask = 0xF
        self.swizzle = "xyzw"
        self.modifier = 0

    def register_bits(self):
        return (0x80000000 | ((self.rtype & 7) << 28) | (((self.rtype >> 3) & 3) << 11)
                | (self.index & 0x7FF))


def float_bits(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


class Assembler:
    def __init__(self, profile, where):
        self.profile = profile
        self.where = where  # file name, for messages
        self.tokens = [profile.version_token]
        self.written = {}      # temp index -> mask of components written
        self.declared = {}     # (name, index) -> mask declared with dcl
        self.defined = set()   # ("c"|"i"|"b", index) defined with def*
        self.reads = set()     # ("c"|"i"|"b"|"s", index) read by instructions
        self.arith = 0
        self.tex = 0
        self.line = 0

    def fail(self, message):
        raise SourceError(self.where, self.line, message)

    # --- operands -------------------------------------------------------
    def parse_register(self, text):
        match = REGISTER_RE.match(text.lower())
        if not match:
            self.fail("bad register '%s'" % text)
        name, digits = match.group(1), match.group(2)
        if name not in REGISTERS:
            self.fail("unknown register '%s'" % text)
        rtype, fixed = REGISTERS[name]
        if fixed is not None:
            if digits:
                self.fail("register '%s' takes no number" % text)
            index = fixed
        else:
            if not digits:
                self.fail("register '%s' needs a number" % text)
            index = int(digits)
        limit = self.profile.limits.get(name, 0)
        if limit == 0:
            self.fail("register '%s' does not exist in %s" % (text, self.profile.name))
        if fixed is None and index >= limit:
            self.fail("register '%s' out of range for %s (%s0 to %s%d)"
                      % (text, self.profile.name, name, name, limit - 1))
        return Operand(name, rtype, index, text)

    def parse_mask(self, text):
        letters = [COLOR_COMPONENTS.get(ch, ch) for ch in text.lower()]
        mask, last = 0, -1
        for ch in letters:
            if ch not in COMPONENTS:
                self.fail("bad write mask '.%s'" % text)
            pos = COMPONENTS.index(ch)
            if pos <= last:
                self.fail("write mask '.%s' must list components once, in x y z w order" % text)
            mask |= 1 << pos
            last = pos
        if not mask:
            self.fail("empty write mask")
        return mask

    def parse_swizzle(self, text):
        letters = [COLOR_COMPONENTS.get(ch, ch) for ch in text.lower()]
        if not 1 <= len(letters) <= 4 or any(ch not in COMPONENTS for ch in letters):
            self.fail("bad swizzle '.%s'" % text)
        while len(letters) < 4:
            letters.append(letters[-1])
        return "".join(letters)

    def parse_dst(self, text):
        text = text.strip()
        reg, _, mask = text.partition(".")
        operand = self.parse_register(reg)
        if operand.name not in WRITABLE:
            self.fail("register '%s' cannot be written" % reg)
        if mask:
            operand.mask = self.parse_mask(mask)
        return operand

    def parse_src(self, text):
        text = text.strip()
        modifier = 0
        if text.startswith("-"):
            modifier = SRC_NEG
            text = text[1:].strip()
        elif text.startswith("!"):
            modifier = SRC_NOT
            text = text[1:].strip()
        reg, _, swizzle = text.partition(".")
        if reg.lower().endswith("_abs"):
            if self.profile.major < 3:
                self.fail("the _abs source modifier needs shader model 3 (use the abs instruction)")
            reg = reg[:-4]
            modifier = SRC_ABSNEG if modifier == SRC_NEG else SRC_ABS
        if "[" in reg:
            self.fail("relative addressing is not supported")
        operand = self.parse_register(reg)
        if operand.name in WRITABLE - {"r", "a", "p"}:
            self.fail("output register '%s' cannot be read" % reg)
        operand.modifier = modifier
        if swizzle:
            operand.swizzle = self.parse_swizzle(swizzle)
        if self.profile.name == "ps_2_0" and operand.swizzle not in PS20_SWIZZLES:
            self.fail("swizzle '.%s' is not allowed in ps_2_0" % swizzle)
        return operand

    def dst_token(self, operand, modifiers):
        return operand.register_bits() | (operand.mask << 16) | (modifiers << 20)

    def src_token(self, operand):
        swz = 0
        for i, ch in enumerate(operand.swizzle):
            swz |= COMPONENTS.index(ch) << (2 * i)
        return operand.register_bits() | (swz << 16) | (operand.modifier << 24)

    def emit(self, opcode, params, control=0):
        self.tokens.append(opcode | (control << 16) | (len(params) << 24))
        self.tokens.extend(params)

    # --- read tracking ----------------------------------------------------
    def note_read(self, operand, components):
        if operand.name == "r":
            have = self.written.get(operand.index, 0)
            for ch in components:
                if not have & (1 << COMPONENTS.index(ch)):
                    self.fail("%s.%s is read before it is written" % (operand.text, ch))
        elif operand.name in ("t", "v") and self.profile.pixel:
            if (operand.name, operand.index) not in self.declared:
                self.fail("%s is read without a dcl" % operand.text)
        elif operand.name in ("c", "i", "b", "s"):
            self.reads.add((operand.name, operand.index))
            if operand.name == "s" and ("s", operand.index) not in self.declared:
                self.fail("sampler %s is used without a dcl" % operand.text)

    def note_write(self, operand):
        if operand.name == "r":
            self.written[operand.index] = self.written.get(operand.index, 0) | operand.mask

    # --- statements -------------------------------------------------------
    def statement(self, line, text):
        self.line = line
        head, _, rest = text.strip().partition(" ")
        args = [a for a in (x.strip() for x in rest.split(","))] if rest.strip() else []
        parts = head.lower().split("_")
        name = parts[0]
        if name in ("ps", "vs"):
            if head.lower() != self.profile.name:
                self.fail("version '%s' does not match the block's profile %s"
                          % (head, self.profile.name))
            return
        if name == "dcl":
            self.dcl(parts[1:], args)
        elif name in ("def", "defi", "defb") and len(parts) == 1:
            self.define(name, args)
        elif name in ("if", "break") and len(parts) == 2 and parts[1] in COMPARISONS:
            # "if_lt a, b" and "break_ge a, b" are the comparing forms.
            self.instruction(name + "c", parts[1:], args)
        elif name in OPCODES and name not in ("ifc", "breakc"):
            self.instruction(name, parts[1:], args)
        else:
            self.fail("unknown instruction '%s'" % head)

    def expect_args(self, args, count, what):
        if len(args) != count or any(not a for a in args):
            self.fail("%s takes %d operand%s, got %d" % (what, count, "" if count == 1 else "s",
                                                         len([a for a in args if a])))

    def dcl(self, suffixes, args):
        self.expect_args(args, 1, "dcl")
        operand = self.parse_decl_register(args[0])
        usage_token = 0x80000000
        modifiers = 0
        usage = None
        for suffix in suffixes:
            if suffix in DST_MODIFIERS and suffix != "sat":
                modifiers |= DST_MODIFIERS[suffix]
            elif suffix in SAMPLER_TEXTURE_TYPES:
                usage = ("sampler", SAMPLER_TEXTURE_TYPES[suffix])
            else:
                match = re.match(r"^([a-z]+?)(\d*)$", suffix)
                if not match or match.group(1) not in DCL_USAGES or usage is not None:
                    self.fail("bad dcl usage '_%s'" % suffix)
                usage = ("usage", DCL_USAGES[match.group(1)], int(match.group(2) or 0))
        if operand.name == "s":
            if not usage or usage[0] != "sampler":
                self.fail("a sampler dcl needs a texture type (dcl_2d, dcl_cube, dcl_volume)")
            usage_token |= usage[1] << 27
        else:
            if usage and usage[0] == "sampler":
                self.fail("texture type given for a non-sampler register")
            needs_usage = not (self.profile.pixel and self.profile.major == 2) and \
                operand.name in ("v", "o")
            if needs_usage and not usage:
                self.fail("dcl of %s needs a usage in %s" % (operand.text, self.profile.name))
            if usage and self.profile.pixel and self.profile.major == 2:
                self.fail("ps_2_0 dcl takes no usage")
            if usage:
                usage_token |= usage[1] | (usage[2] << 16)
            if operand.name not in ("v", "t", "o", "vpos", "vface"):
                self.fail("register %s cannot be declared" % operand.text)
        key = (operand.name, operand.index)
        if key in self.declared:
            self.fail("%s is declared twice" % operand.text)
        self.declared[key] = operand.mask
        self.emit(OP_DCL, [usage_token, self.dst_token(operand, modifiers)])

    def parse_decl_register(self, text):
        reg, _, mask = text.strip().partition(".")
        operand = self.parse_register(reg)
        if mask:
            operand.mask = self.parse_mask(mask)
        return operand

    def define(self, name, args):
        count = 2 if name == "defb" else 5
        self.expect_args(args, count, name)
        reg = self.parse_register(args[0])
        wanted = {"def": "c", "defi": "i", "defb": "b"}[name]
        if reg.name != wanted:
            self.fail("%s needs a %s register, got '%s'" % (name, wanted, args[0]))
        key = (reg.name, reg.index)
        if key in self.defined:
            self.fail("%s is defined twice" % args[0])
        if key in self.reads:
            self.fail("%s is defined after it is read" % args[0])
        self.defined.add(key)
        values = []
        for arg in args[1:]:
            try:
                if name == "def":
                    values.append(float_bits(float(arg)))
                elif name == "defi":
                    values.append(int(arg, 0) & 0xFFFFFFFF)
                else:
                    low = arg.lower()
                    if low not in ("true", "false"):
                        raise ValueError
                    values.append(1 if low == "true" else 0)
            except ValueError:
                self.fail("bad value '%s' in %s" % (arg, name))
            # D3DX9 searches the token stream word by word for comments and
            # END, so no value may look like either.
            if values[-1] == END_TOKEN or values[-1] & 0xFFFF == COMMENT_OPCODE:
                self.fail("value %s encodes as an end or comment token" % arg)
        reg.mask = 0xF
        opcode = {"def": OP_DEF, "defi": OP_DEFI, "defb": OP_DEFB}[name]
        self.emit(opcode, [self.dst_token(reg, 0)] + values)

    def instruction(self, name, suffixes, args):
        opcode, has_dst, nsrc, where, slots, kind = OPCODES[name]
        prof = self.profile
        if where.endswith("3") and prof.major < 3:
            self.fail("'%s' needs shader model 3" % name)
        base_where = where.rstrip("3")
        if base_where == "ps" and not prof.pixel:
            self.fail("'%s' is a pixel shader instruction" % name)
        if base_where == "vs" and prof.pixel:
            self.fail("'%s' is a vertex shader instruction" % name)
        if name == "sincos":
            nsrc = 3 if prof.major == 2 else 1
        modifiers, control = 0, TEXLD_CONTROLS.get(name, 0)
        for suffix in suffixes:
            if suffix in DST_MODIFIERS and has_dst:
                modifiers |= DST_MODIFIERS[suffix]
            elif suffix in COMPARISONS and name in ("ifc", "breakc", "setp"):
                control = COMPARISONS[suffix]
            else:
                self.fail("bad modifier '_%s' on '%s'" % (suffix, name))
        if name in ("ifc", "breakc", "setp") and not control:
            self.fail("'%s' needs a comparison (_gt, _eq, _ge, _lt, _ne, _le)" % name.rstrip("c"))
        self.expect_args(args, has_dst + nsrc, name)
        if name == "texkill":
            dst = self.parse_decl_register(args[0])
            self.note_read(dst, [c for i, c in enumerate(COMPONENTS) if dst.mask & (1 << i)])
            self.emit(opcode, [self.dst_token(dst, 0)])
            self.count(kind, slots)
            return
        dst = self.parse_dst(args[0]) if has_dst else None
        srcs = [self.parse_src(a) for a in args[has_dst:]]
        self.check_operands(name, dst, srcs)
        for i, src in enumerate(srcs):
            self.note_read(src, self.components_read(name, i, dst, src))
        if dst is not None:
            if dst.name == "oc" and prof.name == "ps_2_0" and dst.mask != 0xF:
                self.fail("ps_2_0 writes %s with the full mask only" % dst.text)
            self.note_write(dst)
        params = ([self.dst_token(dst, modifiers)] if dst is not None else []) + \
            [self.src_token(s) for s in srcs]
        self.emit(opcode, params, control)
        self.count(kind, slots)

    def components_read(self, name, i, dst, src):
        swz = src.swizzle
        if src.name == "s":
            return ""
        if name in SCALAR_OPS:
            return swz[3] if not (name == "sincos" and i > 0) else swz
        if name in ("dp3", "nrm", "crs"):
            return swz[:3]
        if name in ("dp4", "m4x4", "m4x3"):
            return swz
        if name in ("m3x4", "m3x3", "m3x2"):
            return swz[:3]
        if name == "dp2add":
            return swz[:2] if i < 2 else swz[3]
        if name.startswith("texld"):
            return {"texld": swz[:2], "texldp": swz[:2] + swz[3], "texldb": swz[:2] + swz[3]}.get(name, swz)
        if dst is None:
            return swz[0]
        return "".join(swz[k] for k in range(4) if dst.mask & (1 << k))

    def check_operands(self, name, dst, srcs):
        prof = self.profile
        for i, src in enumerate(srcs):
            if src.name == "s" and not (name.startswith("texld") and i == 1):
                self.fail("sampler %s can only be the sampler operand of a texture load" % src.text)
        if name.startswith("texld"):
            if srcs[1].name != "s":
                self.fail("'%s' needs a sampler as its second source" % name)
            if prof.name == "ps_2_0":
                if dst.name != "r":
                    self.fail("ps_2_0 texture loads write a temporary register")
                if dst.mask != 0xF:
                    self.fail("ps_2_0 texture loads write the full mask")
                if srcs[0].swizzle != "xyzw" or srcs[0].modifier:
                    self.fail("ps_2_0 texture coordinates take no swizzle or modifier")
            if srcs[1].swizzle != "xyzw" or srcs[1].modifier:
                self.fail("the sampler operand takes no swizzle or modifier")
        if name == "sincos":
            if dst.name != "r":
                self.fail("sincos writes a temporary register")
            if dst.mask not in (1, 2, 3):
                self.fail("sincos writes .x, .y or .xy")
            if len(set(srcs[0].swizzle)) != 1:
                self.fail("sincos needs a replicate swizzle on its source")
            if prof.major == 2:
                for extra in srcs[1:]:
                    if extra.name != "c" or extra.modifier or extra.swizzle != "xyzw":
                        self.fail("sincos takes two plain constant registers after its source")
                if srcs[0].name == "r" and srcs[0].index == dst.index:
                    self.fail("sincos cannot write its own source register")
        if name in SCALAR_OPS and name != "sincos" and prof.pixel:
            for src in srcs:
                if len(set(src.swizzle)) != 1:
                    self.fail("'%s' needs a replicate swizzle (.x, .y, .z or .w)" % name)
        if name == "dp2add" and len(set(srcs[2].swizzle)) != 1:
            self.fail("dp2add needs a replicate swizzle on its third source")
        if name in ("m4x4", "m4x3", "m3x4", "m3x3", "m3x2") and srcs[1].name != "c":
            self.fail("'%s' takes its matrix from constant registers" % name)

    def count(self, kind, slots):
        arith_limit, tex_limit = SLOT_LIMITS[self.profile.name]
        if kind == "tex" and tex_limit is not None:
            self.tex += slots
            if self.tex > tex_limit:
                self.fail("more than %d texture instructions for %s" % (tex_limit, self.profile.name))
        else:
            self.arith += slots
            limit = arith_limit
            if self.arith > limit:
                self.fail("more than %d instruction slots for %s" % (limit, self.profile.name))

    def finish(self):
        if len(self.tokens) == 1:
            self.fail("the shader has no instructions")
        self.tokens.append(END_TOKEN)
        return self.tokens


def assemble(lines, profile_name, where):
    """lines: list of (line number, text). Returns the Assembler after the
    last line (tokens in .tokens, reads/defined/declared for bindings)."""
    try:
        profile = Profile(profile_name)
    except ValueError:
        raise SourceError(where, lines[0][0] if lines else 0,
                          "unknown shader profile '%s' (ps_2_0, ps_3_0, vs_2_0, vs_3_0)" % profile_name)
    asm = Assembler(profile, where)
    for number, text in lines:
        asm.statement(number, text)
    asm.line = lines[-1][0] if lines else 0
    asm.finish()
    return asm
