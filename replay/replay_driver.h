// The replay driver: plays a step script move by move through the same pick a click uses.
#pragma once

#include "engine/game.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace replay {

enum class ReplayState { Idle = 0, Running = 1, Paused = 2 };

// What the driver needs of the window layer besides the game's own view.
class ReplayHost {
public:
    virtual ~ReplayHost() = default;
    virtual void showInfo(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void sleepMs(int ms) = 0;
    virtual void pumpEvents() = 0;
    virtual std::string clipboardText() = 0;
    // The control panel: opened without blocking, closed at the replay's end.
    virtual void openPanel() = 0;
    virtual void closePanel() = 0;
    // True once the program has been asked to end: the driver stops at once.
    virtual bool programEnding() = 0;
};

// Modifier bits of the step box's key event.
inline constexpr int kModCtrl = 1;
inline constexpr int kModShift = 2;
inline constexpr int kModAlt = 4;
inline constexpr int kKeyB = 66;

class ReplayDriver {
public:
    ReplayDriver(engine::Game& game, ReplayHost& host) : game_(game), host_(host) {}

    // Plays the script; returns when the replay has ended.
    void startReplay(std::string_view text);
    // The step box's key event: Ctrl+B alone replays the clipboard's text. The key itself is
    // left for the box.
    void onStepBoxKey(int keyCode, int modifiers);
    // The "show my steps" command: the instructions text.
    void showInstructions();

    // The panel's buttons write the state; the driver reads it between steps.
    ReplayState state() const { return state_; }
    void setState(ReplayState s) { state_ = s; }

private:
    // How the lines of a replay came to an end, which decides whether the driver settles.
    enum class Ending {
        Played,        // last line, Stop, a No to a prompt, or the winning pick
        BoardReplaced, // someone else replaced the board (a new game or a settlement)
        ProgramEnding, // the program is going: nothing more may touch the board
    };

    Ending playLines(std::string_view text);
    // Asks whether to skip a bad line and go on: nullopt to go on, otherwise how the replay ends.
    std::optional<Ending> askToContinue(const std::string& prompt);
    // Why the replay cannot go on after a wait, if it cannot.
    std::optional<Ending> interruption() const;
    void endReplay(Ending ending);

    engine::Game& game_;
    ReplayHost& host_;
    ReplayState state_ = ReplayState::Idle;
    // The board generation the replay plays on; any other means the board was replaced.
    std::uint64_t generation_ = 0;
};

} // namespace replay
