// A private PulseAudio server with one null sink, and a recorder of that sink's monitor, for
// tests and benchmarks that listen to what the program really plays.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sound_test {

inline constexpr int kRecordRate = 44100;

// Starts `pulseaudio` in a temporary runtime folder and points this process at it
// (PULSE_SERVER and the runtime paths), so it must be made before anything in the process
// talks to an audio server. Destruction stops the server and removes the folder.
class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // True once the server answers; otherwise error() says why.
    bool running() const { return running_; }
    const std::string& error() const { return error_; }

private:
    std::string dir_;
    pid_t pid_ = -1;
    bool running_ = false;
    std::string error_;
};

// Records the null sink's monitor (mono, 16-bit, 44100 Hz) with parec, reading on a thread of
// its own and time-stamping every block as it arrives.
class MonitorRecorder {
public:
    using Clock = std::chrono::steady_clock;

    MonitorRecorder() = default;
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Starts parec and waits until samples flow; false if they do not within a few seconds.
    bool start();

    std::vector<std::int16_t> samples() const;
    std::size_t size() const;
    // Waits until the condition on the recording holds or the timeout passes; returns the
    // condition's last answer.
    bool waitFor(const std::function<bool(const std::vector<std::int16_t>&)>& condition,
                 std::chrono::milliseconds timeout) const;
    // The arrival time of the first block holding a sample at or above the threshold at or
    // after index `from`; none if there is no such sample yet.
    std::optional<Clock::time_point> firstLoudArrival(std::size_t from, int threshold) const;

private:
    void readLoop();

    struct Block {
        std::size_t end; // sample count after this block
        Clock::time_point arrival;
    };
    mutable std::mutex mutex_;
    std::vector<std::int16_t> samples_;
    std::vector<Block> blocks_;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
};

// The first and one-past-the-last sample at or above the threshold in magnitude.
struct Span {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t length() const { return last - first; }
    bool empty() const { return last == first; }
};
Span loudSpan(const std::vector<std::int16_t>& s, int threshold, std::size_t from = 0);

// What a command prints on its standard output (run to its end).
std::string commandOutput(const std::vector<std::string>& argv);

// Sum of squares in full-scale units over [from, to) (clamped to the signal).
double energy(const std::vector<float>& s, std::size_t from, std::size_t to);
std::vector<float> toFloat(const std::vector<std::int16_t>& s, std::size_t from = 0);

} // namespace sound_test
