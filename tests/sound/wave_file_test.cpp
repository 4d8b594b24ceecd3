// The WAVE reader, on hand-made files and on the seven clips the game ships.
#include "ui/sound/sound_system.h"
#include "ui/sound/wave_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::byte>;
using sound::parseWave;

std::span<const std::byte> view(const Bytes& b) {
    return b;
}

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::byte>(v >> (8 * i)));
    }
}
void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::byte>(v & 0xFF));
    b.push_back(static_cast<std::byte>(v >> 8));
}
void putTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::byte>(tag[i]));
    }
}
// A chunk with its pad byte (when `pad` and the body is odd).
void putChunk(Bytes& b, const char* tag, const Bytes& body, bool pad = true) {
    putTag(b, tag);
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2) {
        b.push_back(std::byte{0});
    }
}
Bytes fmtBody(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits) {
    Bytes f;
    put16(f, tag);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * bits / 8);
    put16(f, channels * bits / 8);
    put16(f, bits);
    return f;
}
Bytes riff(const Bytes& chunks) {
    Bytes b;
    putTag(b, "RIFF");
    put32(b, static_cast<std::uint32_t>(4 + chunks.size()));
    putTag(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}
Bytes samples(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v) {
        b.push_back(static_cast<std::byte>(x));
    }
    return b;
}

// An 8-bit mono file with five samples (odd data size), optionally with more chunks.
Bytes simpleWave(const Bytes& before = {}, const Bytes& after = {}) {
    Bytes c = before;
    putChunk(c, "fmt ", fmtBody(1, 1, 8000, 8));
    putChunk(c, "data", samples({128, 255, 0, 128, 200}));
    c.insert(c.end(), after.begin(), after.end());
    return riff(c);
}

