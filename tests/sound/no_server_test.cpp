// The sound system without an audio server, from the start or lost in the middle of a clip: it
// must stay silent, say nothing, never hold up its caller and go away cleanly.
#include "pulse_server.h"

#include "ui/sound/sound_system.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

void ensureApp() {
    static int argc = 1;
    static char name[] = "sound_no_server_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Sends the standard error to a file while it lives; text() reads what arrived.
class CapturedStderr {
public:
    CapturedStderr() {
        file_.open();
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~CapturedStderr() { restore(); }
    std::string text() {
        restore();
        QFile read(file_.fileName());
        return read.open(QIODevice::ReadOnly) ? read.readAll().toStdString() : "(unreadable)";
    }

private:
    void restore() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, STDERR_FILENO);
            close(saved_);
            saved_ = -1;
        }
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

// Calls every cue and playWave a number of times; the slowest call, in nanoseconds. A call that
// waited for the server would take a connection timeout, hundreds of milliseconds or more;
// the bound of 50 ms leaves room for a sanitizer build on a busy machine.
qint64 playEverything(sound::SoundSystem& sound, int rounds) {
    const QByteArray wave = sound::SoundSystem::cueWave(engine::SoundCue::Removal);
    qint64 slowest = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < engine::kSoundCueCount; ++i) {
            QElapsedTimer t;
            t.start();
            sound.playCue(static_cast<engine::SoundCue>(i));
            sound.playWave(wave);
            slowest = std::max(slowest, t.nsecsElapsed());
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(10ms);
    }
    return slowest;
}

// Guards against a crash, a stall or console messages when the audio server dies while a clip
// is sounding: later cues return at once and the sound system still ends promptly.
TEST(LostAudioServer, GoingAwayMidClipLeavesTheGameSilentAndResponsive) {
    auto server = std::make_unique<sound_test::PulseServer>();
    ASSERT_TRUE(server->running()) << server->error();
    ensureApp();
    CapturedStderr console;
    qint64 slowestNs = 0;
    QElapsedTimer life;
    life.start();
    {
        sound::SoundSystem sound;
        QCoreApplication::processEvents();
        sound.playCue(engine::SoundCue::Victory);
        std::this_thread::sleep_for(300ms);
        server.reset(); // the server is stopped with the clip still sounding
        slowestNs = playEverything(sound, 20);
    }
    EXPECT_LT(life.elapsed(), 4000) << "the sound system stalled after losing its server";
    EXPECT_LT(slowestNs, 50'000'000) << "a call waited for the lost server";
    EXPECT_EQ(console.text(), "") << "the sound system wrote to the console";
}

// Guards against a stall, a crash or a message on the console when the audio server is
// missing: every call returns at once, and the console hears only the program's own messages.
TEST(NoAudioServer, PlaysNothingSaysNothingAndNeverStalls) {
    setenv("PULSE_SERVER", "unix:/nonexistent/quorvane/native", 1);
    setenv("PULSE_RUNTIME_PATH", "/nonexistent/quorvane", 1);
    setenv("XDG_RUNTIME_DIR", "/nonexistent/quorvane", 1);
    ensureApp();
    CapturedStderr console;
    qint64 slowestNs = 0;
    QElapsedTimer life;
    life.start();
    {
        sound::SoundSystem sound;
        QCoreApplication::processEvents();
        slowestNs = playEverything(sound, 20);
    }
    EXPECT_LT(life.elapsed(), 3000) << "making, using and ending the sound system stalled";
    // The sound system hushes only its own messages, not the program's.
    qWarning("a message of the program's own");
    EXPECT_LT(slowestNs, 50'000'000) << "a call waited for the missing server";
    EXPECT_EQ(console.text(), "a message of the program's own\n")
        << "the sound system wrote to the console, or swallowed another message";
}

} // namespace
