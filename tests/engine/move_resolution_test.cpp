// The rules of a move: picks, legality, arithmetic, removal, cooldown, final pair, interruptions.
#include "engine/game.h"
#include "engine/texts.h"
#include "support/recording_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using engine::Game;
using engine::TileRef;
using testing_support::FakeClock;
using testing_support::RecordingView;

namespace {

struct GameTest : ::testing::Test {
    RecordingView view;
    FakeClock clock;
    Game game{view, clock};

    bool pick(int n) { return engine::pickTile(game, TileRef{n}); }
    void move(int a, int b) {
        pick(a);
        pick(b);
    }
    const engine::GameCounters& counters() const { return game.state.counters; }
    bool onBoard(int n) const { return game.board.findTile(n).has_value(); }
};

struct MoveCase {
    std::vector<std::pair<int, int>> before; // moves played first
    int first, second;
    std::string title;
    int removed; // the tile removed by the move, 0 for none
    int steps, eliminating, tilesRemoved;
};

const std::string kGone(engine::texts::kResultGone);
const std::string kIllegal(engine::texts::kCannotSwap);

const MoveCase kMoves[] = {
    {{}, 1, 91, "01 + 91 = 92", 92, 1, 1, 1},
    {{}, 9, 19, "09 + 19 = 28", 28, 1, 1, 1},
    {{}, 91, 11, "91 + 11 = 102(2)", 2, 1, 1, 1},
    {{}, 100, 30, "100 + 30 = 130(30)", 30, 1, 1, 1}, // the second pick itself goes
    {{}, 97, 100, "97 + 100 = 197(97)", 97, 1, 1, 1}, // the first pick itself goes
    {{}, 10, 90, "10 + 90 = 100", 100, 1, 1, 1},      // below 98 removed: an ordinary move
    {{{91, 11}}, 91, 11, "91 + 11 = 102(2)" + kGone, 0, 2, 1, 1},
    {{{91, 11}}, 91, 12, "91 + 12 = 103(3)", 3, 2, 2, 2}, // 91 now stands in row 1
    {{}, 12, 91, kIllegal, 0, 0, 0, 0},
};

} // namespace

class MoveTable : public GameTest, public ::testing::WithParamInterface<MoveCase> {};

// Guards the arithmetic, the status texts, the removal of the right tile and the counters.
TEST_P(MoveTable, ResolvesAsExpected) {
    const MoveCase& c = GetParam();
    for (auto [a, b] : c.before) {
        move(a, b);
    }
    const auto before = game.board.tileCount();
    move(c.first, c.second);
    EXPECT_EQ(view.title, c.title);
    EXPECT_EQ(counters().steps, c.steps);
    EXPECT_EQ(counters().eliminatingSteps, c.eliminating);
    EXPECT_EQ(counters().tilesRemoved, c.tilesRemoved);
    EXPECT_EQ(game.board.tileCount(), before - (c.removed ? 1 : 0));
    if (c.removed) {
        EXPECT_FALSE(onBoard(c.removed));
        EXPECT_EQ(view.calls.back(), "destroy " + std::to_string(c.removed));
    }
    EXPECT_FALSE(game.state.busy);
    EXPECT_FALSE(game.state.firstPick);
}

INSTANTIATE_TEST_SUITE_P(Moves, MoveTable, ::testing::ValuesIn(kMoves));

// Guards the order of the visible effects of a removal, which the animations and sounds rely on.
TEST_F(GameTest, LegalMoveCallsTheViewInOrderAndSwapsCells) {
    move(1, 91);
    const std::vector<std::string> expected = {"cue Click",
                                               "clearlog",
                                               "settle on",
                                               "look 1 Selected",
                                               "cue Click",
                                               "look 91 Selected",
                                               "append 01,91",
                                               "blink 1 91",
                                               "glide 1 91",
                                               "title 01 + 91 = 92",
                                               "flash 92 01 + 91 = 92",
                                               "cue Removal",
                                               "destroy 92"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(game.board.tile(TileRef{1}).row, 9);
    EXPECT_EQ(game.board.tile(TileRef{91}).row, 0);
    EXPECT_EQ(view.stepLog, "01,91\r\n");
}

// Guards the illegal pair: no log line, no counter, both tiles back to Normal, the buzz cue.
TEST_F(GameTest, IllegalPairIsRefusedWithoutLogging) {
    move(12, 91);
    EXPECT_EQ(view.callsStartingWith("cue "),
              (std::vector<std::string>{"cue Click", "cue Click", "cue InvalidSwap"}));
    EXPECT_EQ(view.callsStartingWith("look ").back(), "look 91 Normal");
    EXPECT_EQ(view.stepLog, "");
    EXPECT_TRUE(view.callsStartingWith("append").empty());
}

// Guards the refusal of the selected tile and the deselect by right click.
TEST_F(GameTest, SelectedTileRefusedOnClickAndDeselectedOnRightClick) {
    pick(5);
    pick(5);
    EXPECT_EQ(view.calls.back(), "info " + std::string(engine::texts::kAlreadySelected));
    EXPECT_EQ(game.state.firstPick, TileRef{5});
    EXPECT_FALSE(game.state.busy);

    EXPECT_TRUE(engine::rightClickTile(game, TileRef{6})); // another tile: the menu is due
    EXPECT_EQ(game.state.firstPick, TileRef{5});
    view.clear();
    EXPECT_FALSE(engine::rightClickTile(game, TileRef{5}));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"cue Deselect", "look 5 Normal"}));
    EXPECT_FALSE(game.state.firstPick);
}

