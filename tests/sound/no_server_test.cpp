// The sound system with no audio server to be had: it must stay silent, say nothing, never
// hold up its caller and go away cleanly.
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

// Guards against a stall, a crash or a message on the console when the audio server is
// missing: every call returns at once, output or not.
TEST(NoAudioServer, PlaysNothingSaysNothingAndNeverStalls) {
    setenv("PULSE_SERVER", "unix:/nonexistent/quorvane/native", 1);
    setenv("PULSE_RUNTIME_PATH", "/nonexistent/quorvane", 1);
    setenv("XDG_RUNTIME_DIR", "/nonexistent/quorvane", 1);

    // Everything written to the standard error from here on lands in a file.
    QTemporaryFile log;
    ASSERT_TRUE(log.open());
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_GE(dup2(log.handle(), STDERR_FILENO), 0);

    qint64 slowestNs = 0;
    {
        static int argc = 1;
        static char name[] = "sound_no_server_test";
        static char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        QElapsedTimer life;
        life.start();
        {
            sound::SoundSystem sound;
            QCoreApplication::processEvents();
            const QByteArray wave = sound::SoundSystem::cueWave(engine::SoundCue::Removal);
            for (int round = 0; round < 20; ++round) {
                for (int i = 0; i < engine::kSoundCueCount; ++i) {
                    QElapsedTimer t;
                    t.start();
                    sound.playCue(static_cast<engine::SoundCue>(i));
                    sound.playWave(wave);
                    slowestNs = std::max(slowestNs, t.nsecsElapsed());
                }
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        EXPECT_LT(life.elapsed(), 3000) << "making, using and ending the sound system stalled";
    }

    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    EXPECT_LT(slowestNs, 5'000'000) << "a call waited for the missing server";
    QFile read(log.fileName());
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    EXPECT_EQ(read.readAll().toStdString(), "") << "the sound system wrote to the console";
}

} // namespace
