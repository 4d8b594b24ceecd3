// The game rules: the state of one run, the window-layer operations the rules call, and the
// entries for picks, right clicks, settlement and new games.
#pragma once

#include "board.h"

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

enum class TileLook { Normal, Selected, Hover };

enum class SoundCue { Click, Hover, Deselect, Swap, InvalidSwap, Removal, Victory };
inline constexpr int kSoundCueCount = 7;

// Whether a cue sounds: the replay's victory always does, everything else only outside quiet mode.
bool cueAudible(SoundCue cue, bool quietMode, bool replayActive);

struct GameCounters {
    int steps = 0;
    int eliminatingSteps = 0;
    int tilesRemoved = 0;
};

struct GameState {
    bool busy = false;
    std::optional<TileRef> firstPick;
    std::int64_t startTime = 0; // uptime in ms at the game's first designation; 0 = not started
    GameCounters counters;
    int hundredCooldown = 3;
    std::optional<TileRef> disabledTile;
};

// The millisecond uptime clock. Tests give their own so that time is theirs to control.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t uptimeMs() = 0;
};

// Everything visible that the rules ask of the window layer. Every call is synchronous; the
// animations and boxes return when done and keep window events flowing meanwhile, so other
// handlers (menu commands among them) may run inside them.
class GameView {
public:
    virtual ~GameView() = default;
    virtual void setTileLook(TileRef tile, TileLook look) = 0;
    virtual void setTileEnabled(TileRef tile, bool enabled) = 0;
    virtual void destroyTile(TileRef tile) = 0;
    virtual void setTitle(const std::string& text) = 0;
    virtual void playCue(SoundCue cue) = 0;
    virtual void pickBlink(TileRef first, TileRef second) = 0;
    virtual void swapGlide(TileRef first, TileRef second) = 0;
    virtual void removalFlash(const std::string& text, TileRef tile,
                              std::optional<TileRef> second) = 0;
    virtual void showInfo(const std::string& text) = 0;
    virtual bool askOkCancel(const std::string& text) = 0;
    virtual void clearStepLog() = 0;
    virtual void appendStepLine(const std::string& firstCaption,
                                const std::string& secondCaption) = 0;
    virtual void setSettleEnabled(bool enabled) = 0;
    // The main window's set-up, run again for a freshly built board.
    virtual void rebuildWindow() = 0;
    // Handles the pending window events.
    virtual void pumpEvents() = 0;
};

// One run's game: the board, the rules' state and the flag the replay driver sets.
struct Game {
    Game(GameView& v, Clock& c) : view(v), clock(c) {}

    Board board;
    GameState state;
    // Set by the replay driver for the whole of a replay; the rules leave some effects out then.
    bool replayActive = false;
    // Grows each time the board is replaced or the game abandoned. A move or a settlement that
    // waited inside the view compares it afterwards and stops when its board is gone.
    std::uint64_t generation = 0;

    GameView& view;
    Clock& clock;
};

// Designates a tile (a player's left click or a replay step). True exactly when this pick took
// the final pair, which has then been settled and a new board built.
bool pickTile(Game& game, TileRef t);

// A player's left click on a tile. During a replay the board belongs to the replay, so the
// player's clicks are ignored; otherwise it is a pick.
void clickTile(Game& game, TileRef t);

// A right click on a tile; true when the window layer is to pop up the main menu.
bool rightClickTile(Game& game, TileRef t);

// The report of the game so far, then a new game.
void settle(Game& game);
// Resets the board, the counters and the clock; the step log stays.
void newGame(Game& game);
// The "new game" command: asks, and resets on OK.
void confirmNewGame(Game& game);
// Stops whatever move or settlement is waiting inside the view (the program is ending): it
// returns without touching the board again.
void abandonGame(Game& game);

std::string formatDuration(double milliseconds);
std::string settlementReport(const GameCounters& counters, int tilesLeft, double elapsedMs);
// The title text of a legal swap, e.g. "91 + 11 = 102(2)".
std::string statusText(const std::string& firstCaption, const std::string& secondCaption, int raw);

} // namespace engine
