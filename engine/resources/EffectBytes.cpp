#include "engine/resources/EffectBytes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kEffectTag = 0xFEFF0901u;
constexpr uint32_t kNoIndex = 0xFFFFFFFFu;
constexpr uint32_t kEndToken = 0x0000FFFFu;
constexpr uint32_t kCommentOpcode = 0xFFFEu;
constexpr uint32_t kCtabFourcc = 0x42415443u;                 // "CTAB"
constexpr uint32_t kRejectedComments[] = {0x53455250u, 0x49535250u, 0x434C5846u, 0x54494C43u};
constexpr uint32_t kCtabHeaderSize = 28;
constexpr uint32_t kMaxElements = 65536;

// D3DXPARAMETER_TYPE / D3DXPARAMETER_CLASS values.
enum : uint32_t {
    kTypeBool = 1, kTypeInt = 2, kTypeFloat = 3, kTypeString = 4,
    kTypeTexture = 5, kTypeTextureCube = 9, kTypeSampler = 10, kTypeSamplerCube = 14,
    kTypePixelShader = 15, kTypeVertexShader = 16,
};
enum : uint32_t {
    kClassScalar = 0, kClassVector = 1, kClassMatrixRows = 2, kClassMatrixColumns = 3,
    kClassObject = 4, kClassStruct = 5,
};
// Positions in D3DX9's 179-entry state table.
constexpr uint32_t kStateCount = 179;
constexpr uint32_t kStateFvf = 0x7a;
constexpr uint32_t kStateVertexShader = 0x92;
constexpr uint32_t kStatePixelShader = 0x93;
constexpr uint32_t kStateTexture = 0xa4;
constexpr uint32_t kStateLastSampler = 0xb1;

bool IsNumericType(uint32_t t) { return t == kTypeBool || t == kTypeInt || t == kTypeFloat; }
bool IsTextureType(uint32_t t) { return t >= kTypeTexture && t <= kTypeTextureCube; }
bool IsSamplerType(uint32_t t) { return t >= kTypeSampler && t <= kTypeSamplerCube; }
bool IsShaderType(uint32_t t) { return t == kTypePixelShader || t == kTypeVertexShader; }

// A [begin, end) window of the effect; every read is checked against it.
struct Area {
    const uint8_t* base;
    size_t size;

