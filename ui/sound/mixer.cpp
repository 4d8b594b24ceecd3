// The mixer: linear-interpolation resampling of each voice, summed and limited to full scale.
#include "ui/sound/mixer.h"

#include <algorithm>
#include <cmath>

namespace sound {

Mixer::Mixer(int outputRate, std::size_t maxVoices)
    : outputRate_(outputRate), maxVoices_(maxVoices) {
    voices_.reserve(maxVoices_);
}

bool Mixer::add(std::shared_ptr<const Clip> clip) {
    if (!clip || clip->samples.empty() || clip->sampleRate <= 0 || voices_.size() >= maxVoices_) {
        return false;
    }
    const double step = static_cast<double>(clip->sampleRate) / outputRate_;
    voices_.push_back(Voice{std::move(clip), 0.0, step});
    return true;
}

void Mixer::mixInto(std::size_t frames) {
    mix_.assign(frames, 0.0f);
    for (Voice& v : voices_) {
        const std::vector<float>& s = v.clip->samples;
        const std::size_t n = s.size();
        for (std::size_t i = 0; i < frames; ++i) {
            const auto at = static_cast<std::size_t>(v.position);
            if (at >= n) {
                break;
            }
            const float frac = static_cast<float>(v.position - static_cast<double>(at));
            const float next = at + 1 < n ? s[at + 1] : 0.0f;
            mix_[i] += s[at] + (next - s[at]) * frac;
            v.position += v.step;
        }
    }
    std::erase_if(voices_, [](const Voice& v) {
        return v.position >= static_cast<double>(v.clip->samples.size());
    });
}

void Mixer::render(std::span<std::int16_t> out, int channels) {
    const std::size_t ch = static_cast<std::size_t>(std::max(channels, 1));
    const std::size_t frames = out.size() / ch;
    mixInto(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        // Overlapping loud clips can sum past full scale: limit rather than wrap around.
        const float x = std::clamp(mix_[i], -1.0f, 1.0f);
        const auto sample = static_cast<std::int16_t>(std::lround(x * 32767.0f));
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(i * ch), ch, sample);
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(frames * ch), out.end(), 0);
}

void Mixer::render(std::span<float> out, int channels) {
    const std::size_t ch = static_cast<std::size_t>(std::max(channels, 1));
    const std::size_t frames = out.size() / ch;
    mixInto(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(i * ch), ch,
                    std::clamp(mix_[i], -1.0f, 1.0f));
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(frames * ch), out.end(), 0.0f);
}

} // namespace sound
