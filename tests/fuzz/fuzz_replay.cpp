// Fuzz target: any bytes as a step script, read and then replayed on a do-nothing view.
#include "engine/game.h"
#include "replay/replay_driver.h"
#include "replay/step_script.h"
#include "support/null_view.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

class StepClock : public engine::Clock {
public:
    std::int64_t now = 1;
    std::int64_t uptimeMs() override { return now += 7; }
};

// Answers the prompts from the input's own bytes, mostly Yes so that long scripts play on.
class ScriptedHost : public replay::ReplayHost {
public:
    explicit ScriptedHost(std::string_view answers) : answers_(answers) {}
    void showInfo(const std::string&) override {}
    bool askYesNo(const std::string&) override {
        if (answers_.empty()) {
            return true;
        }
        const auto bits = static_cast<unsigned char>(answers_[next_++ % answers_.size()]);
        return (bits & 7u) != 0;
    }
    void sleepMs(int) override {}
    void pumpEvents() override {}
    std::string clipboardText() override { return {}; }
    void openPanel() override {}
    void closePanel() override {}
    bool programEnding() override { return false; }

private:
    std::string_view answers_;
    std::size_t next_ = 0;
};

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto lines = replay::parseStepScript(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        check(lines[i].lineNumber == static_cast<int>(i + 1));
        check(lines[i].lineText.find("\r\n") == std::string::npos);
    }
    const std::string converted = replay::toScriptLineEnds(text);
    for (std::size_t i = 0; i < converted.size(); ++i) {
        check(converted[i] != '\n' || (i > 0 && converted[i - 1] == '\r'));
    }

    testing_support::NullView view;
    StepClock clock;
    engine::Game game(view, clock);
    ScriptedHost host(text);
    replay::ReplayDriver driver(game, host);
    driver.startReplay(converted);

    check(driver.state() == replay::ReplayState::Idle);
    check(!game.replayActive && !game.state.busy);
    const auto& c = game.state.counters;
    check(c.tilesRemoved == engine::kTileCount - game.board.tileCount());
    check(c.eliminatingSteps <= c.steps);
    // At most one tile per cell, every tile on the board in its own cell.
    for (int n = 1; n <= engine::kTileCount; ++n) {
        const auto& t = game.board.tile(engine::TileRef{n});
        if (t.onBoard) {
            check(game.board.numberAt(t.row, t.column) == n);
        }
    }
    return 0;
}