    bool Has(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
    bool Read(uint64_t offset, uint32_t& value) const
    {
        if (!Has(offset, 4)) return false;
        std::memcpy(&value, base + offset, 4);
        return true;
    }
};

struct Typedef {
    uint32_t type = 0;
    uint32_t cls = 0;
    uint32_t elements = 0;
    uint64_t valueSize = 0;
    std::string name;
};

// A C string of `size` bytes (NUL included) at offset; must end in NUL.
bool ReadSizedString(const Area& area, uint64_t offset, uint32_t size, std::string& out)
{
    if (size == 0 || !area.Has(offset, size) || area.base[offset + size - 1] != 0) return false;
    out.assign(reinterpret_cast<const char*>(area.base + offset));
    return true;
}

// A NUL-terminated string starting at offset and ending inside the area.
bool HasCString(const Area& area, uint64_t offset)
{
    if (offset >= area.size) return false;
    return std::memchr(area.base + offset, 0, area.size - offset) != nullptr;
}

bool CheckCtab(const Area& ctab, uint32_t version)
{
    uint32_t headerSize = 0, creator = 0, tableVersion = 0, count = 0, info = 0, flags = 0, target = 0;
    if (!ctab.Read(0, headerSize) || !ctab.Read(4, creator) || !ctab.Read(8, tableVersion) ||
        !ctab.Read(12, count) || !ctab.Read(16, info) || !ctab.Read(20, flags) || !ctab.Read(24, target))
        return false;
    if (headerSize != kCtabHeaderSize || tableVersion != version) return false;
    if ((creator && !HasCString(ctab, creator)) || (target && !HasCString(ctab, target))) return false;
    if (count > ctab.size / 20 || !ctab.Has(info, uint64_t(count) * 20)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = info + uint64_t(i) * 20;
        uint32_t nameOffset = 0, registers = 0, registerCount = 0, typeOffset = 0, defaultOffset = 0, typeWord = 0;
        ctab.Read(entry, nameOffset);
        ctab.Read(entry + 4, registers);
        ctab.Read(entry + 8, registerCount);
        ctab.Read(entry + 12, typeOffset);
        ctab.Read(entry + 16, defaultOffset);
        if (!HasCString(ctab, nameOffset)) return false;
        if ((registers & 0xFFFF) > 3) return false;
        if (!ctab.Has(typeOffset, 16) || !ctab.Read(typeOffset + 8, typeWord)) return false;
        if ((typeWord >> 16) != 0) return false;  // structure constants are not supported
        if (defaultOffset && !ctab.Has(defaultOffset, uint64_t(registerCount & 0xFFFF) * 16)) return false;
    }
    return true;
}

// Parameter-token count of each shader model 2/3 opcode (-1: not an opcode
// of these models); sincos has a 2-source and a 0-source form.
int InstructionLength(uint32_t opcode)
{
    static const signed char kLengths[] = {
        0, 2, 3, 3, 4, 3, 2, 2, 3, 3, 3, 3, 3, 3, 2, 2,        // nop .. log
        2, 3, 4, 2, 3, 3, 3, 3, 3, 1, 2, 2, 0, 0, 1, 2,        // lit .. dcl
        3, 3, 4, 2, 2, 4, 1, 0, 1, 2, 0, 0, 0, 2, 2, 2,        // pow .. defb
        5,                                                     // defi
    };
    if (opcode < sizeof(kLengths)) return kLengths[opcode];
    switch (opcode) {
    case 65: return 1;  // texkill
    case 66: return 3;  // texld
    case 78: return 2;  // expp
    case 79: return 2;  // logp
    case 81: return 5;  // def
    case 88: return 4;  // cmp
    case 90: return 4;  // dp2add
    case 91: return 2;  // dsx
    case 92: return 2;  // dsy
    case 93: return 5;  // texldd
    case 94: return 3;  // setp
    case 95: return 3;  // texldl
    case 96: return 1;  // breakp
    default: return -1;
    }
}

// Number of registers of each register type (the larger of shader models
// 2 and 3); 0 for types these models do not use.
uint32_t RegisterCount(uint32_t type)
{
    static const uint16_t kCounts[20] = {32, 16, 256, 8, 3, 2, 12, 16, 4, 1, 16, 0, 0, 0, 16, 1, 0, 2, 2048, 1};
    return type < 20 ? kCounts[type] : 0;
}

// One instruction: a known opcode with its parameter count, no predicate,
// co-issue or relative addressing, valid register tokens, and no raw value
// that D3DX9's token-by-token comment search could take for END or a comment.
bool CheckInstruction(const Area& code, size_t at, size_t length)
{
    constexpr uint32_t kOpDcl = 31, kOpDefb = 47, kOpDefi = 48, kOpDef = 81, kOpSincos = 37;
    uint32_t token = 0;
    code.Read(at * 4, token);
    const uint32_t opcode = token & 0xFFFF;
    if (token & 0xF0000000u) return false;
    const int wanted = InstructionLength(opcode);
    if (wanted < 0) return false;
    if (size_t(wanted) != length && !(opcode == kOpSincos && length == 2)) return false;
    for (size_t k = 1; k <= length; ++k) {
        uint32_t word = 0;
        code.Read((at + k) * 4, word);
        if (word == kEndToken || (word & 0xFFFF) == kCommentOpcode) return false;
        const bool rawValue = ((opcode == kOpDef || opcode == kOpDefi) && k >= 2) || (opcode == kOpDefb && k == 2);
        if (rawValue) continue;
        if (!(word & 0x80000000u)) return false;
        if (opcode == kOpDcl && k == 1) continue;  // usage token
        if (word & 0x2000) return false;           // relative addressing is not supported
        const uint32_t type = ((word >> 28) & 7) | ((word >> 8) & 0x18);
        if ((word & 0x7FF) >= RegisterCount(type)) return false;
    }
    return true;
}

// Shader bytecode: shader model 2 or 3 of the wanted kind, a token walk that
// stays inside the bytes and ends exactly at END, no operand that a naive
// comment search could take for END or a comment, and a sound CTAB.
bool CheckShader(const Area& code, uint32_t wantedType)
{
    if (code.size < 8 || code.size % 4) return false;
    const size_t n = code.size / 4;
    uint32_t version = 0;
    code.Read(0, version);
    const uint32_t kind = version >> 16, major = (version >> 8) & 0xFF, minor = version & 0xFF;
    if ((kind != 0xFFFF && kind != 0xFFFE) || (major != 2 && major != 3) || minor > 1) return false;
    if ((kind == 0xFFFF) != (wantedType == kTypePixelShader)) return false;
    size_t i = 1;
    for (;;) {
        if (i >= n) return false;
        uint32_t token = 0;
        code.Read(i * 4, token);
        if (token == kEndToken) return i == n - 1;
        if ((token & 0xFFFF) == kCommentOpcode) {
            const size_t length = token >> 16;
            if (length > n - i - 1) return false;
            if (length >= 1) {
                uint32_t fourcc = 0;
                code.Read((i + 1) * 4, fourcc);
                for (uint32_t rejected : kRejectedComments)
                    if (fourcc == rejected) return false;
                if (fourcc == kCtabFourcc) {
                    const Area ctab{code.base + (i + 2) * 4, (length - 1) * 4};
                    if (!CheckCtab(ctab, version)) return false;
                }
            }
            i += 1 + length;
            continue;
        }
        const size_t length = (token >> 24) & 0xF;
        if (length > n - i - 1 || !CheckInstruction(code, i, length)) return false;
        i += 1 + length;
    }
}

class EffectChecker {
public:
    EffectChecker(const uint8_t* data, size_t size) : file_{data, size} {}

