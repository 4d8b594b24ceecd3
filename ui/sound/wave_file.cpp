// The WAVE reader: walks the RIFF chunks with every length checked against the bytes present.
#include "ui/sound/wave_file.h"

#include <algorithm>
#include <cstring>

namespace sound {

namespace {

std::uint32_t readU32(std::span<const std::byte> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t readU16(std::span<const std::byte> b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(b[at]) |
                                      static_cast<unsigned>(b[at + 1]) << 8);
}

bool hasTag(std::span<const std::byte> b, std::size_t at, const char* tag) {
    return std::memcmp(b.data() + at, tag, 4) == 0;
}

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

} // namespace

std::optional<WaveFile> parseWave(std::span<const std::byte> bytes) {
    if (bytes.size() < 12 || !hasTag(bytes, 0, "RIFF") || !hasTag(bytes, 8, "WAVE")) {
        return std::nullopt;
    }
    WaveFile wave;
    wave.riffSize = readU32(bytes, 4);
    // The form ends where its size says, or at the end of the bytes if they are cut short;
    // whatever follows it (tag data) is not looked at.
    const std::size_t end = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::uint64_t{wave.riffSize} + 8, bytes.size()));

    bool haveFormat = false;
    bool haveData = false;
    std::size_t dataOffset = 0;
    std::uint32_t dataSize = 0;
    std::size_t at = 12;
    while (end - at >= 8) {
        const std::uint32_t size = readU32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (size > end - body) {
            return std::nullopt; // the chunk claims more bytes than there are
        }
        WaveChunk chunk{std::string(reinterpret_cast<const char*>(bytes.data() + at), 4), size, at};
        if (!haveFormat && chunk.id == "fmt ") {
            if (size < 16) {
                return std::nullopt;
            }
            std::uint16_t tag = readU16(bytes, body);
            if (tag == kFormatExtensible) {
                // The sub-format GUID's first two bytes carry the actual format tag.
                if (size < 40 || readU16(bytes, body + 16) < 22) {
                    return std::nullopt;
                }
                tag = readU16(bytes, body + 24);
            }
            if (tag != kFormatPcm) {
                return std::nullopt;
            }
            wave.channels = readU16(bytes, body + 2);
            const std::uint32_t rate = readU32(bytes, body + 4);
            wave.blockAlign = readU16(bytes, body + 12);
            wave.bitsPerSample = readU16(bytes, body + 14);
            wave.fmtSize = size;
            if (rate < 1000 || rate > 768000) {
                return std::nullopt;
            }
            wave.sampleRate = static_cast<int>(rate);
            haveFormat = true;
        } else if (!haveData && chunk.id == "data") {
            dataOffset = body;
            dataSize = size;
            haveData = true;
        }
        wave.chunks.push_back(std::move(chunk));
        // A chunk of odd size is followed by a pad byte; after the last chunk it may be missing.
        at = body + size;
        if ((size & 1) != 0 && at < end) {
            ++at;
        }
    }

    if (!haveFormat || !haveData) {
        return std::nullopt;
    }
    const int bits = wave.bitsPerSample;
    if (wave.channels < 1 || wave.channels > 8 ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        wave.blockAlign != wave.channels * bits / 8) {
        return std::nullopt;
    }
    const std::size_t whole = dataSize - dataSize % static_cast<std::uint32_t>(wave.blockAlign);
    wave.data = bytes.subspan(dataOffset, whole);
    return wave;
}

std::vector<float> decodeMono(const WaveFile& wave) {
    const std::size_t frames = wave.frames();
    const int width = wave.bitsPerSample / 8;
    const std::span<const std::byte> d = wave.data;
    std::vector<float> out(frames);
    // Full scale of a signed sample of this width, so that the result lies in -1..1.
    const double scale =
        1.0 / (static_cast<double>(std::uint64_t{1} << (wave.bitsPerSample - 1)) * wave.channels);
    std::size_t at = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        std::int64_t sum = 0;
        for (int c = 0; c < wave.channels; ++c, at += static_cast<std::size_t>(width)) {
            if (width == 1) {
                sum += static_cast<int>(d[at]) - 128; // 8-bit samples are unsigned
                continue;
            }
            // Little-endian, two's complement: assemble, then sign-extend from the top byte.
            std::uint32_t v = 0;
            for (int i = 0; i < width; ++i) {
                v |= static_cast<std::uint32_t>(d[at + static_cast<std::size_t>(i)]) << (8 * i);
            }
            const int shift = 32 - 8 * width;
            sum += static_cast<std::int32_t>(v << shift) >> shift;
        }
        out[f] = static_cast<float>(static_cast<double>(sum) * scale);
    }
    return out;
}

} // namespace sound
