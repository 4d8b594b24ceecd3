// The sound system: the embedded cue clips, and an audio thread that mixes every sounding clip
// into a single Qt Multimedia sink.
//
// Why one mixed stream: QSoundEffect restarts an effect that is still playing, so it cannot
// let a clip overlap itself; and a pool of QAudioSink voices would open an audio-server stream
// per clip, each a blocking round trip to the server, with a fixed limit on how many sound at
// once. A mixer needs one stream, lets any clip overlap any other, and adding a clip to it is
// a few pointer copies. The stream and every call into Qt Multimedia live on their own thread,
// so a slow, stuck or missing audio server can never hold up the user-interface thread.
#include "ui/sound/sound_system.h"

#include "ui/sound/mixer.h"
#include "ui/sound/wave_file.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <cstring>
#include <mutex>
#include <vector>

namespace sound {

// ------------------------------------------------------------------------------------------
// Hand-over from the calling thread to the audio thread.

struct SharedQueue {
    std::mutex mutex;
    std::vector<std::shared_ptr<const Clip>> pending;
    bool wakePosted = false;
};

namespace {

// Clips asked for while the audio thread cannot take them (a stalled server) are dropped
// beyond this many rather than piling up.
constexpr std::size_t kMaxPending = 64;
constexpr int kMixRate = 44100;
// The stream's buffer in the audio server (PulseAudio makes it 70 ms, and starts playing once
// 50 ms are in); the mix is written up to kAheadMs ahead of playback, topped up every kFeedMs.
// 60 ms ahead starts a fresh stream with its first write and rides out a busy machine's
// scheduling delays; a shorter lead or a slower feed let the stream run dry under load.
constexpr int kBufferMs = 100;
constexpr int kFeedMs = 5;
constexpr std::size_t kAheadMs = 60;
// The stream stays open this long after the last clip has ended, so that the clip's end is
// played out of the server's buffer before the stream closes, and a quick next cue finds the
// stream still open.
constexpr int kIdleTailMs = 250;

std::shared_ptr<const Clip> clipFromWave(QByteArrayView bytes) {
    const auto wave = parseWave(std::as_bytes(std::span(bytes.data(), bytes.size())));
    if (!wave || wave->frames() == 0) {
        return nullptr;
    }
    auto clip = std::make_shared<Clip>();
    clip->samples = decodeMono(*wave);
    clip->sampleRate = wave->sampleRate;
    return clip;
}

// The audio thread's name; the message filter below knows it by that.
const QString kThreadName = QStringLiteral("quorvane-sound");

// Qt Multimedia warns on the console when it cannot reach an audio server or loses it. A game
// without sound is nothing the player needs to be told, so such warnings (raised on the audio
// thread, in Qt Multimedia's logging categories, or by its PulseAudio client on that client's
// own thread) are dropped. Debug output, and every message of the rest of the program, goes on
// to the handler that was installed before.
QtMessageHandler previousHandler = nullptr;

bool isAudioWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtWarningMsg && type != QtCriticalMsg) {
        return false;
    }
    QStringView t(text);
    if (t.startsWith(u'"')) {
        t = t.mid(1); // streamed through qWarning() << text
    }
    return QThread::currentThread()->objectName() == kThreadName ||
           (context.category && std::strncmp(context.category, "qt.multimedia", 13) == 0) ||
           t.startsWith(u"PulseAudioService") || t.startsWith(u"Stream error");
}

void filterAudioMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!isAudioWarning(type, context, text) && previousHandler) {
        previousHandler(type, context, text);
    }
}

const char* cueFile(engine::SoundCue cue) {
    switch (cue) {
    case engine::SoundCue::Click:
        return ":/sounds/click.wav";
    case engine::SoundCue::Hover:
        return ":/sounds/hover.wav";
    case engine::SoundCue::Deselect:
        return ":/sounds/deselect.wav";
    case engine::SoundCue::Swap:
        return ":/sounds/swap.wav";
    case engine::SoundCue::InvalidSwap:
        return ":/sounds/invalid_swap.wav";
    case engine::SoundCue::Removal:
        return ":/sounds/removal.wav";
    case engine::SoundCue::Victory:
        return ":/sounds/victory.wav";
    }
    return "";
}

} // namespace

