// A GameView that does nothing and returns at once: the rules alone, for fuzzing and benchmarks.
#pragma once

#include "engine/game.h"

namespace testing_support {

class NullView : public engine::GameView {
public:
    void setTileLook(engine::TileRef, engine::TileLook) override {}
    void setTileEnabled(engine::TileRef, bool) override {}
    void destroyTile(engine::TileRef) override {}
    void setTitle(const std::string&) override {}
    void playCue(engine::SoundCue) override {}
    void pickBlink(engine::TileRef, engine::TileRef) override {}
    void swapGlide(engine::TileRef, engine::TileRef) override {}
    void removalFlash(const std::string&, engine::TileRef,
                      std::optional<engine::TileRef>) override {}
    void showInfo(const std::string&) override {}
    bool askOkCancel(const std::string&) override { return true; }
    void clearStepLog() override {}
    void appendStepLine(const std::string&, const std::string&) override {}
    void setSettleEnabled(bool) override {}
    void rebuildWindow() override {}
    void pumpEvents() override {}
};

} // namespace testing_support