// Guards input during a move: clicks and right clicks on tiles are ignored while busy.
TEST_F(GameTest, InputIsIgnoredWhileAMoveIsResolved) {
    bool checked = false;
    view.during = [&](const std::string& call) {
        if (call.rfind("glide", 0) != 0) {
            return;
        }
        const auto calls = view.calls.size();
        EXPECT_FALSE(pick(50));
        EXPECT_FALSE(engine::rightClickTile(game, TileRef{50}));
        EXPECT_EQ(view.calls.size(), calls); // no cue, no look
        checked = true;
    };
    move(1, 91);
    EXPECT_TRUE(checked);
    EXPECT_EQ(counters().steps, 1);
}

// Guards the clock and the log: only the game's first designation starts and clears them.
TEST_F(GameTest, FirstDesignationStartsClockAndClearsLogOnce) {
    view.stepLog = "old game\r\n";
    clock.now = 5000;
    pick(1);
    EXPECT_EQ(game.state.startTime, 5000);
    EXPECT_EQ(view.stepLog, "");
    EXPECT_TRUE(view.settleEnabled);
    clock.now = 6000;
    pick(91);
    pick(3);
    pick(3); // refused pick: logs nothing
    pick(4); // 3 and 4 share row 0
    EXPECT_EQ(game.state.startTime, 5000);
    EXPECT_EQ(view.stepLog, "01,91\r\n03,04\r\n");
    EXPECT_EQ(view.callsStartingWith("clearlog").size(), 1u);
}

// Guards the hundred cooldown: disabled on use, re-enabled by the third eliminating move
// without it, not advanced by swaps whose result is missing.
TEST_F(GameTest, HundredCooldownSequence) {
    move(100, 30); // column 9; removes 30
    EXPECT_FALSE(game.board.tile(TileRef{100}).enabled);
    EXPECT_EQ(game.state.disabledTile, TileRef{100});
    EXPECT_EQ(game.state.hundredCooldown, 0);
    EXPECT_EQ(view.callsStartingWith("disable"), (std::vector<std::string>{"disable 100"}));

    move(1, 91); // removes 92
    move(1, 91); // 92 is gone: a swap only, the count stays
    EXPECT_EQ(game.state.hundredCooldown, 1);
    move(2, 12); // removes 14
    EXPECT_EQ(game.state.hundredCooldown, 2);
    EXPECT_FALSE(game.board.tile(TileRef{100}).enabled);
    EXPECT_TRUE(view.callsStartingWith("enable").empty());
    move(3, 13); // removes 16: the third eliminating move
    EXPECT_TRUE(game.board.tile(TileRef{100}).enabled);
    EXPECT_EQ(view.callsStartingWith("enable"), (std::vector<std::string>{"enable 100"}));
}

// Guards the removal of a disabled tile 100 when a pair adds up to 100.
TEST_F(GameTest, PairAddingToHundredRemovesDisabledHundred) {
    move(100, 30); // 100 moves to row 2, column 9, and rests
    move(10, 90);  // both still in column 9: 10 + 90 = 100
    EXPECT_EQ(view.title, "10 + 90 = 100");
    EXPECT_FALSE(onBoard(100));
    EXPECT_EQ(counters().tilesRemoved, 2);
}

