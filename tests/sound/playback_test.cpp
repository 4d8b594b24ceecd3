// End-to-end playback: the real SoundSystem plays into a private PulseAudio null sink whose
// monitor is recorded, and the recording is compared with the clips themselves.
#include "pulse_server.h"

#include "support/recording_view.h"
#include "ui/sound/mixer.h"
#include "ui/sound/sound_system.h"
#include "ui/sound/wave_file.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using engine::SoundCue;
using sound_test::kRecordRate;
using namespace std::chrono_literals;

// -40 dBFS: below it a sample counts as silence.
constexpr int kThreshold = 328;

std::size_t samplesFor(std::chrono::milliseconds ms) {
    return static_cast<std::size_t>(ms.count()) * kRecordRate / 1000;
}

// What the sink should receive: the cues' clips mixed at the recording's rate, each starting
// at its offset.
std::vector<float>
referenceMix(const std::vector<std::pair<SoundCue, std::chrono::milliseconds>>& cues) {
    std::vector<float> out;
    for (const auto& [cue, offset] : cues) {
        const QByteArray bytes = sound::SoundSystem::cueWave(cue);
        const auto wave = sound::parseWave(std::as_bytes(std::span(bytes.data(), bytes.size())));
        auto clip = std::make_shared<sound::Clip>();
        clip->samples = sound::decodeMono(*wave);
        clip->sampleRate = wave->sampleRate;
        sound::Mixer mixer(kRecordRate);
        mixer.add(clip);
        std::vector<float> rendered(static_cast<std::size_t>(
            std::ceil(static_cast<double>(clip->samples.size()) * kRecordRate / clip->sampleRate)));
        mixer.render(std::span(rendered), 1);
        const std::size_t start = samplesFor(offset);
        out.resize(std::max(out.size(), start + rendered.size()), 0.0f);
        for (std::size_t i = 0; i < rendered.size(); ++i) {
            out[start + i] += rendered[i];
        }
    }
    return out;
}

// RMS in 5 ms frames.
std::vector<double> envelope(const std::vector<float>& s) {
    const std::size_t frame = samplesFor(5ms);
    std::vector<double> out;
    for (std::size_t i = 0; i + frame <= s.size(); i += frame) {
        out.push_back(std::sqrt(sound_test::energy(s, i, i + frame) / static_cast<double>(frame)));
    }
    return out;
}

// Where, in the recording, the second of two cues started: the offset from the first cue's
// start, between `earliest` and 150 ms later, whose reference envelope (the two clips' powers
// added) fits the recorded envelope best.
std::chrono::milliseconds fitSecondOffset(const std::vector<float>& recorded, SoundCue first,
                                          SoundCue second, std::chrono::milliseconds earliest) {
    const auto a = envelope(referenceMix({{first, 0ms}}));
    const auto b = envelope(referenceMix({{second, 0ms}}));
    const auto r = envelope(recorded);
    std::chrono::milliseconds best = earliest;
    double bestError = -1.0;
    for (auto d = earliest; d <= earliest + 150ms; d += 5ms) {
        const auto shift = static_cast<std::size_t>(d / 5ms);
        double error = 0.0;
        for (std::size_t i = 0; i < r.size(); ++i) {
            const double ea = i < a.size() ? a[i] : 0.0;
            const double eb = i >= shift && i - shift < b.size() ? b[i - shift] : 0.0;
            const double diff = r[i] - std::sqrt(ea * ea + eb * eb);
            error += diff * diff;
        }
        if (bestError < 0.0 || error < bestError) {
            bestError = error;
            best = d;
        }
    }
    return best;
}

sound_test::Span loudSpan(const std::vector<float>& s) {
    std::vector<std::int16_t> q;
    for (float v : s) {
        q.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)));
    }
    return sound_test::loudSpan(q, kThreshold);
}

// A game window's sound path as far as the rules see it: every cue the rules ask for goes
// through the quiet-mode gate to the real sound system; the pick blink starts with its Swap cue.
class SoundingView : public testing_support::RecordingView {
public:
    explicit SoundingView(sound::SoundSystem& s) : sound_(s) {}
    bool quietMode = false;
    const bool* replayActive = nullptr;

