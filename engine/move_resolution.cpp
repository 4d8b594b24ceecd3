// Picks, moves, the hundred cooldown, the final pair and right clicks on tiles.
#include "game.h"
#include "texts.h"

#include <algorithm>

namespace engine {

bool cueAudible(SoundCue cue, bool quietMode, bool replayActive) {
    if (cue == SoundCue::Victory && replayActive) {
        return true;
    }
    return !quietMode;
}

std::string statusText(const std::string& firstCaption, const std::string& secondCaption, int raw) {
    std::string text = firstCaption + " + " + secondCaption + " = " + std::to_string(raw);
    if (raw > 100) {
        text += "(" + std::to_string(raw - 100) + ")";
    }
    return text;
}

namespace {

bool isHundred(const Board& board, TileRef t) {
    return board.tile(t).caption == "100";
}

// The move's board is gone when a new game (or the program's end) arrived while the view waited.
struct MoveGuard {
    const Game& game;
    std::uint64_t generation = game.generation;
    bool boardReplaced() const { return game.generation != generation; }
};

} // namespace

bool pickTile(Game& game, TileRef t) {
    GameState& s = game.state;
    GameView& view = game.view;
    Board& board = game.board;
    if (s.busy) {
        return false;
    }
    // Only live tiles reach here; a stale one is ignored rather than trusted.
    if (!board.findTile(t.number)) {
        return false;
    }
    if (!game.replayActive) {
        view.playCue(SoundCue::Click);
    }
    if (s.startTime == 0) {
        // A clock reading of 0 would mean "not started"; a real uptime never is.
        s.startTime = std::max<std::int64_t>(1, game.clock.uptimeMs());
        view.clearStepLog();
        view.setSettleEnabled(true);
    }
    if (!s.firstPick) {
        s.firstPick = t;
        view.setTileLook(t, TileLook::Selected);
        return false;
    }
    if (*s.firstPick == t) {
        view.showInfo(std::string(texts::kAlreadySelected));
        return false;
    }

    const TileRef f = *s.firstPick;
    s.busy = true;
    view.setTileLook(t, TileLook::Selected);
    const MoveGuard guard{game};

    if (!board.sameLine(f, t)) {
        view.playCue(SoundCue::InvalidSwap);
        view.setTitle(std::string(texts::kCannotSwap));
        view.setTileLook(f, TileLook::Normal);
        view.setTileLook(t, TileLook::Normal);
        s.firstPick.reset();
        s.busy = false;
        return false;
    }

    const std::string fCaption = board.tile(f).caption;
    const std::string tCaption = board.tile(t).caption;
    view.appendStepLine(fCaption, tCaption);
    view.pickBlink(f, t);
    if (guard.boardReplaced()) {
        return false;
    }
    view.swapGlide(f, t);
    if (guard.boardReplaced()) {
        return false;
    }
    board.swapCells(f, t);
    s.counters.steps += 1;

    const int raw = std::stoi(fCaption) + std::stoi(tCaption);
    const int result = raw > 100 ? raw - 100 : raw;

    if (s.counters.tilesRemoved == 98 && result == 100) {
        view.playCue(SoundCue::Victory);
        view.removalFlash(std::string(texts::kVictoryFlash), f, t);
        if (guard.boardReplaced()) {
            return false;
        }
        board.removeTile(f);
        view.destroyTile(f);
        board.removeTile(t);
        view.destroyTile(t);
        s.firstPick.reset();
        s.busy = false;
        s.counters.tilesRemoved = 100;
        s.counters.eliminatingSteps += 1;
        settle(game);
        return true;
    }

    const std::string status = statusText(fCaption, tCaption, raw);
    const std::optional<TileRef> r = board.findTile(result);
    if (!r) {
        s.busy = false;
        s.firstPick.reset();
        view.setTitle(status + std::string(texts::kResultGone));
        return false;
    }

    view.setTitle(status);
    if (!game.replayActive) {
        view.removalFlash(status, *r, std::nullopt);
        if (guard.boardReplaced()) {
            return false;
        }
        view.playCue(SoundCue::Removal);
    }
    s.counters.tilesRemoved += 1;

    const std::optional<TileRef> hundred = isHundred(board, f)   ? std::optional(f)
                                           : isHundred(board, t) ? std::optional(t)
                                                                 : std::nullopt;
    if (hundred) {
        s.hundredCooldown = 0;
        board.setEnabled(*hundred, false);
        view.setTileEnabled(*hundred, false);
        s.disabledTile = hundred;
    } else {
        s.hundredCooldown += 1;
        if (s.hundredCooldown > 2 && s.disabledTile && board.tile(*s.disabledTile).onBoard) {
            board.setEnabled(*s.disabledTile, true);
            view.setTileEnabled(*s.disabledTile, true);
        }
    }

    board.removeTile(*r);
    view.destroyTile(*r);
    s.counters.eliminatingSteps += 1;
    s.firstPick.reset();
    s.busy = false;
    return false;
}

void clickTile(Game& game, TileRef t) {
    if (game.replayActive) {
        return;
    }
    pickTile(game, t);
}

bool rightClickTile(Game& game, TileRef t) {
    GameState& s = game.state;
    if (s.busy) {
        return false;
    }
    if (s.firstPick == t) {
        game.view.playCue(SoundCue::Deselect);
        s.firstPick.reset();
        game.view.setTileLook(t, TileLook::Normal);
        return false;
    }
    return true;
}

} // namespace engine
