// Validation of effect bytes before D3DXCreateEffect: the compiled effects the
// build writes pass; truncated and damaged ones fail, with the same rules as
// the build tool's checker (tools/fxtool/fxcheck.py); source text is handed
// over as it is.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/resources/EffectBytes.h"
#include "unit/BuildFiles.h"

namespace {

const char* const kEffects[] = {"076_light",      "077_waves",  "090_water",         "091_move",      "102_expand",
                                "103_radialwave", "105_stream", "document/rotation", "document/bend", "document/cloud"};

uint32_t Word(const std::vector<uint8_t>& bytes, size_t index)
{
    uint32_t value;
    std::memcpy(&value, &bytes[index * 4], 4);
    return value;
}

void SetWord(std::vector<uint8_t>& bytes, size_t index, uint32_t value)
{
    std::memcpy(&bytes[index * 4], &value, 4);
}

size_t FindWord(const std::vector<uint8_t>& bytes, uint32_t value, size_t from = 0)
{
    for (size_t i = from; i < bytes.size() / 4; ++i)
        if (Word(bytes, i) == value) return i;
    return SIZE_MAX;
}

TEST(EffectBytesTest, BuiltEffectsPassAndEveryPrefixFails)
{
    for (const char* stem : kEffects) {
        const std::vector<uint8_t> bytes = ReadBuiltEffect(stem);
        ASSERT_FALSE(bytes.empty()) << stem << ".fxo is missing from the build";
        EXPECT_TRUE(IsWellFormedEffect(bytes.data(), bytes.size())) << stem;
        for (size_t length = 0; length < bytes.size(); ++length)
            ASSERT_FALSE(IsWellFormedEffect(bytes.data(), length)) << stem << " cut at " << length;
    }
}

TEST(EffectBytesTest, NullOrEmptyInputFails)
{
    EXPECT_FALSE(IsWellFormedEffect(nullptr, 0));
    EXPECT_FALSE(IsWellFormedEffect(nullptr, 100));
    const uint8_t header[8] = {0x01, 0x09, 0xFF, 0xFE, 0, 0, 0, 0};
    EXPECT_FALSE(IsWellFormedEffect(header, sizeof(header)));
}

// What D3DXCreateEffect is given: bytes with the compiled-effect tag only
// when the check passes them, since D3DX does not bound-check those; any
// other bytes as effect source text, which D3DX compiles or refuses itself.
TEST(EffectBytesTest, SoundCompiledEffectsAndSourceTextGoToD3DX)
{
    const std::vector<uint8_t> compiled = ReadBuiltEffect("103_radialwave");
    ASSERT_FALSE(compiled.empty());
    const std::string source = "float4 Tint;\ntechnique Plain { pass P0 { AlphaBlendEnable = FALSE; } }\n";
    const auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool compiledClaim;
        bool handedOver;
    };
    const Case cases[] = {
        {"compiled effect", compiled, true, true},
        {"compiled effect cut short", std::vector<uint8_t>(compiled.begin(), compiled.end() - 4), true, false},
        {"compiled tag alone", std::vector<uint8_t>(compiled.begin(), compiled.begin() + 4), true, false},
        {"source text", text(source), false, true},
        {"source text without its end", text(source.substr(0, 20)), false, true},
        {"bytes that are not text", std::vector<uint8_t>(64, 0xAB), false, true},
        {"four bytes", text("tech"), false, true},
        {"shorter than the tag", text("abc"), false, false},
        {"empty", {}, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClaimsCompiledEffect(c.bytes.data(), c.bytes.size()), c.compiledClaim) << c.what;
        EXPECT_EQ(IsEffectForD3DX(c.bytes.data(), c.bytes.size()), c.handedOver) << c.what;
    }
    EXPECT_FALSE(IsEffectForD3DX(nullptr, 100));
}

// Damage at known places of the radial-wave effect (its layout: tag, data
// size, data area, then the counts; the first pass shader is the first CTAB).
TEST(EffectBytesTest, DamagedEffectsFail)
{
    const std::vector<uint8_t> good = ReadBuiltEffect("103_radialwave");
    ASSERT_FALSE(good.empty());
    const size_t block = 2 + Word(good, 1) / 4;
    const size_t ctab = FindWord(good, 0x42415443u);
    ASSERT_NE(ctab, SIZE_MAX);
    const size_t version = ctab - 2;
    const size_t end = version + Word(good, version - 1) / 4 - 1;
    ASSERT_EQ(Word(good, end), 0x0000FFFFu);
    const size_t lastMov = end - 3;  // mov oC0, r5
    ASSERT_EQ(Word(good, lastMov), 0x02000001u);

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"tag", [](auto& b) { SetWord(b, 0, 0xFEFF0902u); }},
        {"data size past the end", [](auto& b) { SetWord(b, 1, 0x10000u); }},
        {"data size not a whole number of words", [](auto& b) { SetWord(b, 1, Word(b, 1) - 2); }},
        {"name length at offset 0", [](auto& b) { SetWord(b, 2, 0xFFFFFFFFu); }},
        {"object count below the ids", [&](auto& b) { SetWord(b, block + 3, 1); }},
        {"huge object count", [&](auto& b) { SetWord(b, block + 3, 0x40000000u); }},
        {"parameter count", [&](auto& b) { SetWord(b, block, 0x01000000u); }},
        {"technique count", [&](auto& b) { SetWord(b, block + 1, 3); }},
        {"ctab header size", [&](auto& b) { SetWord(b, ctab + 1, 24); }},
        {"ctab version", [&](auto& b) { SetWord(b, ctab + 3, 0xFFFF0300u); }},
        {"ctab constant count", [&](auto& b) { SetWord(b, ctab + 4, 200); }},
        {"shader model 1", [&](auto& b) { SetWord(b, version, 0xFFFF0104u); }},
        {"vertex shader in a pixel-shader state", [&](auto& b) { SetWord(b, version, 0xFFFE0200u); }},
        {"end token missing", [&](auto& b) { SetWord(b, end, 0); }},
        {"unknown opcode", [&](auto& b) { SetWord(b, lastMov, 0x02000077u); }},
        {"wrong parameter count", [&](auto& b) { SetWord(b, lastMov, 0x03000001u); }},
        {"predicated instruction", [&](auto& b) { SetWord(b, lastMov, 0x12000001u); }},
        {"operand that looks like a comment", [&](auto& b) { SetWord(b, end - 1, 0x8000FFFEu); }},
        {"register out of range", [&](auto& b) { SetWord(b, end - 1, 0x80E400FFu); }},
        {"relative addressing", [&](auto& b) { SetWord(b, end - 1, 0x80E42005u); }},
        {"trailing bytes", [](auto& b) { b.insert(b.end(), 4, 0); }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        c.damage(bad);
        EXPECT_FALSE(IsWellFormedEffect(bad.data(), bad.size())) << c.what;
    }
}

TEST(EffectBytesTest, ReferenceToMissingParameterFails)
{
    std::vector<uint8_t> bytes = ReadBuiltEffect("103_radialwave");
    ASSERT_FALSE(bytes.empty());
    // The last "Mask" in the file is the sampler's reference to its texture.
    const char name[] = "Mask";
    size_t last = SIZE_MAX;
    for (size_t i = 0; i + sizeof(name) <= bytes.size(); ++i)
        if (std::memcmp(&bytes[i], name, sizeof(name)) == 0) last = i;
    ASSERT_NE(last, SIZE_MAX);
    bytes[last] = 'T';
    EXPECT_FALSE(IsWellFormedEffect(bytes.data(), bytes.size()));
}

}  // namespace
