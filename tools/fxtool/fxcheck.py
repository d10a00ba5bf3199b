"""Bounds-checked reader and dumper of the binary effect format.

`check_effect` walks a whole effect the way D3DX9's loader does and raises
FormatError on anything that would make that loader read outside the bytes,
index outside its tables, or treat a value as the wrong kind of object. The
same rules are implemented in C++ by engine/resources/EffectBytes.cpp; README.md
lists them. It returns the dump as a list of text lines.
"""

import struct

import fxasm
import fxtables as T
from fxerrors import FormatError

EFFECT_TAG = 0xFEFF0901
NO_INDEX = 0xFFFFFFFF
CTAB_FOURCC = 0x42415443
REJECTED_COMMENTS = {0x53455250: "PRES", 0x49535250: "PRSI", 0x434C5846: "FXLC", 0x54494C43: "CLIT"}
MAX_DEPTH = 4
MAX_MEMBERS = 256


def fail(message):
    raise FormatError(message)


class Bytes:
    """Little-endian DWORD reads limited to [start, end) of a buffer."""

    def __init__(self, data, start, end, what):
        self.data, self.start, self.end, self.what = data, start, end, what

    def u32(self, offset, what):
        pos = self.start + offset
        if offset < 0 or pos + 4 > self.end:
            fail("%s at offset %d is past the end of the %s" % (what, offset, self.what))
        return struct.unpack_from("<I", self.data, pos)[0]

    def span(self, offset, size, what):
        pos = self.start + offset
        if offset < 0 or size < 0 or pos + size > self.end:
            fail("%s (%d bytes at offset %d) is past the end of the %s" % (what, size, offset, self.what))
        return self.data[pos:pos + size]


def read_cstring(area, offset, size, what):
    raw = area.span(offset, size, what)
    if not raw or raw[-1] != 0:
        fail("%s is not NUL-terminated" % what)
    return raw[:-1].split(b"\0")[0].decode("latin-1")


# --- shader bytecode ---------------------------------------------------------
def check_ctab(data, start, size, version):
    area = Bytes(data, start, start + size, "constant table")
    if area.u32(0, "constant table size") != 28:
        fail("constant table header size is not 28")
    creator = area.u32(4, "creator")
    if area.u32(8, "table version") != version:
        fail("constant table version does not match the shader")
    count = area.u32(12, "constant count")
    info = area.u32(16, "constant info offset")
    target = area.u32(24, "target offset")
    for off, what in ((creator, "creator string"), (target, "target string")):
        if off:
            read_cstring(area, off, _cstring_len(area, off, what), what)
    if count > size // 20:
        fail("constant table count %d does not fit" % count)
    area.span(info, count * 20, "constant infos")
    constants = []
    for i in range(count):
        base = info + 20 * i
        name_off = area.u32(base, "constant name")
        regs = area.u32(base + 4, "register set")
        reg_set, reg_index = regs & 0xFFFF, regs >> 16
        reg_count = area.u32(base + 8, "register count") & 0xFFFF
        type_off = area.u32(base + 12, "type info")
        default_off = area.u32(base + 16, "default value")
        name = read_cstring(area, name_off, _cstring_len(area, name_off, "constant name"), "constant name")
        if reg_set > 3:
            fail("constant '%s' has unknown register set %d" % (name, reg_set))
        area.span(type_off, 16, "type info of '%s'" % name)
        members = area.u32(type_off + 8, "type info") >> 16
        if members:
            fail("constant '%s' is a structure (not supported)" % name)
        if default_off:
            area.span(default_off, reg_count * 16, "default value of '%s'" % name)
        constants.append((name, "bifs"[reg_set], reg_index, reg_count))
    return constants


def _cstring_len(area, offset, what):
    """Length up to and including the NUL, searched inside the area."""
    pos = area.start + offset
    if offset < 0 or pos >= area.end:
        fail("%s at offset %d is past the end of the %s" % (what, offset, area.what))
    end = area.data.find(b"\0", pos, area.end)
    if end < 0:
        fail("%s is not NUL-terminated" % what)
    return end - pos + 1


def _instruction_lengths():
    lengths = {op: {dst + nsrc} for op, dst, nsrc, _, _, _ in fxasm.OPCODES.values()}
    lengths[fxasm.OPCODES["sincos"][0]] = {2, 4}
    lengths.update({fxasm.OP_DCL: {2}, fxasm.OP_DEF: {5}, fxasm.OP_DEFI: {5}, fxasm.OP_DEFB: {2}})
    return lengths