// Guards the final pair: both tiles go, the victory report, a fresh board, and the true result.
TEST_F(GameTest, FinalPairWinsAndSettles) {
    for (int n = 1; n <= 100; ++n) {
        if (n != 10 && n != 90) {
            game.board.removeTile(TileRef{n});
        }
    }
    game.state.counters = {120, 98, 98};
    pick(10);
    clock.now += 10000;
    view.clear();
    EXPECT_TRUE(pick(90));
    const auto victoryAt = std::find(view.calls.begin(), view.calls.end(), "cue Victory");
    ASSERT_NE(victoryAt, view.calls.end());
    EXPECT_EQ(*(victoryAt + 1), "flash 10 90 王者归来，横扫全军");
    EXPECT_EQ(*(victoryAt + 2), "destroy 10");
    EXPECT_EQ(*(victoryAt + 3), "destroy 90");
    const auto info = view.callsStartingWith("info ");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_NE(info[0].find("总共走了 121 步，其中消掉方格的有 99 步，您总共消去了 100 个方格，"
                           "台面还有 0 个方格。"),
              std::string::npos);
    EXPECT_NE(info[0].find("您已消去全部方格，获得了最终的胜利！！！"), std::string::npos);
    EXPECT_EQ(view.rebuilds, 1);
    EXPECT_EQ(game.board.tileCount(), 100);
    EXPECT_EQ(counters().tilesRemoved, 0);
    EXPECT_EQ(game.state.startTime, 0);
}

// Guards the 98-removed state with a pair that does not add up to 100: no victory.
TEST_F(GameTest, NoVictoryWithoutASumOfHundred) {
    for (int n = 1; n <= 100; ++n) {
        if (n != 1 && n != 91) {
            game.board.removeTile(TileRef{n});
        }
    }
    game.state.counters = {98, 98, 98};
    pick(1);
    EXPECT_FALSE(pick(91));
    EXPECT_EQ(view.title, "01 + 91 = 92" + kGone);
    EXPECT_EQ(game.board.tileCount(), 2);
}

// During a replay: no Click, no removal flash and no Removal cue; the status text stays.
TEST_F(GameTest, ReplayLeavesOutClickFlashAndRemovalCue) {
    game.replayActive = true;
    move(1, 91);
    EXPECT_EQ(view.callsStartingWith("cue "), (std::vector<std::string>{}));
    EXPECT_TRUE(view.callsStartingWith("flash").empty());
    EXPECT_EQ(view.title, "01 + 91 = 92");
    EXPECT_FALSE(onBoard(92));
    // The player's own clicks are ignored while the replay owns the board.
    engine::clickTile(game, TileRef{5});
    EXPECT_FALSE(game.state.firstPick);
}

// A new game arriving while the move waits inside an animation: the move stops acting on the old
// board, touches no tile afterwards, and leaves the new board taking clicks.
class InterruptedMove : public GameTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(InterruptedMove, StopsWhenTheBoardIsReplaced) {
    const std::string when = GetParam();
    bool fired = false;
    std::size_t resetEnd = 0;
    view.during = [&](const std::string& call) {
        if (!fired && call.rfind(when, 0) == 0) {
            fired = true;
            engine::newGame(game);
            resetEnd = view.calls.size();
        }
    };
    move(1, 91);
    ASSERT_TRUE(fired);
    EXPECT_EQ(view.calls.size(), resetEnd)
        << "the move went on after the reset: " << view.calls.back();
    EXPECT_EQ(game.board.tileCount(), 100);
    EXPECT_EQ(counters().steps, 0);
    EXPECT_EQ(counters().tilesRemoved, 0);
    EXPECT_FALSE(game.state.busy);
    EXPECT_FALSE(game.state.firstPick);
    EXPECT_EQ(game.board.tile(TileRef{1}).row, 0); // fresh board, home cells
    view.during = nullptr;
    move(1, 91);
    EXPECT_EQ(counters().tilesRemoved, 1);
}

INSTANTIATE_TEST_SUITE_P(During, InterruptedMove, ::testing::Values("blink", "glide", "flash"));

// The program ending inside a move: the move returns without touching the board again.
TEST_F(GameTest, AbandonedMoveTouchesNothing) {
    view.during = [&](const std::string& call) {
        if (call.rfind("glide", 0) == 0) {
            engine::abandonGame(game);
        }
    };
    move(1, 91);
    EXPECT_TRUE(onBoard(92));
    EXPECT_EQ(game.board.tile(TileRef{1}).row, 0);
    EXPECT_FALSE(game.state.busy);
}
