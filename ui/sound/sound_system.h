// Plays the game's sound cues and in-memory WAVE clips, several at once, without ever holding
// up the caller.
#pragma once

#include "engine/game.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

#include <memory>

class QThread;

namespace sound {

class AudioOutput;
struct Clip;
struct SharedQueue;

// The clips of the seven cues are compiled into the program; they are read once, when the
// sound system is made, and kept until it goes. All calls come from the thread that made it.
//
// Playback runs on a thread of its own that mixes every sounding clip into one audio stream.
// The stream is opened when the first clip is asked for and closed again shortly after the
// last one has ended, so an idle game keeps no stream, timer or thread busy. Without an audio
// server or device every clip is silently dropped.
class SoundSystem : public QObject {
    Q_OBJECT
public:
    explicit SoundSystem(QObject* parent = nullptr);
    ~SoundSystem() override;

    // Plays the cue's clip. No quiet-mode check here: the caller decides whether a cue sounds.
    void playCue(engine::SoundCue cue);
    // Plays a WAVE file's data chunk once in its format. Malformed or unsupported input plays
    // nothing. The bytes are not kept: the caller may free them as soon as this returns.
    void playWave(QByteArrayView wave);

    // The embedded WAVE file of a cue, exactly as stored in assets/sounds.
    static QByteArray cueWave(engine::SoundCue cue);

private:
    void ensureOutput();
    void enqueue(std::shared_ptr<const Clip> clip);

    std::shared_ptr<const Clip> clips_[engine::kSoundCueCount];
    std::shared_ptr<SharedQueue> queue_;
    std::unique_ptr<QThread> thread_;
    AudioOutput* output_ = nullptr; // lives in thread_, deleted there
};

} // namespace sound