# Opcode -> allowed parameter-token counts (shader models 2 and 3).
INSTRUCTION_LENGTHS = _instruction_lengths()
# Register type -> number of registers (the largest of shader models 2 and 3);
# types 11-13 and 16 are not used by these models.
REGISTER_COUNTS = {0: 32, 1: 16, 2: 256, 3: 8, 4: 3, 5: 2, 6: 12, 7: 16, 8: 4, 9: 1, 10: 16,
                   14: 16, 15: 1, 17: 2, 18: 2048, 19: 1}


def check_instruction(tokens, i, length, what):
    """One instruction: a known opcode with its parameter count, no
    predicate, co-issue or relative addressing, valid register tokens, and no
    raw value that a naive comment search could take for END or a comment."""
    token = tokens[i]
    opcode = token & 0xFFFF
    if token & 0xF0000000:
        fail("%s: instruction token 0x%08x has predicate or reserved bits" % (what, token))
    if length not in INSTRUCTION_LENGTHS.get(opcode, ()):
        fail("%s: opcode %d with %d parameters" % (what, opcode, length))
    raw = set()
    if opcode in (fxasm.OP_DEF, fxasm.OP_DEFI):
        raw = {2, 3, 4, 5}
    elif opcode == fxasm.OP_DEFB:
        raw = {2}
    for k in range(1, length + 1):
        word = tokens[i + k]
        if word == 0x0000FFFF or word & 0xFFFF == 0xFFFE:
            fail("%s: parameter 0x%08x looks like an end or comment token" % (what, word))
        if k in raw:
            continue
        if not word & 0x80000000:
            fail("%s: parameter token 0x%08x lacks its marker bit" % (what, word))
        if opcode == fxasm.OP_DCL and k == 1:
            continue  # usage token
        if word & 0x2000:
            fail("%s: relative addressing is not supported" % what)
        rtype = ((word >> 28) & 7) | ((word >> 8) & 0x18)
        if rtype not in REGISTER_COUNTS or (word & 0x7FF) >= REGISTER_COUNTS[rtype]:
            fail("%s: bad register (type %d, number %d)" % (what, rtype, word & 0x7FF))


def check_shader(data, what, want_pixel=None):
    """Checks shader bytecode; returns (profile text, constants)."""
    if len(data) < 8 or len(data) % 4:
        fail("%s: bytecode size %d is not a whole number of tokens" % (what, len(data)))
    n = len(data) // 4
    tokens = struct.unpack("<%dI" % n, data)
    version = tokens[0]
    kind = version >> 16
    major, minor = (version >> 8) & 0xFF, version & 0xFF
    if kind not in (0xFFFF, 0xFFFE) or major not in (2, 3) or minor not in (0, 1):
        fail("%s: bad version token 0x%08x" % (what, version))
    pixel = kind == 0xFFFF
    if want_pixel is not None and pixel != want_pixel:
        fail("%s: a %s shader where a %s shader belongs" % (what, "pixel" if pixel else "vertex",
                                                          "pixel" if want_pixel else "vertex"))
    constants = []
    i = 1
    while True:
        if i >= n:
            fail("%s: no end token" % what)
        token = tokens[i]
        if token == 0x0000FFFF:
            if i != n - 1:
                fail("%s: data after the end token" % what)
            break
        if token & 0xFFFF == 0xFFFE:
            length = token >> 16
            if i + 1 + length > n:
                fail("%s: comment past the end of the bytecode" % what)
            if length >= 1 and tokens[i + 1] in REJECTED_COMMENTS:
                fail("%s: %s comment (preshader) not supported" % (what, REJECTED_COMMENTS[tokens[i + 1]]))
            if length >= 1 and tokens[i + 1] == CTAB_FOURCC:
                constants = check_ctab(data, 4 * (i + 2), 4 * (length - 1), version)
            i += 1 + length
            continue
        length = (token >> 24) & 0xF
        if i + 1 + length > n:
            fail("%s: instruction past the end of the bytecode" % what)
        check_instruction(tokens, i, length, what)
        i += 1 + length
    profile = "%s_%d_%d" % ("ps" if pixel else "vs", major, minor)
    return profile, constants


# --- container -----------------------------------------------------------------
class Typedef:
    def __init__(self, ptype, cls, name, rows, cols, elements, size):
        self.type, self.cls, self.name = ptype, cls, name
        self.rows, self.cols, self.elements, self.size = rows, cols, elements, size

    def describe(self):
        tname = T.TYPE_NAMES.get(self.type, "type%d" % self.type)
        if self.cls == T.PC_VECTOR:
            tname += "%d" % self.cols
        elif self.cls in (T.PC_MATRIX_ROWS, T.PC_MATRIX_COLUMNS):
            tname += "%dx%d%s" % (self.rows, self.cols, "" if self.cls == T.PC_MATRIX_ROWS else " (columns)")
        if self.elements:
            tname += "[%d]" % self.elements
        return tname