    void playCue(SoundCue cue) override {
        RecordingView::playCue(cue);
        if (engine::cueAudible(cue, quietMode, replayActive && *replayActive)) {
            sound_.playCue(cue);
        }
    }
    void pickBlink(engine::TileRef a, engine::TileRef b) override {
        playCue(SoundCue::Swap);
        RecordingView::pickBlink(a, b);
    }

private:
    sound::SoundSystem& sound_;
};

class PlaybackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new sound_test::PulseServer;
        static int argc = 1;
        static char name[] = "sound_playback_test";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        delete server_;
    }

    void SetUp() override {
        ASSERT_TRUE(server_->running()) << server_->error();
        ASSERT_TRUE(recorder_.start()) << "parec recorded nothing";
        sound_ = std::make_unique<sound::SoundSystem>();
        QCoreApplication::processEvents(); // the sound system's deferred start-up
        mark_ = recorder_.size();
    }

    // Waits until something has sounded since the mark and then 400 ms of silence followed,
    // and returns the recording from the mark on.
    std::vector<std::int16_t> recordUntilQuiet(std::chrono::milliseconds timeout) {
        const std::size_t from = mark_;
        recorder_.waitFor(
            [from](const std::vector<std::int16_t>& s) {
                const auto span = sound_test::loudSpan(s, kThreshold, from);
                return !span.empty() && s.size() > span.last + samplesFor(400ms);
            },
            timeout);
        const auto all = recorder_.samples();
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
    }

    // Compares the recording with the reference mix, aligned at the first loud sample: the
    // whole, and the part from `tail` on (relative to the first cue's start).
    static void expectMatches(const std::vector<std::int16_t>& recorded,
                              const std::vector<float>& reference,
                              std::chrono::milliseconds tail = 0ms) {
        const auto got = sound_test::loudSpan(recorded, kThreshold);
        const auto want = loudSpan(reference);
        ASSERT_FALSE(got.empty()) << "nothing was heard";
        // The sounding time of the clip (mix), to within 30 ms and 2 %: a wrong rate or a cut is
        // far more, a busy machine's scheduling hiccup a little less.
        const double wantSeconds = static_cast<double>(want.length()) / kRecordRate;
        EXPECT_NEAR(static_cast<double>(got.length()) / kRecordRate, wantSeconds,
                    0.03 + 0.02 * wantSeconds);
        const auto rec = sound_test::toFloat(recorded, got.first - std::min(got.first, want.first));
        const double whole = sound_test::energy(rec, 0, rec.size()) /
                             sound_test::energy(reference, 0, reference.size());
        EXPECT_GT(whole, 0.8);
        EXPECT_LT(whole, 1.25);
        if (tail > 0ms) {
            const std::size_t t = samplesFor(tail) + samplesFor(20ms);
            const double late = sound_test::energy(rec, t, rec.size()) /
                                sound_test::energy(reference, t, reference.size());
            EXPECT_GT(late, 0.75) << "the sound after the second cue is too weak: one was cut off";
            EXPECT_LT(late, 1.3);
        }
    }

    static sound_test::PulseServer* server_;
    static QCoreApplication* app_;
    sound_test::MonitorRecorder recorder_;
    std::unique_ptr<sound::SoundSystem> sound_;
    std::size_t mark_ = 0;
};

sound_test::PulseServer* PlaybackTest::server_ = nullptr;
QCoreApplication* PlaybackTest::app_ = nullptr;

// Guards against a cue that is cut short, stretched (a wrong rate), silent or distorted on
// its way to the audio server.
TEST_F(PlaybackTest, EachCueIsHeardForItsDuration) {
    for (int i = 0; i < engine::kSoundCueCount; ++i) {
        const auto cue = static_cast<SoundCue>(i);
        SCOPED_TRACE(testing_support::cueName(cue));
        mark_ = recorder_.size();
        sound_->playCue(cue);
        expectMatches(recordUntilQuiet(6s), referenceMix({{cue, 0ms}}));
    }
}