    bool Run();

private:
    struct StateInfo {
        uint32_t type;
    };
    struct ParamInfo {
        Typedef def;
        bool isSampler = false;
        std::vector<StateInfo> samplerStates;
    };

    bool Name(uint32_t offset, bool required, std::string& out) const;
    bool ReadTypedef(uint32_t offset, Typedef& out) const;
    bool Value(const Typedef& def, uint32_t offset, std::vector<StateInfo>* samplerStates);
    bool State(const uint32_t fields[4], StateInfo& out);
    bool Annotations(uint64_t& pos, uint32_t count);
    bool Block(uint64_t pos, uint32_t& value) const { return block_.Read(pos, value); }

    Area file_;
    Area data_{};   // the data area: names, typedefs, values
    Area block_{};  // everything after the 8-byte file header
    uint32_t objectCount_ = 0;
    std::vector<uint32_t> objectTypes_;  // type of the value holding each object id; 0 = none
    std::vector<ParamInfo> params_;
    std::vector<std::vector<std::vector<StateInfo>>> techniques_;
};

bool EffectChecker::Name(uint32_t offset, bool required, std::string& out) const
{
    // D3DX9 reads the length at every name offset, 0 included.
    out.clear();
    uint32_t size;
    if (!data_.Read(offset, size)) return false;
    if (size == 0) return !required;
    return ReadSizedString(data_, uint64_t(offset) + 4, size, out);
}

bool EffectChecker::ReadTypedef(uint32_t offset, Typedef& out) const
{
    uint32_t nameOffset, semanticOffset;
    if (!data_.Read(offset, out.type) || !data_.Read(uint64_t(offset) + 4, out.cls) ||
        !data_.Read(uint64_t(offset) + 8, nameOffset) || !data_.Read(uint64_t(offset) + 12, semanticOffset) ||
        !data_.Read(uint64_t(offset) + 16, out.elements))
        return false;
    std::string semantic;
    if (!Name(nameOffset, false, out.name) || !Name(semanticOffset, false, semantic)) return false;
    if (out.elements > kMaxElements) return false;
    const uint64_t count = out.elements ? out.elements : 1;
    switch (out.cls) {
    case kClassScalar:
    case kClassVector:
    case kClassMatrixRows:
    case kClassMatrixColumns: {
        uint32_t a, b;
        if (!IsNumericType(out.type) || !data_.Read(uint64_t(offset) + 20, a) ||
            !data_.Read(uint64_t(offset) + 24, b))
            return false;
        if (a < 1 || a > 4 || b < 1 || b > 4) return false;
        out.valueSize = uint64_t(a) * b * 4 * count;
        return true;
    }
    case kClassObject:
        if (out.type != kTypeString && !IsTextureType(out.type) && !IsSamplerType(out.type) &&
            !IsShaderType(out.type))
            return false;
        if (out.elements && (IsSamplerType(out.type) || IsShaderType(out.type))) return false;
        out.valueSize = 4 * count;
        return true;
    default:
        return false;  // structures are not supported; other classes do not exist
    }
}

bool EffectChecker::Value(const Typedef& def, uint32_t offset, std::vector<StateInfo>* samplerStates)
{
    if (!data_.Has(offset, def.valueSize)) return false;
    if (def.cls != kClassObject) return true;
    if (IsSamplerType(def.type)) {
        uint32_t count = 0;
        data_.Read(offset, count);
        if (count > data_.size / 16) return false;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t fields[4];
            for (int k = 0; k < 4; ++k)
                if (!data_.Read(uint64_t(offset) + 4 + uint64_t(i) * 16 + 4 * k, fields[k])) return false;
            if (fields[0] < kStateTexture || fields[0] > kStateLastSampler) return false;
            StateInfo state{};
            if (!State(fields, state)) return false;
            if (samplerStates) samplerStates->push_back(state);
        }
        return true;
    }
    for (uint64_t k = 0; k < def.valueSize / 4; ++k) {
        uint32_t id = 0;
        data_.Read(offset + k * 4, id);
        if (id >= objectCount_) return false;
        objectTypes_[id] = def.type;
    }
    return true;
}

