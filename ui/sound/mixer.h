// Mixes any number of clips, each at its own sample rate, into one output stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace sound {

// A clip ready for mixing: mono samples in -1..1 at their own rate. Shared, never changed.
struct Clip {
    std::vector<float> samples;
    int sampleRate = 0;
};

// Every clip added plays once, from its start to its end, summed with all the others; adding a
// clip never touches one already playing, the same clip included. Used by one thread only.
class Mixer {
public:
    explicit Mixer(int outputRate, std::size_t maxVoices = 32);

    // Starts the clip. False (and nothing changes) when it is empty or all voices are busy:
    // a new clip then waits for no one and cuts off none.
    bool add(std::shared_ptr<const Clip> clip);

    // Fills the frames with the next stretch of the mix (zero where nothing sounds), each
    // frame's sample repeated on every channel, and advances every voice; voices that
    // reach their clip's end are let go.
    void render(std::span<std::int16_t> out, int channels);
    void render(std::span<float> out, int channels);

    std::size_t activeVoices() const { return voices_.size(); }
    int outputRate() const { return outputRate_; }

private:
    struct Voice {
        std::shared_ptr<const Clip> clip;
        double position = 0.0; // in the clip's samples
        double step = 1.0;     // clip samples per output frame
    };

    // Sums the voices into mix_ (frames long) and advances them.
    void mixInto(std::size_t frames);

    int outputRate_;
    std::size_t maxVoices_;
    std::vector<Voice> voices_;
    std::vector<float> mix_;
};

} // namespace sound
