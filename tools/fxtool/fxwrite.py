"""Writer of the binary effect format (fx_2_0) and of shader constant tables.

Layout choices follow what Microsoft's effect compiler writes where known: a
zero DWORD opens the data area (offset 0 = no name), each object gets its own
id starting at 1, top-level textures get an empty entry in the strings
section, shaders are stored inline per pass (one copy per pass) as resources,
and a sampler's Texture state refers to its texture parameter by name.
"""

import struct

import fxasm
import fxtables as T
from fxerrors import SourceError

EFFECT_TAG = 0xFEFF0901
CTAB_FOURCC = 0x42415443
CTAB_CREATOR = "Corvalline fxtool 1.0"
RS_BOOL, RS_INT4, RS_FLOAT4, RS_SAMPLER = 0, 1, 2, 3
REGISTER_SETS = {"b": RS_BOOL, "i": RS_INT4, "c": RS_FLOAT4, "s": RS_SAMPLER}
NO_ELEMENT = 0xFFFFFFFF
USAGE_BYTECODE, USAGE_PARAMETER = 0, 1


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def dwords(values):
    return struct.pack("<%dI" % len(values), *values)


def float_dword(value):
    return struct.unpack("<I", struct.pack("<f", value))[0]


# --- shaders --------------------------------------------------------------
def binding_count(param, layout):
    if param.cls == T.PC_MATRIX_ROWS:
        return param.rows if layout == "rows" else param.cols
    return 1


def check_bindings(effect, shader, asm):
    """Checks the shader's bindings against its code; returns CTAB entries."""
    where = effect.where
    limits = asm.profile.limits
    used = {}
    entries = []
    for pname, letter, index, layout, line in shader.bindings:
        param = effect.param(pname)
        if param.type in T.TEXTURE_TYPES:
            raise SourceError(where, line, "bind the sampler of '%s', not the texture" % pname)
        wanted = "s" if param.type in T.SAMPLER_TYPES else \
            {T.PT_FLOAT: "c", T.PT_INT: "i", T.PT_BOOL: "b"}.get(param.type)
        if letter != wanted:
            raise SourceError(where, line, "'%s' needs a %s register, not %s%d"
                              % (pname, wanted, letter, index))
        if any(e[0].name == pname for e in entries):
            raise SourceError(where, line, "'%s' is bound twice" % pname)
        if layout == "columns" and param.cls != T.PC_MATRIX_ROWS:
            raise SourceError(where, line, "'columns' applies to matrices only")
        count = binding_count(param, layout)
        if index + count > limits.get(letter, 0):
            raise SourceError(where, line, "%s%d..%s%d is out of range for %s"
                              % (letter, index, letter, index + count - 1, asm.profile.name))
        registers = [(letter, index + k) for k in range(count)]
        for reg in registers:
            if reg in used:
                raise SourceError(where, line, "%s%d is already bound to '%s'" % (reg[0], reg[1], used[reg]))
            if reg in asm.defined:
                raise SourceError(where, line, "%s%d is also set by a def" % reg)
            used[reg] = pname
        if not any(reg in asm.reads for reg in registers):
            raise SourceError(where, line, "'%s' is bound but the shader never reads it" % pname)
        entries.append((param, letter, index, count, layout))
    for reg in sorted(asm.reads):
        if reg not in used and reg not in asm.defined:
            raise SourceError(where, shader.line, "shader '%s' reads %s%d, which is neither bound nor defined"
                              % (shader.name, reg[0], reg[1]))
    return entries


def build_ctab(entries, profile):
    """Constant table bytes (without the comment token and fourcc)."""
    header_size, info_size = 28, 20
    blob = bytearray(header_size + info_size * len(entries))
    infos = []
    for param, letter, index, count, layout in entries:
        name_off = len(blob)
        blob += pad4(param.name.encode("ascii") + b"\0")
        type_off = len(blob)
        cls = T.PC_MATRIX_COLUMNS if layout == "columns" else param.cls
        blob += struct.pack("<6HI", cls, param.type, param.rows, param.cols, 1, 0, 0)
        infos.append(struct.pack("<IHHHHII", name_off, REGISTER_SETS[letter], index, count, 0, type_off, 0))
    target_off = len(blob)
    blob += pad4(profile.name.encode("ascii") + b"\0")
    creator_off = len(blob)
    blob += pad4(CTAB_CREATOR.encode("ascii") + b"\0")
    struct.pack_into("<7I", blob, 0, header_size, creator_off, profile.version_token,
                     len(entries), header_size, 0, target_off)
    for i, info in enumerate(infos):
        blob[header_size + i * info_size:header_size + (i + 1) * info_size] = info
    return bytes(blob)