// Guards against losing the sound data among other chunks, tag data or a missing final pad.
TEST(WaveReader, FindsTheDataPastOtherChunksAndTrailingBytes) {
    Bytes list;
    putChunk(list, "LIST", samples({1, 2, 3})); // odd size, so padded
    Bytes fact;
    putChunk(fact, "fact", samples({5, 0, 0, 0}));
    Bytes extensible = fmtBody(0xFFFE, 1, 8000, 8);
    put16(extensible, 22);
    put16(extensible, 8);
    put32(extensible, 4);
    put16(extensible, 1); // sub-format GUID: PCM
    extensible.resize(40, std::byte{0});
    Bytes extChunks;
    putChunk(extChunks, "fmt ", extensible);
    putChunk(extChunks, "data", samples({128, 255, 0, 128, 200}));

    Bytes withTrailer = simpleWave();
    for (int i = 0; i < 140; ++i) {
        withTrailer.push_back(std::byte{'T'});
    }
    Bytes noFinalPad = simpleWave();
    noFinalPad.pop_back();
    Bytes riffSizeTooLarge = simpleWave();
    riffSizeTooLarge[4] = std::byte{0xFF};

    const struct {
        const char* name;
        Bytes file;
        std::vector<std::string> chunks;
    } cases[] = {
        {"plain", simpleWave(), {"fmt ", "data"}},
        {"chunks before and between", simpleWave(list, {}), {"LIST", "fmt ", "data"}},
        {"fact before data",
         riff([&] {
             Bytes c;
             putChunk(c, "fmt ", fmtBody(1, 1, 8000, 8));
             c.insert(c.end(), fact.begin(), fact.end());
             putChunk(c, "data", samples({128, 255, 0, 128, 200}));
             return c;
         }()),
         {"fmt ", "fact", "data"}},
        {"extensible PCM", riff(extChunks), {"fmt ", "data"}},
        {"140 trailing bytes", withTrailer, {"fmt ", "data"}},
        {"no pad after the last chunk", noFinalPad, {"fmt ", "data"}},
        {"RIFF size past the end", riffSizeTooLarge, {"fmt ", "data"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto wave = parseWave(view(c.file));
        ASSERT_TRUE(wave);
        EXPECT_EQ(wave->sampleRate, 8000);
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->bitsPerSample, 8);
        ASSERT_EQ(wave->data.size(), 5u);
        EXPECT_EQ(wave->data[1], std::byte{255});
        std::vector<std::string> ids;
        for (const auto& ch : wave->chunks) {
            ids.push_back(ch.id);
        }
        EXPECT_EQ(ids, c.chunks);
    }
}

// Guards against trusting lengths and fields of a malformed file: each is refused.
TEST(WaveReader, RefusesMalformedFiles) {
    auto withFmt = [](Bytes fmt) {
        Bytes c;
        putChunk(c, "fmt ", fmt);
        putChunk(c, "data", samples({128, 128}));
        return riff(c);
    };
    Bytes badAlign = fmtBody(1, 1, 8000, 16);
    badAlign[12] = std::byte{3};
    Bytes shortFmt = fmtBody(1, 1, 8000, 8);
    shortFmt.pop_back();
    Bytes dataTooLong = simpleWave();
    dataTooLong[40] = std::byte{50}; // the data chunk's size byte: 50 bytes, 5 present
    Bytes notWave = simpleWave();
    notWave[8] = std::byte{'A'};
    Bytes noData;
    putChunk(noData, "fmt ", fmtBody(1, 1, 8000, 8));
    Bytes noFmt;
    putChunk(noFmt, "data", samples({128, 128}));
    const Bytes whole = simpleWave();
    Bytes hugeChunk = simpleWave();
    hugeChunk[16] = hugeChunk[17] = hugeChunk[18] = hugeChunk[19] = std::byte{0xFF};

    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"header only", Bytes(whole.begin(), whole.begin() + 12)},
        {"not WAVE", notWave},
        {"no data chunk", riff(noData)},
        {"no format chunk", riff(noFmt)},
        {"data longer than the file", dataTooLong},
        {"chunk size near 4 GiB", hugeChunk},
        {"format chunk too short", withFmt(shortFmt)},
        {"IEEE float", withFmt(fmtBody(3, 1, 8000, 32))},
        {"compressed", withFmt(fmtBody(2, 1, 8000, 4))},
        {"no channels", withFmt(fmtBody(1, 0, 8000, 8))},
        {"12-bit samples", withFmt(fmtBody(1, 1, 8000, 12))},
        {"block size not matching", withFmt(badAlign)},
        {"sample rate 0", withFmt(fmtBody(1, 1, 0, 8))},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(parseWave(view(c.file))) << c.name;
    }
}

// Guards against reading past the end of a cut-off file: every prefix of a real clip parses
// to data that lies inside it, or is refused.
TEST(WaveReader, EveryTruncationStaysInBounds) {
    const QByteArray clip = sound::SoundSystem::cueWave(engine::SoundCue::Removal);
    const auto all = std::as_bytes(std::span(clip.data(), static_cast<std::size_t>(clip.size())));
    for (std::size_t n = 0; n <= all.size(); ++n) {
        const auto part = all.first(n);
        if (const auto wave = parseWave(part)) {
            ASSERT_GE(wave->data.data(), part.data());
            ASSERT_LE(wave->data.data() + wave->data.size(), part.data() + part.size());
            (void)sound::decodeMono(*wave);
        }
    }
}

// Guards against misreading sample encodings: 8-bit is unsigned, wider ones are signed
// little-endian, channels are averaged.
TEST(WaveReader, DecodesEachSampleSize) {
    const struct {
        unsigned channels;
        unsigned bits;
        Bytes data;
        std::vector<float> want;
    } cases[] = {
        {1, 8, samples({0, 128, 192}), {-1.0f, 0.0f, 0.5f}},
        {1, 16, samples({0x00, 0x80, 0x00, 0x40, 0xFF, 0xFF}), {-1.0f, 0.5f, -1.0f / 32768}},
        {1, 24, samples({0x00, 0x00, 0xC0, 0x00, 0x00, 0x20}), {-0.5f, 0.25f}},
        {1, 32, samples({0, 0, 0, 0x80}), {-1.0f}},
        {2, 16, samples({0x00, 0x40, 0x00, 0xC0, 0x00, 0x40, 0x00, 0x40}), {0.0f, 0.5f}},
        {2, 8, samples({192, 64, 1}), {0.0f}}, // the half frame at the end is dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " x " + std::to_string(c.bits));
        Bytes chunks;
        putChunk(chunks, "fmt ", fmtBody(1, c.channels, 8000, c.bits));
        putChunk(chunks, "data", c.data);
        const Bytes file = riff(chunks);
        const auto wave = parseWave(view(file));
        ASSERT_TRUE(wave);
        const auto got = sound::decodeMono(*wave);
        ASSERT_EQ(got.size(), c.want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i], c.want[i], 1e-3) << "sample " << i;
        }
    }
}

