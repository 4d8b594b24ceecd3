// Reads RIFF WAVE files held in memory: the chunk list, the PCM format and the sound data, and
// decodes the samples to floating point for mixing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sound {

struct WaveChunk {
    std::string id;         // four characters, e.g. "fmt ", "fact", "data"
    std::uint32_t size = 0; // the size field: the body's length, without a pad byte
    std::size_t offset = 0; // where the chunk's header starts in the file
};

struct WaveFile {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    std::uint32_t fmtSize = 0;
    std::uint32_t riffSize = 0;
    // The chunks inside the RIFF form, in file order.
    std::vector<WaveChunk> chunks;
    // The first "data" chunk's bytes, cut to whole sample frames; it points into the input.
    std::span<const std::byte> data;

    std::size_t frames() const { return data.size() / static_cast<std::size_t>(blockAlign); }
};

// Parses a WAVE file. Accepts uncompressed integer PCM (format tag 1, or the extensible format
// with a PCM sub-format), 1 to 8 channels, 8, 16, 24 or 32 bits per sample. Chunks other than
// "fmt " and "data" and any bytes after the RIFF form are skipped; a missing pad byte after the
// last chunk is tolerated. Anything else that does not add up is refused: no result.
std::optional<WaveFile> parseWave(std::span<const std::byte> bytes);

// The samples of a parsed file, channels averaged to mono, scaled to -1..1.
std::vector<float> decodeMono(const WaveFile& wave);

} // namespace sound
