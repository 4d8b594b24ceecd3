// A GameView that records every call as a line of text, and a clock tests set by hand.
#pragma once

#include "engine/game.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class FakeClock : public engine::Clock {
public:
    std::int64_t now = 1000;
    std::int64_t uptimeMs() override { return now; }
};

const char* cueName(engine::SoundCue cue);
const char* lookName(engine::TileLook look);

// Each call becomes one entry, e.g. "look 12 Selected", "cue Click", "blink 1 91",
// "title 01 + 91 = 92", "info <text>", "append 01,91", "destroy 92".
class RecordingView : public engine::GameView {
public:
    std::vector<std::string> calls;
    std::string stepLog; // the step box's text as the calls build it
    std::string title;
    bool settleEnabled = false;
    int rebuilds = 0;
    bool okCancelAnswer = true;
    // Runs inside every call, after it has been recorded: a test's "events during the wait".
    std::function<void(const std::string& call)> during;

    // The entries that start with the prefix, e.g. "cue ".
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;
    void clear() { calls.clear(); }

    void setTileLook(engine::TileRef tile, engine::TileLook look) override;
    void setTileEnabled(engine::TileRef tile, bool enabled) override;
    void destroyTile(engine::TileRef tile) override;
    void setTitle(const std::string& text) override;
    void playCue(engine::SoundCue cue) override;
    void pickBlink(engine::TileRef first, engine::TileRef second) override;
    void swapGlide(engine::TileRef first, engine::TileRef second) override;
    void removalFlash(const std::string& text, engine::TileRef tile,
                      std::optional<engine::TileRef> second) override;
    void showInfo(const std::string& text) override;
    bool askOkCancel(const std::string& text) override;
    void clearStepLog() override;
    void appendStepLine(const std::string& firstCaption, const std::string& secondCaption) override;
    void setSettleEnabled(bool enabled) override;
    void rebuildWindow() override;
    void pumpEvents() override;

private:
    void record(std::string entry);
};

} // namespace testing_support