def build_shader(effect, shader):
    asm = fxasm.assemble(shader.lines, shader.profile, effect.where)
    entries = check_bindings(effect, shader, asm)
    ctab = build_ctab(entries, asm.profile)
    comment = [fxasm.COMMENT_OPCODE | ((1 + len(ctab) // 4) << 16), CTAB_FOURCC]
    tokens = asm.tokens[:1] + comment + list(struct.unpack("<%dI" % (len(ctab) // 4), ctab)) + asm.tokens[1:]
    return dwords(tokens)


# --- container ----------------------------------------------------------------
class ContainerWriter:
    def __init__(self):
        self.data = bytearray(4)  # offset 0 = no name
        self.block = bytearray()
        self.next_id = 1
        self.strings = []    # (object id, bytes)
        self.resources = []  # (technique, index, element, state, usage, bytes)
        self.shader_count = 0

    def put(self, raw):
        offset = len(self.data)
        self.data += raw
        return offset

    def name(self, text):
        raw = text.encode("ascii") + b"\0"
        return self.put(pad4(struct.pack("<I", len(raw)) + raw))

    def typedef(self, name_off, ptype, cls, rows=1, cols=1):
        fields = [ptype, cls, name_off, 0, 0]
        if cls == T.PC_VECTOR:
            fields += [cols, rows]
        elif cls in (T.PC_SCALAR, T.PC_MATRIX_ROWS, T.PC_MATRIX_COLUMNS):
            fields += [rows, cols]
        return self.put(dwords(fields))

    def new_object(self):
        object_id = self.next_id
        self.next_id += 1
        return object_id

    def state(self, state, shaders, owner, state_index):
        """Writes a state's typedef and value; returns the 4-DWORD record."""
        if state.kind in ("bool", "int", "float"):
            ptype = {"bool": T.PT_BOOL, "int": T.PT_INT, "float": T.PT_FLOAT}[state.kind]
            type_off = self.typedef(0, ptype, T.PC_SCALAR)
            raw = float_dword(state.value) if state.kind == "float" else state.value & 0xFFFFFFFF
            value_off = self.put(dwords([raw]))
        else:
            if state.kind == "texture":
                ptype = T.PT_TEXTURE
            else:
                ptype = T.PT_PIXELSHADER if state.op == T.STATE_PIXELSHADER else T.PT_VERTEXSHADER
                self.shader_count += 1
            type_off = self.typedef(0, ptype, T.PC_OBJECT)
            object_id = self.new_object()
            value_off = self.put(dwords([object_id]))
            technique, index = owner
            if state.kind == "texture":
                self.resources.append((technique, index, NO_ELEMENT, state_index, USAGE_PARAMETER,
                                       state.value.encode("ascii") + b"\0"))
            elif state.kind == "shader":
                self.resources.append((technique, index, NO_ELEMENT, state_index, USAGE_BYTECODE,
                                       shaders[state.value]))
        return [state.op, state.index, type_off, value_off]

    def parameter(self, param_index, param, shaders):
        name_off = self.name(param.name)
        type_off = self.typedef(name_off, param.type, param.cls, param.rows, param.cols)
        if param.type in T.SAMPLER_TYPES:
            records = []
            for i, state in enumerate(param.states):
                records += self.state(state, shaders, (NO_ELEMENT, param_index), i)
            value_off = self.put(dwords([len(param.states)] + records))
        elif param.cls == T.PC_OBJECT:
            object_id = self.new_object()
            value_off = self.put(dwords([object_id]))
            self.strings.append((object_id, b""))
        else:
            values = param.default or [0] * (param.rows * param.cols)
            raw = [float_dword(v) if param.type == T.PT_FLOAT else int(v) & 0xFFFFFFFF for v in values]
            value_off = self.put(dwords(raw))
        self.block += dwords([type_off, value_off, 0, 0])

    def write(self, effect, shaders):
        for i, param in enumerate(effect.params):
            self.parameter(i, param, shaders)
        for t, tech in enumerate(effect.techniques):
            self.block += dwords([self.name(tech.name), 0, len(tech.passes)])
            for p, pas in enumerate(tech.passes):
                self.block += dwords([self.name(pas.name), 0, len(pas.states)])
                for s, state in enumerate(pas.states):
                    self.block += dwords(self.state(state, shaders, (t, p), s))
        head = dwords([len(effect.params), len(effect.techniques), self.shader_count, self.next_id])
        tail = bytearray(dwords([len(self.strings), len(self.resources)]))
        for object_id, raw in self.strings:
            tail += dwords([object_id, len(raw)]) + pad4(raw)
        for technique, index, element, state, usage, raw in self.resources:
            tail += dwords([technique, index, element, state, usage, len(raw)]) + pad4(raw)
        data = pad4(bytes(self.data))
        return dwords([EFFECT_TAG, len(data)]) + data + head + bytes(self.block) + bytes(tail)


def build_effect(effect):
    shaders = {shader.name: build_shader(effect, shader) for shader in effect.shaders}
    return ContainerWriter().write(effect, shaders)
