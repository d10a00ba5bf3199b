// WAV data taken apart in memory: the chunks in any order, the format as
// DirectSound must get it, and data that is cut, corrupt or incomplete.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sound/WAVConstructor.h"

namespace {

// A RIFF "WAVE" file made of chunks: (id, payload) pairs in this order.
struct Chunk {
    std::string id;
    std::vector<uint8_t> payload;
    uint32_t claimedSize = 0xFFFFFFFFu;  // the stored size; default: the payload's
};

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> Riff(const std::vector<Chunk>& chunks, const char* form = "WAVE")
{
    std::vector<uint8_t> body(form, form + 4);
    for (const Chunk& c : chunks) {
        body.insert(body.end(), c.id.begin(), c.id.end());
        PutU32(body, c.claimedSize == 0xFFFFFFFFu ? static_cast<uint32_t>(c.payload.size()) : c.claimedSize);
        body.insert(body.end(), c.payload.begin(), c.payload.end());
        if (c.payload.size() % 2) body.push_back(0);
    }
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    PutU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// 16-bit stereo 44.1 kHz; size 16, 18 (cbSize given) or more.
std::vector<uint8_t> Format(uint16_t channels = 2, uint16_t blockAlign = 4, uint32_t average = 176400,
                            size_t size = 16, uint16_t extra = 0)
{
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = 44100;
    f.nAvgBytesPerSec = average;
    f.nBlockAlign = blockAlign;
    f.wBitsPerSample = 16;
    f.cbSize = extra;
    std::vector<uint8_t> bytes(size, 0xAB);
    std::memcpy(bytes.data(), &f, std::min(size, sizeof(f)));
    return bytes;
}

std::vector<uint8_t> Samples(size_t n)
{
    std::vector<uint8_t> s(n);
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(i * 7);
    return s;
}

TEST(WaveData, ChunksAreFoundInAnyOrder)
{
    const std::vector<uint8_t> samples = Samples(400);
    const std::vector<std::vector<Chunk>> layouts = {
        {{"fmt ", Format()}, {"data", samples}},
        {{"data", samples}, {"fmt ", Format()}},
        {{"LIST", Samples(33)}, {"data", samples}, {"junk", Samples(8)}, {"fmt ", Format()}},
    };
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::vector<uint8_t> bytes = Riff(layouts[i]);
        WaveData wave;
        ASSERT_TRUE(ParseWave(bytes.data(), bytes.size(), wave)) << "layout " << i;
        EXPECT_EQ(wave.samples, samples);
        ASSERT_EQ(wave.format.size(), sizeof(WAVEFORMATEX));
        EXPECT_EQ(wave.Format().nChannels, 2);
        EXPECT_EQ(wave.Format().nAvgBytesPerSec, 176400u);
        EXPECT_EQ(wave.Format().cbSize, 0) << "a 16-byte format has no extra bytes";
    }
}

TEST(WaveData, FormatCarriesExactlyTheBytesItsSizeAnnounces)
{
    // An extensible format: 18 bytes and 22 extra, in a chunk with 2 spare.
    std::vector<uint8_t> format = Format(2, 4, 176400, 42, 22);
    const std::vector<uint8_t> bytes = Riff({{"fmt ", format}, {"data", Samples(8)}});
    WaveData wave;
    ASSERT_TRUE(ParseWave(bytes.data(), bytes.size(), wave));
    ASSERT_EQ(wave.format.size(), 40u);
    EXPECT_TRUE(std::equal(wave.format.begin(), wave.format.end(), format.begin()));
}

TEST(WaveData, DataLongerThanTheBytesIsCut)
{
    std::vector<uint8_t> bytes = Riff({{"fmt ", Format()}, {"data", Samples(100), 100000}});
    WaveData wave;
    ASSERT_TRUE(ParseWave(bytes.data(), bytes.size(), wave));
    EXPECT_EQ(wave.samples, Samples(100));
}

TEST(WaveData, UnusableDataGivesNoSound)
{
    const std::vector<uint8_t> good = Samples(64);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"no RIFF", {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"not WAVE", Riff({{"fmt ", Format()}, {"data", good}}, "AVI ")},
        {"no format", Riff({{"data", good}})},
        {"no data", Riff({{"fmt ", Format()}})},
        {"empty data", Riff({{"fmt ", Format()}, {"data", {}}})},
        {"format of 14 bytes", Riff({{"fmt ", Format(2, 4, 176400, 14)}, {"data", good}})},
        {"extra size past the chunk", Riff({{"fmt ", Format(2, 4, 176400, 20, 22)}, {"data", good}})},
        {"no channels", Riff({{"fmt ", Format(0)}, {"data", good}})},
        {"block align 0", Riff({{"fmt ", Format(2, 0)}, {"data", good}})},
        {"average rate 0", Riff({{"fmt ", Format(2, 4, 0)}, {"data", good}})},
        {"format size past the end", Riff({{"fmt ", Format(), 5000}})},
    };
    for (const auto& c : cases) {
        WaveData wave;
        EXPECT_FALSE(ParseWave(c.bytes.data(), c.bytes.size(), wave)) << c.what;
        EXPECT_TRUE(wave.samples.empty()) << c.what;
    }
    WaveData wave;
    EXPECT_FALSE(ParseWave(nullptr, 100, wave));
}

TEST(WaveData, EveryCutOfAFileEndsCleanly)
{
    const std::vector<uint8_t> bytes = Riff({{"fmt ", Format()}, {"data", Samples(64)}});
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + size);
        WaveData wave;
        const bool parsed = ParseWave(cut.data(), cut.size(), wave);
        // Only a cut inside the samples leaves a (shorter) sound.
        const size_t samplesAt = bytes.size() - 64;
        EXPECT_EQ(parsed, size > samplesAt) << size;
        if (parsed) {
            EXPECT_EQ(wave.samples.size(), size - samplesAt);
        }
    }
}

}  // namespace