// ------------------------------------------------------------------------------------------
// The audio thread's side: the mixer and the sink it writes to.
//
// The mix is pushed into the sink a little ahead of playback: while anything sounds, a 5 ms
// timer keeps 60 ms of mix written ahead. A clip asked for while the stream runs thus waits
// behind at most that much sound, and a freshly opened stream starts with its first write.
// (Qt's pull mode feeds one 20 ms period per 20 ms tick, so it can never catch up after a
// late tick, and with a small buffer it can stop short of the server's start threshold and
// never start at all.)

class AudioOutput : public QObject {
public:
    explicit AudioOutput(std::shared_ptr<SharedQueue> queue) : queue_(std::move(queue)) {
        feedTimer_->setTimerType(Qt::PreciseTimer);
        feedTimer_->setInterval(kFeedMs);
        QObject::connect(feedTimer_, &QTimer::timeout, this, [this] { feed(); });
    }
    ~AudioOutput() override { close(); }

    // Called (queued) after clips have been handed over.
    void wake() {
        {
            std::lock_guard lock(queue_->mutex);
            queue_->wakePosted = false;
            if (queue_->pending.empty()) {
                return;
            }
        }
        if (!stream_ && !open()) {
            std::lock_guard lock(queue_->mutex);
            queue_->pending.clear(); // no sound to be had: the clips are dropped, silently
            return;
        }
        feed();
    }

    // Connects to the audio server ahead of the first clip, so that it starts promptly.
    void prepare() { (void)QMediaDevices::defaultAudioOutput(); }

private:
    bool open() {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            return false;
        }
        if (!sink_ || device != device_) {
            sink_.reset();
            QAudioFormat format;
            format.setSampleRate(kMixRate);
            format.setChannelCount(1);
            format.setSampleFormat(QAudioFormat::Int16);
            if (!device.isFormatSupported(format)) {
                format = device.preferredFormat();
                if (format.sampleFormat() != QAudioFormat::Float) {
                    format.setSampleFormat(QAudioFormat::Int16);
                }
            }
            format_ = format;
            device_ = device;
            mixer_ = std::make_unique<Mixer>(format.sampleRate());
            sink_ = std::make_unique<QAudioSink>(device, format);
            sink_->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
        }
        idleFrames_ = 0;
        framesWritten_ = 0;
        stream_ = sink_->start();
        streamClock_.start();
        if (!stream_ || sink_->error() != QAudio::NoError) {
            close();
            return false;
        }
        feedTimer_->start();
        return true;
    }

    void close() {
        feedTimer_->stop();
        if (sink_) {
            sink_->stop();
        }
        stream_ = nullptr;
    }

    // Tops the server's buffer up with the next stretch of the mix; closes the stream once
    // nothing has sounded for a while.
    void feed() {
        if (!stream_) {
            return;
        }
        if (sink_->error() == QAudio::FatalError || sink_->error() == QAudio::IOError ||
            sink_->state() == QAudio::StoppedState) {
            // The stream failed (the server went away): what was sounding is let go, and the
            // next clip tries afresh.
            close();
            mixer_ = std::make_unique<Mixer>(format_.sampleRate());
            return;
        }
        {
            std::lock_guard lock(queue_->mutex);
            for (auto& clip : queue_->pending) {
                mixer_->add(std::move(clip));
            }
            queue_->pending.clear();
        }
        const int bytesPerFrame = format_.bytesPerFrame();
        // Write no further ahead of the playback position (by this thread's clock) than
        // kAheadMs, whatever room the server offers: a clip asked for while the stream runs
        // then waits behind at most that much already-written sound.
        const auto rate = static_cast<std::size_t>(format_.sampleRate());
        const std::size_t due =
            static_cast<std::size_t>(streamClock_.elapsed()) * rate / 1000 + kAheadMs * rate / 1000;
        const std::size_t wanted = due > framesWritten_ ? due - framesWritten_ : 0;
        const auto frames =
            std::min(wanted, static_cast<std::size_t>(sink_->bytesFree() / bytesPerFrame));
        if (frames == 0) {
            return;
        }
        const int channels = format_.channelCount();
        const std::size_t samples = frames * static_cast<std::size_t>(channels);
        const char* data = nullptr;
        if (format_.sampleFormat() == QAudioFormat::Float) {
            floatScratch_.resize(samples);
            mixer_->render(std::span(floatScratch_), channels);
            data = reinterpret_cast<const char*>(floatScratch_.data());
        } else {
            intScratch_.resize(samples);
            mixer_->render(std::span(intScratch_), channels);
            data = reinterpret_cast<const char*>(intScratch_.data());
        }
        stream_->write(data, static_cast<qint64>(frames) * bytesPerFrame);
        framesWritten_ += frames;

        if (mixer_->activeVoices() > 0) {
            idleFrames_ = 0;
            return;
        }
        idleFrames_ += frames;
        // The silence written after the last clip pushes its end through the server's buffer;
        // once there is enough of it, the stream can close without cutting anything short.
        if (idleFrames_ * 1000 >= static_cast<std::size_t>(kIdleTailMs) *
                                      static_cast<std::size_t>(format_.sampleRate())) {
            std::lock_guard lock(queue_->mutex);
            if (queue_->pending.empty()) {
                feedTimer_->stop();
                sink_->stop();
                stream_ = nullptr;
            }
        }
    }

    std::shared_ptr<SharedQueue> queue_;
    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<Mixer> mixer_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* stream_ = nullptr;          // the sink's, while it is open
    QTimer* feedTimer_ = new QTimer(this); // a child, so it moves to the audio thread too
    std::vector<std::int16_t> intScratch_;
    std::vector<float> floatScratch_;
    std::size_t idleFrames_ = 0;
    QElapsedTimer streamClock_; // since the stream was opened
    std::size_t framesWritten_ = 0;
};