class EffectReader:
    def __init__(self, data):
        self.data = data
        self.lines = []
        self.object_refs = {}  # object id -> Typedef of the value holding it

    def name(self, offset, what, required=False):
        # D3DX9 reads the length at every name offset, 0 included.
        size = self.area.u32(offset, "%s name length" % what)
        if size == 0:
            if required:
                fail("%s has an empty name" % what)
            return ""
        return read_cstring(self.area, offset + 4, size, "%s name" % what)

    def typedef(self, offset, what, depth=0):
        area = self.area
        ptype = area.u32(offset, what + " type")
        cls = area.u32(offset + 4, what + " class")
        name = self.name(area.u32(offset + 8, what + " name"), what)
        self.name(area.u32(offset + 12, what + " semantic"), what + " semantic")
        elements = area.u32(offset + 16, what + " element count")
        count = max(elements, 1)
        rows = cols = 1
        if cls in (T.PC_SCALAR, T.PC_VECTOR, T.PC_MATRIX_ROWS, T.PC_MATRIX_COLUMNS):
            if ptype not in T.NUMERIC_TYPES:
                fail("%s: numeric class with type %d" % (what, ptype))
            a, b = area.u32(offset + 20, what + " size"), area.u32(offset + 24, what + " size")
            cols, rows = (a, b) if cls == T.PC_VECTOR else (b, a)
            if not (1 <= rows <= 4 and 1 <= cols <= 4):
                fail("%s: bad size %dx%d" % (what, rows, cols))
            if elements > 65536:
                fail("%s: %d elements" % (what, elements))
            size = rows * cols * 4 * count
        elif cls == T.PC_OBJECT:
            if ptype not in (T.PT_STRING,) and ptype not in T.TEXTURE_TYPES | T.SAMPLER_TYPES | T.SHADER_TYPES:
                fail("%s: object class with type %d" % (what, ptype))
            if elements and ptype in T.SAMPLER_TYPES | T.SHADER_TYPES:
                fail("%s: arrays of samplers or shaders are not supported" % what)
            if elements > 65536:
                fail("%s: %d elements" % (what, elements))
            size = 4 * count
        elif cls == T.PC_STRUCT:
            if depth >= MAX_DEPTH:
                fail("%s: structures nested too deep" % what)
            members = area.u32(offset + 20, what + " member count")
            if members == 0 or members > MAX_MEMBERS:
                fail("%s: bad member count %d" % (what, members))
            fail("%s: structures are not supported" % what)
        else:
            fail("%s: unknown class %d" % (what, cls))
        return Typedef(ptype, cls, name, rows, cols, elements, size)

    def value(self, tdef, offset, what):
        """Checks a value; returns a short text for the dump."""
        raw = self.area.span(offset, tdef.size, what + " value")
        if tdef.cls == T.PC_OBJECT:
            if tdef.type in T.SAMPLER_TYPES:
                return self.sampler(offset, what)
            ids = struct.unpack("<%dI" % (len(raw) // 4), raw)
            for object_id in ids:
                if object_id >= self.object_count:
                    fail("%s: object id %d is not below the object count %d" % (what, object_id, self.object_count))
                self.object_refs[object_id] = tdef
            return "object " + ",".join(str(x) for x in ids)
        fmt = "f" if tdef.type == T.PT_FLOAT else "i"
        values = struct.unpack("<%d%s" % (len(raw) // 4, fmt), raw)
        return " ".join(("%g" % v) if fmt == "f" else str(v) for v in values)

    def sampler(self, offset, what):
        count = self.area.u32(offset, what + " state count")
        if count > (self.area.end - self.area.start) // 16:
            fail("%s: %d sampler states do not fit" % (what, count))
        states = []
        for i in range(count):
            swhat = "%s state %d" % (what, i)
            fields = [self.area.u32(offset + 4 + 16 * i + 4 * k, swhat) for k in range(4)]
            text, op, tdef = self.state_fields(fields, swhat)
            if not (T.SAMPLER_STATE_FIRST <= op <= T.SAMPLER_STATE_LAST):
                fail("%s: state %s is not a sampler state" % (what, T.STATE_NAMES[op]))
            states.append(tdef)
            self.lines.append("    " + text)
        self.sampler_states[self.current_param] = states
        return "%d states" % count

    def read(self):
        data = self.data
        if len(data) < 8:
            fail("effect shorter than its header")
        tag, hdr = struct.unpack_from("<II", data, 0)
        if tag != EFFECT_TAG:
            fail("not a binary effect (tag 0x%08x)" % tag)
        if hdr % 4 or 8 + hdr > len(data):
            fail("data area size %d does not fit the effect" % hdr)
        self.area = Bytes(data, 8, 8 + hdr, "data area")
        block = Bytes(data, 8, len(data), "effect")
        pos = hdr
        param_count, technique_count, _, object_count = (block.u32(pos + 4 * k, "header") for k in range(4))
        pos += 16
        if object_count > len(data) // 4 + 1:
            fail("object count %d is larger than the effect allows" % object_count)
        self.object_count = object_count
        remaining = len(data) - 8 - pos
        if param_count * 16 > remaining or technique_count * 12 > remaining:
            fail("parameter or technique count does not fit the effect")
        self.lines.append("effect: %d parameters, %d techniques, %d objects"
                          % (param_count, technique_count, object_count))
        self.params = []
        self.sampler_states = {}
        for i in range(param_count):
            what = "parameter %d" % i
            type_off, value_off = block.u32(pos, what), block.u32(pos + 4, what)
            annotations = block.u32(pos + 12, what)
            pos += 16
            tdef = self.typedef(type_off, what)
            if not tdef.name:
                fail("%s has no name" % what)
            self.current_param = i
            self.lines.append("parameter %s %s" % (tdef.describe(), tdef.name))
            text = self.value(tdef, value_off, "parameter '%s'" % tdef.name)
            self.lines.append("    value: " + text)
            pos = self.annotations(block, pos, annotations, "parameter '%s'" % tdef.name)
            self.params.append(tdef)
        self.techniques = []
        for t in range(technique_count):
            what = "technique %d" % t
            name = self.name(block.u32(pos, what), what, required=True)
            annotations, pass_count = block.u32(pos + 4, what), block.u32(pos + 8, what)
            pos = self.annotations(block, pos + 12, annotations, what)
            if pass_count * 12 > len(data):
                fail("%s: pass count %d does not fit" % (what, pass_count))
            self.lines.append("technique %s" % name)
            passes = []
            for p in range(pass_count):
                pwhat = "%s pass %d" % (what, p)
                pname = self.name(block.u32(pos, pwhat), pwhat, required=True)
                annotations, state_count = block.u32(pos + 4, pwhat), block.u32(pos + 8, pwhat)
                pos = self.annotations(block, pos + 12, annotations, pwhat)
                if state_count * 16 > len(data):
                    fail("%s: state count %d does not fit" % (pwhat, state_count))
                self.lines.append("  pass %s" % pname)
                states = []
                for s in range(state_count):
                    swhat = "%s state %d" % (pwhat, s)
                    fields = [block.u32(pos + 4 * k, swhat) for k in range(4)]
                    text, op, tdef = self.state_fields(fields, swhat)
                    states.append(tdef)
                    self.lines.append("    " + text)
                    pos += 16
                passes.append(states)
            self.techniques.append((name, passes))
        string_count, resource_count = block.u32(pos, "string count"), block.u32(pos + 4, "resource count")
        pos += 8
        if string_count * 8 > len(data) or resource_count * 24 > len(data):
            fail("string or resource count does not fit the effect")
        for i in range(string_count):
            what = "string entry %d" % i
            object_id, size = block.u32(pos, what), block.u32(pos + 4, what)
            raw = block.span(pos + 8, size, what + " data")
            pos += 8 + size + (-size % 4)
            block.span(pos - (-size % 4), -size % 4, what + " padding")
            if object_id >= object_count:
                fail("%s: object id %d is not below the object count" % (what, object_id))
            tdef = self.object_refs.get(object_id)
            if size and tdef is None:
                fail("%s: object %d belongs to no parameter" % (what, object_id))
            if size:
                if tdef.type in T.SHADER_TYPES:
                    profile, _ = check_shader(raw, what, tdef.type == T.PT_PIXELSHADER)
                elif tdef.type == T.PT_STRING:
                    if raw[-1] != 0:
                        fail("%s: string is not NUL-terminated" % what)
                else:
                    fail("%s: data for a %s object" % (what, tdef.describe()))
            self.lines.append("object %d: %d bytes" % (object_id, size))
        for i in range(resource_count):
            what = "resource %d" % i
            fields = [block.u32(pos + 4 * k, what) for k in range(6)]
            technique, index, element, state_index, usage, size = fields
            raw = block.span(pos + 24, size, what + " data")
            pos += 24 + size + (-size % 4)
            block.span(pos - (-size % 4), -size % 4, what + " padding")
            if technique == NO_INDEX:
                if index >= param_count or index not in self.sampler_states:
                    fail("%s: parameter %d is not a sampler" % (what, index))
                states = self.sampler_states[index]
                owner = "sampler '%s'" % self.params[index].name
            else:
                if technique >= technique_count or index >= len(self.techniques[technique][1]):
                    fail("%s: technique %d pass %d does not exist" % (what, technique, index))
                states = self.techniques[technique][1][index]
                owner = "technique '%s' pass %d" % (self.techniques[technique][0], index)
            if element != NO_INDEX:
                fail("%s: array elements are not supported" % what)
            if state_index >= len(states):
                fail("%s: state %d does not exist" % (what, state_index))
            tdef = states[state_index]
            if usage == 0:
                if tdef.type not in T.SHADER_TYPES:
                    fail("%s: bytecode for a %s state" % (what, tdef.describe()))
                profile, constants = check_shader(raw, what, tdef.type == T.PT_PIXELSHADER)
                self.lines.append("resource: %s state %d: %s shader, %d bytes, constants %s" % (
                    owner, state_index, profile, size,
                    ", ".join("%s=%s%d(%d)" % c for c in constants) or "none"))
            elif usage == 1:
                if not raw or raw[-1] != 0:
                    fail("%s: parameter name is not NUL-terminated" % what)
                target = raw[:-1].split(b"\0")[0].decode("latin-1")
                match = next((p for p in self.params if p.name == target), None)
                if match is None:
                    fail("%s: no parameter named '%s'" % (what, target))
                if not same_family(tdef, match):
                    fail("%s: '%s' (%s) cannot feed a %s state" % (what, target, match.describe(), tdef.describe()))
                self.lines.append("resource: %s state %d: refers to '%s'" % (owner, state_index, target))
            else:
                fail("%s: usage %d not supported" % (what, usage))
        if pos + 8 != len(data):
            fail("%d bytes after the last resource" % (len(data) - 8 - pos))
        return self.lines

    def state_fields(self, fields, what):
        """Checks one state record (operation, index, typedef, value)."""
        op, index, type_off, value_off = fields
        if op >= T.STATE_COUNT:
            fail("%s: operation %d is outside the state table" % (what, op))
        name = T.STATE_NAMES[op]
        tdef = self.typedef(type_off, what)
        if op in (T.STATE_VERTEXSHADER, T.STATE_PIXELSHADER):
            wanted = T.PT_VERTEXSHADER if op == T.STATE_VERTEXSHADER else T.PT_PIXELSHADER
            ok = tdef.cls == T.PC_OBJECT and tdef.type == wanted
        elif op == T.STATE_TEXTURE:
            ok = tdef.cls == T.PC_OBJECT and tdef.type in T.TEXTURE_TYPES
        elif op <= T.STATE_IDS["fvf"] or T.SAMPLER_STATE_FIRST < op <= T.SAMPLER_STATE_LAST:
            ok = tdef.cls == T.PC_SCALAR and not tdef.elements
        else:
            fail("%s: state %s is not supported" % (what, name))
        if not ok:
            fail("%s: state %s holds a %s" % (what, name, tdef.describe()))
        text = self.value(tdef, value_off, what)
        return "%s[%d] = %s (%s)" % (name, index, text, tdef.describe()), op, tdef

    def annotations(self, block, pos, count, what):
        if count * 8 > len(self.data):
            fail("%s: annotation count %d does not fit" % (what, count))
        for i in range(count):
            awhat = "%s annotation %d" % (what, i)
            tdef = self.typedef(block.u32(pos, awhat), awhat)
            if tdef.type in T.SAMPLER_TYPES:
                fail("%s: sampler annotations are not supported" % awhat)
            self.value(tdef, block.u32(pos + 4, awhat), awhat)
            pos += 8
        return pos


def same_family(state_type, param):
    if param.cls != T.PC_OBJECT or param.elements:
        return False
    if state_type.type in T.TEXTURE_TYPES:
        return param.type in T.TEXTURE_TYPES
    return param.type == state_type.type


def check_effect(data):
    """Returns the dump lines; raises FormatError when the bytes are malformed."""
    return EffectReader(bytes(data)).read()