// Guards against clips that drift from their specified format and layout, that are
// malformed RIFF, or that differ from what the program embeds.
TEST(CueClips, HaveTheirFormatSizesAndLayout) {
    using engine::SoundCue;
    const std::vector<std::string> plain = {"fmt ", "data"};
    const std::vector<std::string> withFact = {"fmt ", "fact", "data"};
    const struct {
        SoundCue cue;
        const char* file;
        int rate;
        int bits;
        std::size_t dataBytes;
        double seconds;
        std::size_t fileBytes;
        std::uint32_t fmtSize;
        const std::vector<std::string>& chunks;
    } clips[] = {
        // 1031 data bytes need a pad byte, so the well-formed file is 1076 bytes, not 1075.
        {SoundCue::Click, "click.wav", 22050, 8, 1031, 0.047, 1076, 16, plain},
        {SoundCue::Hover, "hover.wav", 11025, 16, 3556, 0.161, 3600, 16, plain},
        {SoundCue::Deselect, "deselect.wav", 11025, 8, 7696, 0.698, 7740, 16, plain},
        {SoundCue::Swap, "swap.wav", 22050, 8, 15876, 0.720, 15920, 16, plain},
        {SoundCue::InvalidSwap, "invalid_swap.wav", 11025, 8, 12587, 1.142, 12632, 16, plain},
        {SoundCue::Removal, "removal.wav", 22050, 8, 37251, 1.689, 37310, 18, withFact},
        {SoundCue::Victory, "victory.wav", 8000, 8, 28015, 3.502, 28074, 18, withFact},
    };
    for (const auto& c : clips) {
        SCOPED_TRACE(c.file);
        std::ifstream in(std::string(QUORVANE_SOUND_DIR) + "/" + c.file, std::ios::binary);
        ASSERT_TRUE(in) << "missing";
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        const QByteArray embedded = sound::SoundSystem::cueWave(c.cue);
        EXPECT_EQ(embedded.toStdString(), text) << "the embedded clip differs from the file";

        const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
        const auto wave = parseWave(bytes);
        ASSERT_TRUE(wave);
        EXPECT_EQ(text.size(), c.fileBytes);
        EXPECT_EQ(wave->riffSize + 8u, text.size()) << "RIFF size must cover the whole file";
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->sampleRate, c.rate);
        EXPECT_EQ(wave->bitsPerSample, c.bits);
        EXPECT_EQ(wave->fmtSize, c.fmtSize);
        EXPECT_EQ(wave->data.size(), c.dataBytes);
        EXPECT_NEAR(static_cast<double>(wave->frames()) / c.rate, c.seconds, 0.0005);
        std::vector<std::string> ids;
        for (const auto& ch : wave->chunks) {
            ids.push_back(ch.id);
            EXPECT_EQ(ch.offset % 2, 0u) << ch.id << " starts on an odd offset (a missing pad)";
        }
        EXPECT_EQ(ids, c.chunks);
        if (c.chunks.size() == 3) {
            const std::size_t factBody = wave->chunks[1].offset + 8;
            std::uint32_t sampleCount = 0;
            std::memcpy(&sampleCount, text.data() + factBody, 4);
            EXPECT_EQ(sampleCount, wave->frames());
        }
    }
}

} // namespace
