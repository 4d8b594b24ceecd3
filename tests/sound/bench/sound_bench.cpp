// Prints the sound system's figures: how long playCue and playWave take to return, and the
// delay from playCue to the first samples at a private PulseAudio null sink.
#include "pulse_server.h"

#include "ui/sound/sound_system.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    std::printf("%-46s median %8.3f %s   worst %8.3f %s   (%zu samples)\n", what, v[v.size() / 2],
                unit, v.back(), unit, v.size());
}

// Waits until nothing has sounded for `quiet` (by the recording), at most 10 s.
void waitQuiet(const sound_test::MonitorRecorder& rec, std::chrono::milliseconds quiet) {
    const auto start = Clock::now();
    std::size_t lastLoud = rec.size();
    while (Clock::now() - start < 10s) {
        const auto s = rec.samples();
        const auto span = sound_test::loudSpan(s, 328, lastLoud);
        if (!span.empty()) {
            lastLoud = span.last;
        } else if (s.size() - lastLoud >
                   static_cast<std::size_t>(quiet.count()) * sound_test::kRecordRate / 1000) {
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

// The delay from the call to the arrival of the first sample above the threshold.
double delayOnce(sound::SoundSystem& sound, const sound_test::MonitorRecorder& rec,
                 engine::SoundCue cue, int threshold) {
    const std::size_t mark = rec.size();
    const auto t0 = Clock::now();
    sound.playCue(cue);
    while (Clock::now() - t0 < 3s) {
        if (const auto at = rec.firstLoudArrival(mark, threshold)) {
            return ms(*at - t0);
        }
        std::this_thread::sleep_for(1ms);
    }
    return -1.0;
}

} // namespace

int main(int argc, char** argv) {
    sound_test::PulseServer server;
    if (!server.running()) {
        std::fprintf(stderr, "no private PulseAudio server: %s\n", server.error().c_str());
        return 1;
    }
    QCoreApplication app(argc, argv);
    sound_test::MonitorRecorder rec;
    if (!rec.start()) {
        std::fprintf(stderr, "parec recorded nothing\n");
        return 1;
    }
    sound::SoundSystem sound;
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(200ms);

    // Call times. The calls go back to back, as they would in a burst of hover ticks.
    std::vector<double> cueNs;
    for (int i = 0; i < 1000; ++i) {
        const auto t = Clock::now();
        sound.playCue(engine::SoundCue::Hover);
        cueNs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count());
        if (i % 50 == 49) {
            std::this_thread::sleep_for(20ms); // let the audio thread drain its queue now and then
        }
    }
    report("playCue (1000 calls)", cueNs, "us");
    const QByteArray removal = sound::SoundSystem::cueWave(engine::SoundCue::Removal);
    std::vector<double> waveNs;
    for (int i = 0; i < 200; ++i) {
        const auto t = Clock::now();
        sound.playWave(removal);
        waveNs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count());
        std::this_thread::sleep_for(2ms);
    }
    report("playWave, 37 KB clip (200 calls)", waveNs, "us");
    waitQuiet(rec, 800ms);

    // Delay with the stream closed (the first cue after a pause).
    std::vector<double> cold;
    for (int i = 0; i < 15; ++i) {
        waitQuiet(rec, 700ms); // the stream closes 250 ms after the last sound
        cold.push_back(delayOnce(sound, rec, engine::SoundCue::Click, 328));
    }
    report("delay to the sink, stream closed", cold, "ms");

    // Delay with the stream open. A quiet Hover opens the stream; 120 ms later a Click joins
    // it. The recording runs without a break from the Hover's onset on, so the Click's place in
    // it, against the Hover's, gives its delay: how much later than asked it lands, plus the
    // Hover's own delay to the sink. The Click is told apart from the Hover's tail by a
    // threshold above the Hover's peak.
    std::vector<double> warm;
    for (int i = 0; i < 15; ++i) {
        waitQuiet(rec, 700ms);
        const std::size_t mark = rec.size();
        const auto t0 = Clock::now();
        sound.playCue(engine::SoundCue::Hover);
        std::this_thread::sleep_for(120ms);
        const auto t1 = Clock::now();
        sound.playCue(engine::SoundCue::Click);
        waitQuiet(rec, 400ms);
        const auto samples = rec.samples();
        const auto hover = sound_test::loudSpan(samples, 328, mark);
        const auto click = sound_test::loudSpan(samples, 12000, mark);
        const auto hoverArrival = rec.firstLoudArrival(mark, 328);
        if (hover.empty() || click.empty() || !hoverArrival) {
            warm.push_back(-1.0);
            continue;
        }
        const double apartMs =
            static_cast<double>(click.first - hover.first) * 1000.0 / sound_test::kRecordRate;
        warm.push_back(apartMs - ms(t1 - t0) + ms(*hoverArrival - t0));
    }
    report("delay to the sink, stream open", warm, "ms");
    std::printf("(the time the server takes the first samples from the stream; the device's own\n"
                " output latency comes on top of it on real hardware)\n");

    // The server's own reckoning, while a long clip plays: the sound queued in the stream
    // ahead of the sink, and the sink's latency. A cue asked for while the stream runs is
    // heard after about their sum.
    waitQuiet(rec, 700ms);
    sound.playCue(engine::SoundCue::Victory);
    std::vector<double> buffered;
    std::vector<double> sinkLatency;
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(100ms);
        const std::string info = sound_test::commandOutput({"pactl", "list", "sink-inputs"});
        const auto field = [&info](const char* name) {
            const auto at = info.find(name);
            return at == std::string::npos
                       ? -1.0
                       : std::atof(info.c_str() + at + std::strlen(name)) / 1000.0;
        };
        buffered.push_back(field("Buffer Latency: "));
        sinkLatency.push_back(field("Sink Latency: "));
    }
    report("queued in the stream (server's figure)", buffered, "ms");
    report("sink latency (server's figure)", sinkLatency, "ms");
    return 0;
}
