// The private PulseAudio server and the monitor recorder of the sound tests.
#include "pulse_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace sound_test {

namespace {

// Starts a program with its standard output on a pipe (when out is given) and its standard
// error discarded. Everything the child needs is made before the fork: between fork and exec
// a child of a threaded process may only make async-signal-safe calls.
pid_t spawn(const std::vector<std::string>& argv, int* out) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    int fds[2] = {-1, -1};
    if (out && pipe(fds) != 0) {
        return -1;
    }
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // The helper dies with the test, even when the test is killed (by a timeout, say).
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(null, STDIN_FILENO);
        dup2(out ? fds[1] : null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        setpgid(0, 0);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(null);
    if (out) {
        close(fds[1]);
        *out = pid > 0 ? fds[0] : -1;
        if (pid <= 0) {
            close(fds[0]);
        }
    }
    return pid;
}

int runQuietly(const std::vector<std::string>& argv) {
    const pid_t pid = spawn(argv, nullptr);
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string commandOutput(const std::vector<std::string>& argv) {
    int fd = -1;
    const pid_t pid = spawn(argv, &fd);
    if (pid <= 0) {
        return {};
    }
    std::string text;
    char buffer[1024];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR) {
            break;
        }
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    waitpid(pid, nullptr, 0);
    return text;
}

namespace {

void stopProcess(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

// ------------------------------------------------------------------------------------------

PulseServer::PulseServer() {
    std::string templ = (std::filesystem::temp_directory_path() / "quorvane-pulse-XXXXXX").string();
    if (!mkdtemp(templ.data())) {
        error_ = "no temporary folder";
        return;
    }
    dir_ = templ;
    const std::string runtime = dir_ + "/pulse";
    std::filesystem::create_directories(runtime);
    const std::string socket = runtime + "/native";
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", runtime.c_str(), 1);
    setenv("PULSE_STATE_PATH", (dir_ + "/state").c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    setenv("PULSE_COOKIE", (dir_ + "/cookie").c_str(), 1);
    unsetenv("PULSE_SINK");

    // -n: no default configuration; just a null sink and the local socket, no idle exit.
    pid_ =
        spawn({"pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
               "--disallow-exit", "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr",
               "-Lmodule-null-sink sink_name=quorvane_test rate=44100 channels=2 norewinds=1",
               "-Lmodule-native-protocol-unix auth-anonymous=1 socket=" + socket},
              nullptr);
    if (pid_ <= 0) {
        error_ = "pulseaudio could not be started";
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "pulseaudio exited at start-up";
            return;
        }
        if (std::filesystem::exists(socket) && runQuietly({"pactl", "info"}) == 0) {
            running_ = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error_ = "pulseaudio did not answer within 10 s";
}

PulseServer::~PulseServer() {
    stopProcess(pid_);
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

// ------------------------------------------------------------------------------------------

bool MonitorRecorder::start() {
    pid_ = spawn({"parec", "--device=quorvane_test.monitor", "--format=s16le", "--channels=1",
                  "--rate=" + std::to_string(kRecordRate), "--raw", "--latency-msec=5"},
                 &fd_);
    if (pid_ <= 0) {
        return false;
    }
    reader_ = std::thread([this] { readLoop(); });
    return waitFor([](const auto& s) { return s.size() > kRecordRate / 20; },
                   std::chrono::seconds(5));
}

MonitorRecorder::~MonitorRecorder() {
    stopProcess(pid_);
    if (reader_.joinable()) {
        reader_.join(); // the pipe closes with parec, so the read loop ends
    }
    if (fd_ >= 0) {
        close(fd_);
    }
}

void MonitorRecorder::readLoop() {
    char buffer[4096];
    std::size_t carry = 0; // an odd byte left over from the previous read
    char odd = 0;
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        std::size_t at = 0;
        if (carry) {
            samples_.push_back(static_cast<std::int16_t>(
                static_cast<unsigned char>(odd) | static_cast<unsigned char>(buffer[0]) << 8));
            at = 1;
            carry = 0;
        }
        for (; at + 1 < static_cast<std::size_t>(n); at += 2) {
            samples_.push_back(
                static_cast<std::int16_t>(static_cast<unsigned char>(buffer[at]) |
                                          static_cast<unsigned char>(buffer[at + 1]) << 8));
        }
        if (at < static_cast<std::size_t>(n)) {
            odd = buffer[at];
            carry = 1;
        }
        blocks_.push_back({samples_.size(), now});
    }
}

std::vector<std::int16_t> MonitorRecorder::samples() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

std::size_t MonitorRecorder::size() const {
    std::lock_guard lock(mutex_);
    return samples_.size();
}

bool MonitorRecorder::waitFor(
    const std::function<bool(const std::vector<std::int16_t>&)>& condition,
    std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const bool met = condition(samples());
        if (met || Clock::now() >= deadline) {
            return met;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::optional<MonitorRecorder::Clock::time_point>
MonitorRecorder::firstLoudArrival(std::size_t from, int threshold) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = from; i < samples_.size(); ++i) {
        if (std::abs(int{samples_[i]}) >= threshold) {
            for (const Block& b : blocks_) {
                if (b.end > i) {
                    return b.arrival;
                }
            }
        }
    }
    return std::nullopt;
}

// ------------------------------------------------------------------------------------------

Span loudSpan(const std::vector<std::int16_t>& s, int threshold, std::size_t from) {
    Span span;
    bool found = false;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (std::abs(int{s[i]}) >= threshold) {
            if (!found) {
                span.first = i;
                found = true;
            }
            span.last = i + 1;
        }
    }
    return span;
}

double energy(const std::vector<float>& s, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < std::min(to, s.size()); ++i) {
        sum += double{s[i]} * s[i];
    }
    return sum;
}

std::vector<float> toFloat(const std::vector<std::int16_t>& s, std::size_t from) {
    std::vector<float> out;
    for (std::size_t i = from; i < s.size(); ++i) {
        out.push_back(static_cast<float>(s[i]) / 32768.0f);
    }
    return out;
}

} // namespace sound_test