bool EffectChecker::State(const uint32_t fields[4], StateInfo& out)
{
    const uint32_t op = fields[0];
    if (op >= kStateCount) return false;
    Typedef def;
    if (!ReadTypedef(fields[2], def)) return false;
    bool ok;
    if (op == kStateVertexShader || op == kStatePixelShader)
        ok = def.cls == kClassObject && def.type == (op == kStateVertexShader ? kTypeVertexShader : kTypePixelShader);
    else if (op == kStateTexture)
        ok = def.cls == kClassObject && IsTextureType(def.type);
    else if (op <= kStateFvf || (op > kStateTexture && op <= kStateLastSampler))
        ok = def.cls == kClassScalar && def.elements == 0;
    else
        ok = false;  // transforms, lights, materials, constants, Sampler: not supported
    if (!ok || !Value(def, fields[3], nullptr)) return false;
    out.type = def.type;
    return true;
}

bool EffectChecker::Annotations(uint64_t& pos, uint32_t count)
{
    if (uint64_t(count) * 8 > file_.size) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t typeOffset, valueOffset;
        if (!Block(pos, typeOffset) || !Block(pos + 4, valueOffset)) return false;
        Typedef def;
        if (!ReadTypedef(typeOffset, def) || IsSamplerType(def.type) || !Value(def, valueOffset, nullptr))
            return false;
        pos += 8;
    }
    return true;
}

