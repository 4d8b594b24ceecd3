// The settlement report, duration formatting and the new-game reset.
#include "game.h"
#include "texts.h"

#include <charconv>
#include <cmath>

namespace engine {

namespace {

// "%.13g" in the C locale, whatever the process locale is.
std::string formatNumber(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
    return std::string(buffer, result.ptr);
}

// A value "reaches" a threshold when it is at most 1e-7 below it.
bool reaches(double value, double threshold) {
    return value - threshold >= -0.0000001;
}

// Eight decimal places, halves away from zero.
double round8(double value) {
    if (value == 0.0) {
        return 0.0;
    }
    double integral = 0.0;
    const double fraction = std::modf(std::fabs(value) * 1e8 + 1e-12, &integral);
    if (fraction >= 0.5) {
        integral += 1.0;
    }
    const double magnitude = integral / 1e8;
    return value < 0 ? -magnitude : magnitude;
}

} // namespace

std::string formatDuration(double ms) {
    if (!reaches(ms, 1000)) {
        return formatNumber(ms) + " 毫秒";
    }
    struct Rung {
        double divisor;
        double limit; // the next unit starts where the value reaches this
        const char* unit;
    };
    static constexpr Rung ladder[] = {
        {1000, 60, " 秒"},
        {60, 60, " 分"},
        {60, 24, " 时"},
        {24, 7, " 天"},
        {7, 4.285714285714286, " 周"},
        {4.285714285714286, 3, " 月"},
        {3, 4, " 季"},
        {4, 0, " 年"},
    };
    double value = ms;
    for (const Rung& rung : ladder) {
        value /= rung.divisor;
        if (rung.limit == 0 || !reaches(value, rung.limit)) {
            return formatNumber(round8(value)) + rung.unit;
        }
    }
    return {}; // not reached: the last rung always answers
}

std::string settlementReport(const GameCounters& c, int tilesLeft, double elapsedMs) {
    std::string text = "总共走了 " + std::to_string(c.steps) + " 步，其中消掉方格的有 " +
                       std::to_string(c.eliminatingSteps) + " 步，您总共消去了 " +
                       std::to_string(c.tilesRemoved) + " 个方格，台面还有 " +
                       std::to_string(tilesLeft) + " 个方格。\r\n\r\n";
    text += "所用时间：" + formatDuration(elapsedMs) + " 平均单耗 ";
    text += c.tilesRemoved == 0 ? std::string(texts::kNoAverage)
                                : formatDuration(elapsedMs / c.tilesRemoved);
    if (c.tilesRemoved == 100) {
        text += texts::kVictoryLine;
    }
    return text;
}

void settle(Game& game) {
    const std::uint64_t generation = game.generation;
    const GameState& s = game.state;
    const double elapsed =
        s.startTime == 0 ? 0.0 : static_cast<double>(game.clock.uptimeMs() - s.startTime);
    game.view.showInfo(settlementReport(s.counters, game.board.tileCount(), elapsed));
    // Someone else replaced the board while the report was open: that was the new game.
    if (game.generation != generation) {
        return;
    }
    newGame(game);
}

void newGame(Game& game) {
    const std::uint64_t generation = ++game.generation;
    GameState& s = game.state;
    // Every reference into the old board ends now, and tile input waits until the new board
    // stands (a move that was in progress sees the new generation and stops).
    s.firstPick.reset();
    s.disabledTile.reset();
    s.busy = true;
    for (int n = 1; n <= kTileCount; ++n) {
        if (const auto t = game.board.findTile(n)) {
            game.board.removeTile(*t);
            game.view.destroyTile(*t);
            game.view.pumpEvents();
            if (game.generation != generation) {
                return; // a newer reset took over and finished the job
            }
        }
    }
    game.board.buildBoard();
    s.hundredCooldown = 3;
    game.view.rebuildWindow();
    if (game.generation != generation) {
        return;
    }
    s.startTime = 0;
    game.view.setSettleEnabled(false);
    s.counters = {};
    s.firstPick.reset();
    s.disabledTile.reset();
    s.busy = false;
}

void confirmNewGame(Game& game) {
    if (game.view.askOkCancel(std::string(texts::kConfirmNewGame))) {
        newGame(game);
    }
}

void abandonGame(Game& game) {
    ++game.generation;
    game.state.busy = false;
    game.state.firstPick.reset();
}

} // namespace engine
