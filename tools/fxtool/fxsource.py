"""Parser of the effect source format (see README.md beside this file).

The format is line oriented: one declaration, state or instruction a line,
blocks opened by "{" at the end of a line and closed by "}" alone on a line.
Every mistake raises SourceError with the file and line.
"""

import re

import fxasm
import fxtables as T
from fxerrors import SourceError

NAME_RE = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
NUMERIC_RE = re.compile(r"^(float|int|bool)([1-4])?(?:x([1-4]))?$")
STATE_RE = re.compile(r"^([A-Za-z_][A-Za-z0-9_]*)(?:\[(\d+)\])?\s*=\s*(.+)$")


class Param:
    def __init__(self, name, ptype, pclass, rows, cols, line):
        self.name, self.type, self.cls = name, ptype, pclass
        self.rows, self.cols, self.line = rows, cols, line
        self.default = None
        self.states = []  # sampler states

    @property
    def is_numeric(self):
        return self.type in T.NUMERIC_TYPES


class State:
    def __init__(self, name, op, index, line):
        self.name, self.op, self.index, self.line = name, op, index, line
        self.kind = None   # "bool", "int", "float", "texture", "shader", "null"
        self.value = None  # number, or the name of a parameter / shader


class Shader:
    def __init__(self, name, profile, line):
        self.name, self.profile, self.line = name, profile, line
        self.bindings = []  # (param name, register letter, index, layout, line)
        self.lines = []     # (line, text)


class Pass:
    def __init__(self, name, line):
        self.name, self.line, self.states = name, line, []


class Technique:
    def __init__(self, name, line):
        self.name, self.line, self.passes = name, line, []


class Effect:
    def __init__(self, where):
        self.where = where
        self.params, self.shaders, self.techniques = [], [], []

    def param(self, name):
        return next((p for p in self.params if p.name == name), None)

    def shader(self, name):
        return next((s for s in self.shaders if s.name == name), None)


def strip_comment(text):
    pos = text.find("//")
    return (text if pos < 0 else text[:pos]).strip()