// ------------------------------------------------------------------------------------------
// The calling thread's side.

SoundSystem::SoundSystem(QObject* parent)
    : QObject(parent), queue_(std::make_shared<SharedQueue>()) {
    for (int i = 0; i < engine::kSoundCueCount; ++i) {
        clips_[i] = clipFromWave(cueWave(static_cast<engine::SoundCue>(i)));
    }
    // The audio server is contacted once the event loop runs, off this thread, so that it
    // never stands before the main window's first paint.
    QTimer::singleShot(0, this, [this] {
        ensureOutput();
        QMetaObject::invokeMethod(
            output_, [o = output_] { o->prepare(); }, Qt::QueuedConnection);
    });
}

SoundSystem::~SoundSystem() {
    if (!thread_) {
        return;
    }
    thread_->quit();
    // A stream stuck in a hung audio server must not hold up the program's end: after a grace
    // period the thread is left to the process's exit.
    if (!thread_->wait(QDeadlineTimer(2000))) {
        (void)thread_.release();
    }
}

QByteArray SoundSystem::cueWave(engine::SoundCue cue) {
    QFile file(QString::fromLatin1(cueFile(cue)));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void SoundSystem::ensureOutput() {
    if (thread_) {
        return;
    }
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(kThreadName);
    static std::once_flag filterInstalled;
    std::call_once(filterInstalled,
                   [] { previousHandler = qInstallMessageHandler(filterAudioMessages); });
    output_ = new AudioOutput(queue_);
    output_->moveToThread(thread_.get());
    // The output (and the sink it owns) is deleted on its own thread as that thread ends.
    QObject::connect(thread_.get(), &QThread::finished, output_, &QObject::deleteLater);
    thread_->start();
}

void SoundSystem::playCue(engine::SoundCue cue) {
    const int index = static_cast<int>(cue);
    if (index >= 0 && index < engine::kSoundCueCount) {
        enqueue(clips_[index]);
    }
}

void SoundSystem::playWave(QByteArrayView wave) {
    enqueue(clipFromWave(wave));
}

void SoundSystem::enqueue(std::shared_ptr<const Clip> clip) {
    if (!clip) {
        return;
    }
    ensureOutput();
    bool post = false;
    {
        std::lock_guard lock(queue_->mutex);
        if (queue_->pending.size() >= kMaxPending) {
            return;
        }
        queue_->pending.push_back(std::move(clip));
        post = !queue_->wakePosted;
        queue_->wakePosted = true;
    }
    if (post) {
        QMetaObject::invokeMethod(
            output_, [o = output_] { o->wake(); }, Qt::QueuedConnection);
    }
}

} // namespace sound
