// The mixer: overlapping voices, resampling to the output rate, and the limit at full scale.
#include "ui/sound/mixer.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>

namespace {

std::shared_ptr<const sound::Clip> constantClip(float value, std::size_t samples, int rate) {
    auto c = std::make_shared<sound::Clip>();
    c->samples.assign(samples, value);
    c->sampleRate = rate;
    return c;
}

std::vector<float> renderAll(sound::Mixer& m, std::size_t frames, std::size_t chunk) {
    std::vector<float> out;
    std::vector<float> buffer(chunk);
    while (out.size() < frames) {
        m.render(std::span(buffer), 1);
        out.insert(out.end(), buffer.begin(), buffer.end());
    }
    out.resize(frames);
    return out;
}

// Guards against a clip that is added again while sounding restarting or replacing the one
// already playing: both voices run to their own ends, summed.
TEST(Mixer, TheSameClipTwiceOverlapsAndBothRunToTheirEnd) {
    sound::Mixer m(1000);
    const auto clip = constantClip(0.25f, 100, 1000);
    ASSERT_TRUE(m.add(clip));
    std::vector<float> first(40);
    m.render(std::span(first), 1);
    ASSERT_TRUE(m.add(clip));
    const auto rest = renderAll(m, 160, 30);

    for (float v : first) {
        EXPECT_FLOAT_EQ(v, 0.25f);
    }
    for (std::size_t i = 0; i < 60; ++i) {
        EXPECT_FLOAT_EQ(rest[i], 0.5f) << i; // both sound
    }
    for (std::size_t i = 60; i < 100; ++i) {
        EXPECT_FLOAT_EQ(rest[i], 0.25f) << i; // the first has ended, the second goes on
    }
    for (std::size_t i = 100; i < 160; ++i) {
        EXPECT_FLOAT_EQ(rest[i], 0.0f) << i;
    }
    EXPECT_EQ(m.activeVoices(), 0u);
}

// Guards against clips played at the wrong speed: a clip lasts its own duration at any output
// rate, and a ramp comes out as a ramp (interpolated, not stepped or shifted).
TEST(Mixer, ResamplesEachClipToTheOutputRate) {
    const struct {
        int clipRate;
        int outputRate;
    } cases[] = {{8000, 44100}, {11025, 44100}, {22050, 44100}, {44100, 44100}, {48000, 44100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.clipRate) + " -> " + std::to_string(c.outputRate));
        auto ramp = std::make_shared<sound::Clip>();
        ramp->sampleRate = c.clipRate;
        for (int i = 0; i < c.clipRate / 2; ++i) { // half a second
            ramp->samples.push_back(0.5f * static_cast<float>(i) / static_cast<float>(c.clipRate));
        }
        sound::Mixer m(c.outputRate);
        ASSERT_TRUE(m.add(ramp));
        const auto out = renderAll(m, static_cast<std::size_t>(c.outputRate), 512);
        const auto sounding =
            static_cast<std::size_t>(std::find(out.begin() + 1, out.end(), 0.0f) - out.begin());
        EXPECT_NEAR(static_cast<double>(sounding) / c.outputRate, 0.5, 0.0005);
        const std::size_t mid = static_cast<std::size_t>(c.outputRate) / 4; // at 0.25 s
        EXPECT_NEAR(out[mid], 0.125f, 1e-4);
    }
}

// Guards against wrap-around distortion when loud clips overlap, against a full mixer
// cutting off a voice for a new one, and against repeating the sample on every channel wrong.
TEST(Mixer, LimitsTheSumAndNeverDropsAPlayingVoice) {
    sound::Mixer m(1000, 2);
    ASSERT_TRUE(m.add(constantClip(0.75f, 10, 1000)));
    ASSERT_TRUE(m.add(constantClip(0.75f, 20, 1000)));
    EXPECT_FALSE(m.add(constantClip(-0.5f, 10, 1000))) << "no voice free: the new clip waits";
    EXPECT_FALSE(m.add(constantClip(0.5f, 0, 1000)));

    std::vector<std::int16_t> stereo(30); // 15 frames
    m.render(std::span(stereo), 2);
    for (std::size_t f = 0; f < 10; ++f) {
        EXPECT_EQ(stereo[2 * f], 32767) << "clamped, not wrapped";
        EXPECT_EQ(stereo[2 * f + 1], 32767);
    }
    for (std::size_t f = 10; f < 15; ++f) {
        EXPECT_EQ(stereo[2 * f], 24575);
        EXPECT_EQ(stereo[2 * f + 1], 24575);
    }
    EXPECT_EQ(m.activeVoices(), 1u);
}

} // namespace