class Parser:
    def __init__(self, text, where):
        self.where = where
        self.lines = text.splitlines()
        self.pos = 0
        self.effect = Effect(where)
        self.line = 0

    def fail(self, message, line=None):
        raise SourceError(self.where, self.line if line is None else line, message)

    def next_line(self):
        """The next non-empty line without comment and trailing ';', or None."""
        while self.pos < len(self.lines):
            self.pos += 1
            self.line = self.pos
            text = strip_comment(self.lines[self.pos - 1])
            while text.endswith(";"):
                text = text[:-1].rstrip()
            if text:
                return text
        return None

    def check_name(self, name, what):
        if not NAME_RE.match(name):
            self.fail("bad %s name '%s'" % (what, name))

    def check_new_global(self, name):
        if self.effect.param(name) or self.effect.shader(name):
            self.fail("'%s' is declared twice" % name)

    def parse(self):
        while True:
            text = self.next_line()
            if text is None:
                break
            words = text.split()
            keyword = words[0].lower()
            if keyword == "technique":
                self.technique(words)
            elif keyword in ("pixelshader", "vertexshader"):
                self.shader(keyword, words)
            elif keyword in T.OBJECT_TYPE_NAMES and T.OBJECT_TYPE_NAMES[keyword] in T.SAMPLER_TYPES:
                self.sampler(keyword, words)
            else:
                self.parameter(text)
        self.resolve()
        return self.effect

    def open_block(self, words, count, usage):
        if len(words) != count + 1 or words[-1] != "{":
            self.fail("expected '%s {'" % usage)

    # --- parameters ------------------------------------------------------
    def parameter(self, text):
        decl, eq, default = text.partition("=")
        words = decl.split()
        if len(words) != 2:
            self.fail("expected '<type> <name> [= values]', got '%s'" % text)
        type_name, name = words
        self.check_name(name, "parameter")
        self.check_new_global(name)
        low = type_name.lower()
        if low in T.OBJECT_TYPE_NAMES:
            param = Param(name, T.OBJECT_TYPE_NAMES[low], T.PC_OBJECT, 1, 1, self.line)
            if eq:
                self.fail("texture parameters take no default value")
        else:
            match = NUMERIC_RE.match(type_name)
            if not match:
                self.fail("unknown type '%s'" % type_name)
            base = {"float": T.PT_FLOAT, "int": T.PT_INT, "bool": T.PT_BOOL}[match.group(1)]
            first, second = match.group(2), match.group(3)
            if second:  # matrix: rows x columns, stored as rows
                param = Param(name, base, T.PC_MATRIX_ROWS, int(first), int(second), self.line)
            elif first:
                param = Param(name, base, T.PC_VECTOR, 1, int(first), self.line)
            else:
                param = Param(name, base, T.PC_SCALAR, 1, 1, self.line)
            if eq:
                param.default = self.numbers(default, param.rows * param.cols, base)
        self.effect.params.append(param)

    def numbers(self, text, count, base):
        text = text.strip()
        if text.startswith("{") and text.endswith("}"):
            text = text[1:-1]
        items = [x.strip() for x in text.split(",")]
        if len(items) != count:
            self.fail("expected %d value%s, got %d" % (count, "" if count == 1 else "s", len(items)))
        values = []
        for item in items:
            try:
                if base == T.PT_FLOAT:
                    values.append(float(item))
                elif base == T.PT_BOOL:
                    if item.lower() not in ("true", "false"):
                        raise ValueError
                    values.append(1 if item.lower() == "true" else 0)
                else:
                    values.append(int(item, 0))
            except ValueError:
                self.fail("bad value '%s'" % item)
        return values

    # --- samplers ----------------------------------------------------------
    def sampler(self, keyword, words):
        self.open_block(words, 2, "%s <name> {" % words[0])
        name = words[1]
        self.check_name(name, "sampler")
        self.check_new_global(name)
        param = Param(name, T.OBJECT_TYPE_NAMES[keyword], T.PC_OBJECT, 1, 1, self.line)
        start = self.line
        while True:
            text = self.next_line()
            if text is None:
                self.fail("sampler '%s' is not closed" % name, start)
            if text == "}":
                break
            if text.endswith("{"):
                self.fail("sampler '%s' is not closed" % name, start)
            state = self.state(text)
            if not T.SAMPLER_STATE_FIRST <= state.op <= T.SAMPLER_STATE_LAST:
                self.fail("'%s' is not a sampler state" % state.name)
            if state.index:
                self.fail("sampler states take no index")
            if state.kind in ("shader", "null"):
                self.fail("a sampler state cannot hold a shader")
            if any(s.op == state.op for s in param.states):
                self.fail("sampler state '%s' is set twice" % state.name)
            param.states.append(state)
        self.effect.params.append(param)

    def state(self, text):
        match = STATE_RE.match(text)
        if not match:
            self.fail("expected '<State> = <value>', got '%s'" % text)
        name, index, value = match.group(1), match.group(2), match.group(3).strip()
        op = T.STATE_IDS.get(name.lower())
        if op is None:
            self.fail("unknown state '%s'" % name)
        state = State(name, op, int(index) if index else 0, self.line)
        low_name, low_value = name.lower(), value.lower()
        if value.startswith("<") and value.endswith(">"):
            value = value[1:-1].strip()
            low_value = value.lower()
        if op in (T.STATE_VERTEXSHADER, T.STATE_PIXELSHADER):
            state.kind, state.value = ("null", None) if low_value == "null" else ("shader", value)
        elif op == T.STATE_TEXTURE:
            state.kind, state.value = "texture", value
        elif low_name in T.BOOL_STATES:
            if low_value not in ("true", "false"):
                self.fail("state '%s' takes TRUE or FALSE" % name)
            state.kind, state.value = "bool", 1 if low_value == "true" else 0
        elif low_name in T.FLOAT_STATES:
            try:
                state.kind, state.value = "float", float(value)
            except ValueError:
                self.fail("state '%s' takes a number" % name)
        else:
            state.kind = "int"
            if low_name in T.FILTER_STATES and low_value == "none":
                state.value = T.FILTER_NONE
            elif low_value in T.ENUM_VALUES:
                state.value = T.ENUM_VALUES[low_value]
            else:
                try:
                    state.value = int(value, 0)
                except ValueError:
                    self.fail("unknown value '%s' for state '%s'" % (value, name))
        return state

    # --- shaders -------------------------------------------------------------
    def shader(self, keyword, words):
        self.open_block(words, 3, "%s <name> <profile> {" % keyword)
        name, profile = words[1], words[2].lower()
        self.check_name(name, "shader")
        self.check_new_global(name)
        if profile not in fxasm.REGISTER_LIMITS:
            self.fail("unknown shader profile '%s' (ps_2_0, ps_3_0, vs_2_0, vs_3_0)" % profile)
        if not profile.startswith("ps_" if keyword == "pixelshader" else "vs_"):
            self.fail("profile '%s' does not fit a %s" % (profile, keyword))
        shader = Shader(name, profile, self.line)
        start = self.line
        while True:
            text = self.next_line()
            if text is None:
                self.fail("shader '%s' is not closed" % name, start)
            if text == "}":
                break
            if text.endswith("{"):
                self.fail("shader '%s' is not closed" % name, start)
            words = text.split()
            if words[0].lower() == "bind":
                if len(words) not in (3, 4):
                    self.fail("expected 'bind <parameter> <register> [rows|columns]'")
                layout = words[3].lower() if len(words) == 4 else "rows"
                if layout not in ("rows", "columns"):
                    self.fail("matrix layout must be 'rows' or 'columns', got '%s'" % words[3])
                reg = re.match(r"^([cibs])(\d+)$", words[2].lower())
                if not reg:
                    self.fail("bad binding register '%s' (c#, i#, b# or s#)" % words[2])
                shader.bindings.append((words[1], reg.group(1), int(reg.group(2)), layout, self.line))
            else:
                shader.lines.append((self.line, text))
        if not shader.lines:
            self.fail("shader '%s' has no instructions" % name, start)
        self.effect.shaders.append(shader)

    # --- techniques ------------------------------------------------------------
    def technique(self, words):
        self.open_block(words, 2, "technique <name> {")
        tech = Technique(words[1], self.line)
        self.check_name(tech.name, "technique")
        if any(t.name == tech.name for t in self.effect.techniques):
            self.fail("technique '%s' is declared twice" % tech.name)
        start = self.line
        while True:
            text = self.next_line()
            if text is None:
                self.fail("technique '%s' is not closed" % tech.name, start)
            if text == "}":
                break
            words = text.split()
            if words[0].lower() != "pass":
                self.fail("expected 'pass <name> {' inside a technique")
            self.open_block(words, 2, "pass <name> {")
            p = Pass(words[1], self.line)
            self.check_name(p.name, "pass")
            if any(q.name == p.name for q in tech.passes):
                self.fail("pass '%s' is declared twice" % p.name)
            pass_start = self.line
            while True:
                text = self.next_line()
                if text is None:
                    self.fail("pass '%s' is not closed" % p.name, pass_start)
                if text == "}":
                    break
                if text.endswith("{"):
                    self.fail("pass '%s' is not closed" % p.name, pass_start)
                state = self.state(text)
                if any(s.op == state.op and s.index == state.index for s in p.states):
                    self.fail("state '%s' is set twice in this pass" % state.name)
                p.states.append(state)
            tech.passes.append(p)
        if not tech.passes:
            self.fail("technique '%s' has no pass" % tech.name, start)
        self.effect.techniques.append(tech)

    # --- references -------------------------------------------------------------
    def resolve(self):
        effect = self.effect
        if not effect.techniques:
            self.fail("the effect has no technique", max(self.line, 1))
        for param in effect.params:
            for state in param.states:
                if state.kind == "texture":
                    self.resolve_texture(state)
        for tech in effect.techniques:
            for p in tech.passes:
                for state in p.states:
                    if state.kind == "texture":
                        self.resolve_texture(state)
                    elif state.kind == "shader":
                        shader = effect.shader(state.value)
                        if shader is None:
                            self.fail("unknown shader '%s'" % state.value, state.line)
                        wanted = "ps_" if state.op == T.STATE_PIXELSHADER else "vs_"
                        if not shader.profile.startswith(wanted):
                            self.fail("shader '%s' is not a %s" % (shader.name, state.name), state.line)
        for shader in effect.shaders:
            for pname, letter, index, layout, line in shader.bindings:
                param = effect.param(pname)
                if param is None:
                    self.fail("unknown parameter '%s'" % pname, line)

    def resolve_texture(self, state):
        target = self.effect.param(state.value)
        if target is None or target.type not in T.TEXTURE_TYPES:
            self.fail("'%s' is not a texture parameter" % state.value, state.line)


def parse(text, where):
    return Parser(text, where).parse()