// Guards against a new cue stopping one still sounding, the same clip above all (the way
// QSoundEffect restarts a playing effect).
TEST_F(PlaybackTest, OverlappingCuesAreBothHeard) {
    struct Case {
        SoundCue first;
        SoundCue second;
        std::chrono::milliseconds gap;
    };
    // The same clip twice is the sweep, whose offset copies do not interfere, so that the
    // sound energy tells one voice from two.
    const Case cases[] = {
        {SoundCue::Swap, SoundCue::Swap, 250ms},
        {SoundCue::Removal, SoundCue::Click, 300ms},
        {SoundCue::Click, SoundCue::Swap, 0ms}, // a second pick's Click and the blink's Swap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(testing_support::cueName(c.first)) + " then " +
                     testing_support::cueName(c.second));
        mark_ = recorder_.size();
        sound_->playCue(c.first);
        std::this_thread::sleep_for(c.gap);
        sound_->playCue(c.second);
        const auto recorded = recordUntilQuiet(8s);
        const auto onset = sound_test::loudSpan(recorded, kThreshold).first;
        // The second cue joins a running stream, so it sounds up to the stream's lead later
        // than it was asked for; find where it landed, then compare with that mix.
        const auto offset =
            fitSecondOffset(sound_test::toFloat(recorded, onset), c.first, c.second, c.gap);
        EXPECT_LT(offset - c.gap, 100ms) << "the second cue came late";
        expectMatches(recorded, referenceMix({{c.first, 0ms}, {c.second, offset}}), offset);
    }
}

// Guards against cues leaking through quiet mode, and against the replay's victory being
// silenced by it: the rules drive the real sound path through the gate.
TEST_F(PlaybackTest, QuietModeSilencesAllButTheReplaysVictory) {
    testing_support::FakeClock clock;
    SoundingView view(*sound_);
    engine::Game game(view, clock);
    view.replayActive = &game.replayActive;
    view.quietMode = true;

    // An ordinary removal (Click, Click, Swap, Removal) and an illegal pair, all in quiet mode.
    engine::pickTile(game, {1});
    engine::pickTile(game, {91});
    engine::pickTile(game, {12});
    engine::pickTile(game, {23});
    ASSERT_EQ(view.callsStartingWith("cue ").size(), 7u);
    EXPECT_FALSE(recorder_.waitFor(
        [from = mark_](const auto& s) {
            return !sound_test::loudSpan(s, kThreshold, from).empty();
        },
        1500ms))
        << "a cue sounded in quiet mode";

    // The final pair of a replay, still in quiet mode: only the victory sounds.
    game.board.buildBoard();
    game.state = {};
    for (int n = 1; n <= engine::kTileCount; ++n) {
        if (n != 10 && n != 90) {
            game.board.removeTile({n});
        }
    }
    game.state.counters.tilesRemoved = 98;
    game.replayActive = true;
    view.clear();
    mark_ = recorder_.size();
    engine::pickTile(game, {10});
    EXPECT_TRUE(engine::pickTile(game, {90}));
    EXPECT_EQ(view.callsStartingWith("cue "),
              (std::vector<std::string>{"cue Swap", "cue Victory"}));
    expectMatches(recordUntilQuiet(8s), referenceMix({{SoundCue::Victory, 0ms}}));
}

// Guards against a stream, timer or thread left busy once the sound has ended: an idle game
// must keep no stream at the server and use no processor time.
TEST_F(PlaybackTest, NothingRunsOnceTheSoundHasEnded) {
    sound_->playCue(SoundCue::Click);
    recordUntilQuiet(3s);
    auto streams = [] {
        return sound_test::commandOutput({"pactl", "list", "short", "sink-inputs"});
    };
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!streams().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(streams(), "") << "the stream stayed open";

    auto cpuMs = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        const long us = (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1'000'000L + u.ru_utime.tv_usec +
                        u.ru_stime.tv_usec;
        return static_cast<double>(us) / 1000.0;
    };
    const double before = cpuMs();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(cpuMs() - before, 10.0) << "milliseconds of processor time in an idle second";
}

} // namespace