bool EffectChecker::Run()
{
    uint32_t tag, dataSize;
    if (!file_.Read(0, tag) || !file_.Read(4, dataSize) || tag != kEffectTag) return false;
    if (dataSize % 4 || !file_.Has(8, dataSize)) return false;
    data_ = Area{file_.base + 8, dataSize};
    block_ = Area{file_.base + 8, file_.size - 8};
    uint64_t pos = dataSize;
    uint32_t paramCount, techniqueCount, shaderCount;
    if (!Block(pos, paramCount) || !Block(pos + 4, techniqueCount) || !Block(pos + 8, shaderCount) ||
        !Block(pos + 12, objectCount_))
        return false;
    pos += 16;
    if (objectCount_ > file_.size / 4 + 1) return false;
    objectTypes_.assign(objectCount_, 0);
    const uint64_t remaining = block_.size - pos;
    if (uint64_t(paramCount) * 16 > remaining || uint64_t(techniqueCount) * 12 > remaining) return false;

    for (uint32_t i = 0; i < paramCount; ++i) {
        uint32_t typeOffset, valueOffset, flags, annotationCount;
        if (!Block(pos, typeOffset) || !Block(pos + 4, valueOffset) || !Block(pos + 8, flags) ||
            !Block(pos + 12, annotationCount))
            return false;
        pos += 16;
        ParamInfo param;
        if (!ReadTypedef(typeOffset, param.def) || param.def.name.empty()) return false;
        param.isSampler = param.def.cls == kClassObject && IsSamplerType(param.def.type);
        if (!Value(param.def, valueOffset, &param.samplerStates)) return false;
        if (!Annotations(pos, annotationCount)) return false;
        params_.push_back(std::move(param));
    }
    for (uint32_t t = 0; t < techniqueCount; ++t) {
        uint32_t nameOffset, annotationCount, passCount;
        std::string name;
        if (!Block(pos, nameOffset) || !Block(pos + 4, annotationCount) || !Block(pos + 8, passCount)) return false;
        pos += 12;
        if (!Name(nameOffset, true, name) || !Annotations(pos, annotationCount)) return false;
        if (uint64_t(passCount) * 12 > file_.size) return false;
        std::vector<std::vector<StateInfo>> passes;
        for (uint32_t p = 0; p < passCount; ++p) {
            uint32_t passName, passAnnotations, stateCount;
            if (!Block(pos, passName) || !Block(pos + 4, passAnnotations) || !Block(pos + 8, stateCount)) return false;
            pos += 12;
            if (!Name(passName, true, name) || !Annotations(pos, passAnnotations)) return false;
            if (uint64_t(stateCount) * 16 > file_.size) return false;
            std::vector<StateInfo> states;
            for (uint32_t s = 0; s < stateCount; ++s) {
                uint32_t fields[4];
                for (int k = 0; k < 4; ++k)
                    if (!Block(pos + 4 * k, fields[k])) return false;
                pos += 16;
                StateInfo state{};
                if (!State(fields, state)) return false;
                states.push_back(state);
            }
            passes.push_back(std::move(states));
        }
        techniques_.push_back(std::move(passes));
    }

    uint32_t stringCount, resourceCount;
    if (!Block(pos, stringCount) || !Block(pos + 4, resourceCount)) return false;
    pos += 8;
    if (uint64_t(stringCount) * 8 > file_.size || uint64_t(resourceCount) * 24 > file_.size) return false;
    for (uint32_t i = 0; i < stringCount; ++i) {
        uint32_t id, size;
        if (!Block(pos, id) || !Block(pos + 4, size)) return false;
        const uint64_t padded = (uint64_t(size) + 3) & ~uint64_t(3);
        if (!block_.Has(pos + 8, padded)) return false;
        const Area bytes{block_.base + pos + 8, size};
        pos += 8 + padded;
        if (id >= objectCount_) return false;
        if (size == 0) continue;
        const uint32_t ownerType = objectTypes_[id];
        if (IsShaderType(ownerType)) {
            if (!CheckShader(bytes, ownerType)) return false;
        } else if (ownerType == kTypeString) {
            if (bytes.base[size - 1] != 0) return false;
        } else {
            return false;
        }
    }
    for (uint32_t i = 0; i < resourceCount; ++i) {
        uint32_t technique, index, element, stateIndex, usage, size;
        if (!Block(pos, technique) || !Block(pos + 4, index) || !Block(pos + 8, element) ||
            !Block(pos + 12, stateIndex) || !Block(pos + 16, usage) || !Block(pos + 20, size))
            return false;
        const uint64_t padded = (uint64_t(size) + 3) & ~uint64_t(3);
        if (!block_.Has(pos + 24, padded)) return false;
        const Area bytes{block_.base + pos + 24, size};
        pos += 24 + padded;
        const std::vector<StateInfo>* states;
        if (technique == kNoIndex) {
            if (index >= params_.size() || !params_[index].isSampler) return false;
            states = &params_[index].samplerStates;
        } else {
            if (technique >= techniques_.size() || index >= techniques_[technique].size()) return false;
            states = &techniques_[technique][index];
        }
        if (element != kNoIndex || stateIndex >= states->size()) return false;
        const uint32_t stateType = (*states)[stateIndex].type;
        if (usage == 0) {
            if (!IsShaderType(stateType) || !CheckShader(bytes, stateType)) return false;
        } else if (usage == 1) {
            if (size == 0 || bytes.base[size - 1] != 0) return false;
            const std::string target(reinterpret_cast<const char*>(bytes.base));
            const ParamInfo* match = nullptr;
            for (const ParamInfo& param : params_)
                if (param.def.name == target) { match = &param; break; }
            if (!match || match->def.cls != kClassObject || match->def.elements) return false;
            const bool sameFamily = IsTextureType(stateType) ? IsTextureType(match->def.type)
                                                             : match->def.type == stateType;
            if (!sameFamily) return false;
        } else {
            return false;  // array selectors and unknown usages are not supported
        }
    }
    return pos == block_.size;
}

}  // namespace

bool IsWellFormedEffect(const void* data, size_t size)
{
    if (!data) return false;
    EffectChecker checker(static_cast<const uint8_t*>(data), size);
    return checker.Run();
}

bool ClaimsCompiledEffect(const void* data, size_t size)
{
    uint32_t tag = 0;
    if (!data || size < sizeof(tag)) return false;
    std::memcpy(&tag, data, sizeof(tag));
    return tag == kEffectTag;
}

bool IsEffectForD3DX(const void* data, size_t size)
{
    if (ClaimsCompiledEffect(data, size)) return IsWellFormedEffect(data, size);
    return data && size >= sizeof(kEffectTag);
}
