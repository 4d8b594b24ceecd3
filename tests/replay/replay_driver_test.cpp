// Tests of the replay driver with a recording game view and a fake window layer.
#include "fake_host.h"
#include "replay/replay_driver.h"
#include "replay/solutions.h"
#include "support/recording_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using replay::ReplayState;
using testing_support::FakeClock;
using testing_support::FakeHost;
using testing_support::RecordingView;

const std::string kRefusal = "info 当前正在演示中，请先终止当前演示再开始新的演示！";
const std::string kReportStart = "info 总共走了";
const std::string kAlreadySelected = "info 您已选定了该目标，请选定其他目标！(右键取消该目标)";

struct Rig {
    RecordingView view;
    FakeClock clock;
    engine::Game game{view, clock};
    FakeHost host;
    replay::ReplayDriver driver{game, host};

    // The player's own designation, outside any replay.
    void pick(int n) { engine::pickTile(game, *game.board.findTile(n)); }
    std::vector<std::string> appended() const {
        std::vector<std::string> out;
        for (const auto& call : view.callsStartingWith("append ")) {
            out.push_back(call.substr(7));
        }
        return out;
    }
    std::vector<std::string> reports() const { return view.callsStartingWith(kReportStart); }
    bool called(const std::string& call) const {
        return std::find(view.calls.begin(), view.calls.end(), call) != view.calls.end();
    }
    // Every replay leaves the same way: Idle, panel closed, the flag cleared, input free.
    void expectEnded() const {
        EXPECT_EQ(driver.state(), ReplayState::Idle);
        EXPECT_FALSE(game.replayActive);
        EXPECT_FALSE(game.state.busy);
        EXPECT_FALSE(host.panelOpen);
        EXPECT_EQ(static_cast<int>(host.eventsStartingWith("close").size()), host.panelsOpened);
    }
};

// ---- prompts ---------------------------------------------------------------------------------

// Guards the prompt texts and their answers: Yes skips the bad line without a pick, No ends the
// replay (with the report of the tiles removed so far).
TEST(ReplayDriverPrompts, YesSkipsTheLineAndNoEndsTheReplay) {
    const std::string range = " 步出错(数字超出范围，最小值 1；最大值 100)：";
    const std::string missing = " 步出错(数字不存在)：";
    const std::string tail = "\r\n\r\n请问是否继续自动演示？(继续则忽略此步)";
    const struct {
        std::string script;
        bool answer;
        std::string prompt;
        std::vector<std::string> appended;
        int removed; // tiles named in the closing report; -1: no report
    } cases[] = {
        {"0,5\r\n1,91", true, "第 1" + range + "0,5" + tail, {"01,91"}, 1},
        {"0,5\r\n1,91", false, "第 1" + range + "0,5" + tail, {}, -1},
        {"1,91\r\n5,101\r\n91,11", true, "第 2" + range + "5,101" + tail, {"01,91", "91,11"}, 2},
        {"1,91\r\n\r\n91,11", false, "第 2" + range + tail, {"01,91"}, 1},
        {"1,91\r\n92,5\r\n91,11", true, "第 2" + missing + "92,5" + tail, {"01,91", "91,11"}, 2},
        {"1,91\r\n5,92\r\n91,11", false, "第 2" + missing + "5,92" + tail, {"01,91"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script + (c.answer ? " / Yes" : " / No"));
        Rig rig;
        rig.host.answer = [&](const std::string&) { return c.answer; };
        rig.driver.startReplay(c.script);

        EXPECT_EQ(rig.host.eventsStartingWith("ask "), std::vector<std::string>{"ask " + c.prompt});
        EXPECT_EQ(rig.appended(), c.appended);
        EXPECT_FALSE(rig.called("look 5 Selected")) << "a bad line made a pick";
        if (c.removed < 0) {
            EXPECT_TRUE(rig.reports().empty());
        } else {
            ASSERT_EQ(rig.reports().size(), 1u);
            EXPECT_NE(
                rig.reports()[0].find("您总共消去了 " + std::to_string(c.removed) + " 个方格"),
                std::string::npos);
        }
        EXPECT_EQ(rig.game.board.tileCount(), engine::kTileCount);
        rig.expectEnded();
    }
}

// Guards the box of a pathological line: a megabyte-long line is shown cut (never inside a
// character), so the prompt stays a box a player can read and answer.
TEST(ReplayDriverPrompts, VeryLongLineIsShownCut) {
    Rig rig;
    rig.host.answer = [](const std::string&) { return false; };
    const std::string line = "x" + std::string(1'000'000, '7') + "中";
    rig.driver.startReplay("中" + line);
    const auto asks = rig.host.eventsStartingWith("ask ");
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_LT(asks[0].size(), 400u);
    EXPECT_NE(asks[0].find("中x7777"), std::string::npos);
    EXPECT_NE(asks[0].find("…\r\n\r\n请问是否继续自动演示"), std::string::npos);
    rig.expectEnded();
}

// ---- one replay at a time --------------------------------------------------------------------

// Guards against a second replay replacing the board: refused while the first runs (here from
// inside its pause loop) and while a stopped one still finishes (here from its report box).
TEST(ReplayDriverRefusal, SecondReplayIsRefusedWhileOneRunsOrFinishes) {
    Rig rig;
    rig.view.during = [&](const std::string& call) {
        if (call == "glide 1 91") {
            rig.driver.setState(ReplayState::Paused);
        } else if (call == "glide 91 11") {
            rig.driver.setState(ReplayState::Idle); // Stop during the second move
        } else if (call.rfind(kReportStart, 0) == 0) {
            EXPECT_EQ(rig.driver.state(), ReplayState::Idle);
            rig.driver.startReplay(replay::kSolutions[0].script);
        }
    };
    rig.host.onPump = [&] {
        rig.driver.startReplay("91,11");
        EXPECT_EQ(rig.driver.state(), ReplayState::Paused);
        rig.driver.setState(ReplayState::Running);
    };
    rig.driver.startReplay("1,91\r\n91,11\r\n91,12");

    EXPECT_EQ(rig.host.eventsStartingWith("info "), (std::vector<std::string>{kRefusal, kRefusal}));
    EXPECT_EQ(rig.host.panelsOpened, 1);
    EXPECT_EQ(rig.appended(), (std::vector<std::string>{"01,91", "91,11"}));
    EXPECT_EQ(rig.reports().size(), 1u);
    rig.expectEnded();

    rig.view.during = nullptr;
    rig.host.onPump = nullptr;
    rig.driver.startReplay("1,91"); // and once it has ended, a new replay is accepted
    EXPECT_EQ(rig.host.panelsOpened, 2);
}

// ---- pause and stop --------------------------------------------------------------------------

// Guards the pause point: a Pause pressed during a move lets the move finish, then holds
// (pumping, 10 ms sleeps) until Resume, and only then plays the next line.
TEST(ReplayDriverPause, PauseDuringAMoveHoldsAfterIt) {
    Rig rig;
    rig.view.during = [&](const std::string& call) {
        if (call == "glide 1 91") {
            rig.driver.setState(ReplayState::Paused);
        }
    };
    int turns = 0;
    rig.host.onPump = [&] {
        EXPECT_TRUE(rig.called("destroy 92")) << "the paused move did not finish first";
        EXPECT_EQ(rig.appended().size(), 1u) << "the next line was played while paused";
        if (++turns == 3) {
            rig.driver.setState(ReplayState::Running);
        }
    };
    rig.driver.startReplay("1,91\r\n91,11");

    EXPECT_EQ(rig.host.pumps, 3);
    EXPECT_EQ(rig.host.eventsStartingWith("sleep "), std::vector<std::string>(3, "sleep 10"));
    EXPECT_EQ(rig.appended(), (std::vector<std::string>{"01,91", "91,11"}));
    rig.expectEnded();
}

// Guards the Stop in the pause loop: the replay ends at once, with the report, no more moves.
TEST(ReplayDriverPause, StopWhilePausedEndsAtOnce) {
    Rig rig;
    rig.view.during = [&](const std::string& call) {
        if (call == "glide 1 91") {
            rig.driver.setState(ReplayState::Paused);
        }
    };
    rig.host.onPump = [&] { rig.driver.setState(ReplayState::Idle); };
    rig.driver.startReplay("1,91\r\n91,11\r\n91,12");

    EXPECT_EQ(rig.host.pumps, 1);
    EXPECT_EQ(rig.appended(), std::vector<std::string>{"01,91"});
    EXPECT_EQ(rig.reports().size(), 1u);
    rig.expectEnded();
}

// ---- the end of a replay ---------------------------------------------------------------------

// Guards the end after a win: the lines after the winning one are not played and the win's
// report is the only one.
TEST(ReplayDriverEnd, WinningLineEndsTheReplay) {
    const std::string_view solution = replay::kSolutions[2].script;
    Rig rig;
    rig.driver.startReplay(std::string(solution) + "\r\n1,91\r\n91,11");

    EXPECT_EQ(rig.appended().size(), 99u);
    ASSERT_EQ(rig.reports().size(), 1u);
    EXPECT_NE(rig.reports()[0].find("您已消去全部方格"), std::string::npos);
    EXPECT_EQ(rig.game.state.startTime, 0) << "a line after the win started a new game";
    EXPECT_TRUE(rig.host.eventsStartingWith("ask ").empty());
    rig.expectEnded();
}

// Guards the pick on a board that is gone: when the first designation of a line completes a
// pending pair and wins, the line's second tile belonged to the old board and is not picked.
TEST(ReplayDriverEnd, WinOnALinesFirstPickSkipsItsSecond) {
    const std::string_view solution = replay::kSolutions[2].script;
    // Lines 1-98 of solution 3 leave tiles 1 and 99 only, the winning pair.
    const std::string head(solution.substr(0, solution.rfind("\r\n") + 2));
    Rig rig;
    rig.driver.startReplay(head + "01,01\r\n99,01\r\n91,11");

    EXPECT_EQ(rig.view.callsStartingWith(kAlreadySelected).size(), 1u);
    EXPECT_EQ(rig.appended().back(), "01,99");
    ASSERT_EQ(rig.reports().size(), 1u);
    EXPECT_NE(rig.reports()[0].find("您已消去全部方格"), std::string::npos);
    EXPECT_EQ(rig.view.calls.back(), "settle off") << "a pick after the new board was built";
    EXPECT_EQ(rig.game.state.startTime, 0);
    EXPECT_FALSE(rig.game.state.firstPick);
    EXPECT_TRUE(rig.host.eventsStartingWith("ask ").empty());
    rig.expectEnded();
}

// ---- the start of a replay -------------------------------------------------------------------

// Guards the fresh board rule: reset (without a report) only after removals; a pick the player
// left pending is dropped; an empty script opens and closes the panel and does nothing else.
TEST(ReplayDriverStart, FreshBoardOnlyAfterRemovalsAndNeverAReportForTheOldGame) {
    Rig rig;
    rig.pick(5);
    rig.view.clear();
    rig.driver.startReplay("");
    EXPECT_EQ(rig.view.calls, std::vector<std::string>{"look 5 Normal"});
    EXPECT_FALSE(rig.game.state.firstPick);
    EXPECT_EQ(rig.host.events, (std::vector<std::string>{"open", "close"}));
    rig.expectEnded();

    rig.pick(1);
    rig.pick(91); // 92 goes
    rig.view.clear();
    rig.driver.startReplay("");
    EXPECT_EQ(rig.view.rebuilds, 1);
    EXPECT_TRUE(rig.reports().empty());
    EXPECT_EQ(rig.game.state.counters.tilesRemoved, 0);
    rig.expectEnded();

    rig.pick(1);
    rig.pick(91);
    rig.pick(7); // pending as well
    rig.view.clear();
    rig.driver.startReplay("1,91");
    EXPECT_EQ(rig.appended(), std::vector<std::string>{"01,91"});
    ASSERT_EQ(rig.reports().size(), 1u) << "the discarded game was reported";
    EXPECT_EQ(rig.reports()[0].rfind(kReportStart + " 1 步，其中消掉方格的有 1 步", 0), 0u)
        << rig.reports()[0];
    rig.expectEnded();
}

// Guards the Ctrl+B path: Ctrl alone with B only; the clipboard's LF line ends replay line by
// line; pressed during the player's move, that move is abandoned and the replay gets a fresh
// board.
TEST(ReplayDriverStart, CtrlBReplaysTheClipboardEvenDuringAMove) {
    Rig rig;
    rig.host.clipboard = "1,91\n91,11\n";
    using replay::kKeyB;
    using replay::kModAlt;
    using replay::kModCtrl;
    using replay::kModShift;
    for (const auto& [key, modifiers] : {std::pair{kKeyB, kModCtrl | kModShift},
                                         {kKeyB, kModCtrl | kModAlt},
                                         {kKeyB, 0},
                                         {65, kModCtrl}}) {
        rig.driver.onStepBoxKey(key, modifiers);
    }
    EXPECT_TRUE(rig.host.events.empty());

    bool pressed = false;
    rig.view.during = [&](const std::string& call) {
        if (call == "blink 1 91" && !pressed) {
            pressed = true;
            rig.driver.onStepBoxKey(kKeyB, kModCtrl);
        }
    };
    rig.pick(1);
    rig.pick(91);

    EXPECT_EQ(rig.view.rebuilds, 2); // the fresh board, then the one after the report
    EXPECT_EQ(rig.appended(), (std::vector<std::string>{"01,91", "01,91", "91,11"}));
    EXPECT_EQ(rig.view.callsStartingWith("glide ").size(), 2u) << "the abandoned move went on";
    ASSERT_EQ(rig.reports().size(), 1u);
    EXPECT_EQ(rig.reports()[0].rfind(kReportStart + " 2 步，其中消掉方格的有 2 步", 0), 0u);
    EXPECT_EQ(rig.game.board.tileCount(), engine::kTileCount);
    EXPECT_EQ(rig.game.state.counters.steps, 0);
    rig.expectEnded();
}

// Guards the line naming one tile twice: the second designation is refused, the tile stays
// picked and pairs with the next line's first tile.
TEST(ReplayDriverSteps, OneTileTwiceCarriesThePickOver) {
    Rig rig;
    rig.driver.startReplay("5,5\r\n15,25");
    EXPECT_EQ(rig.view.callsStartingWith(kAlreadySelected).size(), 1u);
    EXPECT_EQ(rig.appended(), std::vector<std::string>{"05,15"});
    EXPECT_TRUE(rig.called("destroy 20"));
    EXPECT_TRUE(rig.host.eventsStartingWith("ask ").empty());
    rig.expectEnded();
}

// ---- interruptions from outside --------------------------------------------------------------

// Guards the program's end: wherever the driver waits, it stops at once: no more picks, no
// report box, the panel closed. The window layer may also abandon the game's waiting move or
// settlement when the program ends; the driver must cope with either.
TEST(ReplayDriverInterrupted, ProgramEndStopsTheDriverWhereverItWaits) {
    const struct {
        const char* where;
        std::string script;
        bool pauseAfterFirstMove;
        std::string trigger; // the call (a view call, "pump" or "ask") inside which it ends
        int occurrence;
        bool abandonsGame;
        std::size_t appended;
        std::size_t reports;
    } cases[] = {
        {"in the pause loop", "1,91\r\n91,11", true, "pump", 2, false, 1, 0},
        {"inside a move", "1,91\r\n91,11", false, "glide 1 91", 1, false, 1, 0},
        {"inside a move, abandoned", "1,91\r\n91,11", false, "glide 1 91", 1, true, 1, 0},
        {"in a prompt", "1,91\r\n0,0\r\n91,11", false, "ask", 1, false, 1, 0},
        // Line 3's first designation is refused (5 is still picked); 15 must not follow.
        {"between the two picks of a line", "1,91\r\n5,5\r\n5,15\r\n91,11", false, kAlreadySelected,
         2, false, 1, 0},
        // The victory report is open; its game is abandoned, so 100 tiles stay counted as
        // removed, and the driver must not settle them a second time.
        {"in the victory report", std::string(replay::kSolutions[2].script), false, kReportStart, 1,
         true, 99, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        Rig rig;
        int seen = 0;
        const auto maybeEnd = [&](const std::string& call) {
            if (call.rfind(c.trigger, 0) == 0 && ++seen == c.occurrence) {
                rig.host.ending = true;
                if (c.abandonsGame) {
                    engine::abandonGame(rig.game);
                }
            }
        };
        rig.view.during = [&](const std::string& call) {
            if (call == "glide 1 91" && c.pauseAfterFirstMove) {
                rig.driver.setState(ReplayState::Paused);
            }
            maybeEnd(call);
        };
        rig.host.onPump = [&] { maybeEnd("pump"); };
        rig.host.answer = [&](const std::string&) {
            maybeEnd("ask");
            return true;
        };
        rig.driver.startReplay(c.script);

        EXPECT_TRUE(rig.host.ending) << "the trigger never came";
        EXPECT_EQ(rig.appended().size(), c.appended);
        EXPECT_FALSE(rig.called("look 15 Selected")) << "picked on after the program's end";
        EXPECT_EQ(rig.reports().size(), c.reports) << "a report box opened as the program ends";
        EXPECT_LE(rig.host.pumps, 2);
        rig.expectEnded();
    }
}

// Guards the board replaced from the menu during a replay ("新游戏" or "终止清算"): the
// replay's game is over, so the replay ends there, without a report of its own.
TEST(ReplayDriverInterrupted, BoardReplacedFromTheMenuEndsTheReplay) {
    const struct {
        const char* command;
        const char* when;
        int reports; // the menu command's own
    } cases[] = {
        {"new game", "glide 1 91", 0},
        {"new game", "ask", 0},
        {"settle", "pump", 1},
        {"settle", "ask", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " during " + c.when);
        Rig rig;
        bool done = false;
        const auto commandDuring = [&](const std::string& call) {
            if (call != c.when || done) {
                return;
            }
            done = true;
            if (std::string(c.command) == "new game") {
                engine::confirmNewGame(rig.game); // the recording view answers OK
            } else {
                engine::settle(rig.game);
            }
        };
        rig.view.during = [&](const std::string& call) {
            if (call == "glide 1 91") {
                if (std::string(c.when) == "pump") {
                    rig.driver.setState(ReplayState::Paused);
                }
                commandDuring(call);
            }
        };
        rig.host.onPump = [&] { commandDuring("pump"); };
        rig.host.answer = [&](const std::string&) {
            commandDuring("ask");
            return true;
        };
        rig.driver.startReplay("1,91\r\n0,0\r\n91,11\r\n91,12");

        EXPECT_TRUE(done);
        EXPECT_EQ(rig.appended(), std::vector<std::string>{"01,91"});
        EXPECT_EQ(static_cast<int>(rig.reports().size()), c.reports);
        EXPECT_EQ(rig.game.board.tileCount(), engine::kTileCount);
        EXPECT_EQ(rig.game.state.startTime, 0);
        rig.expectEnded();
    }
}

// ---- the instructions ------------------------------------------------------------------------

// Guards the exact text, with the maker's contact placeholders in their places.
TEST(ReplayDriverInstructions, ShowsTheFullText) {
    Rig rig;
    rig.driver.showInstructions();
    EXPECT_EQ(
        rig.host.events,
        std::vector<std::string>{
            "info 请先复制类似这样格式的文本到剪辑板：\r\n\r\n1,91\r\n91,11\r\n91,12\r\n"
            "91,13\r\n\r\n然后再到步骤编辑框中按下 Ctrl + B 组合键，就可以演示您自定义的"
            "走法了\r\n\r\nPS：当您的走法也成功消掉全部时，欢迎联系Talbrisk 即时通（00000000）"
            "或发送邮件（author@talbrisk.example）将您的走法步骤以及个人信息通知作者，作者"
            "将在下一个版本录入您的走法到成功走法库中，供展示给其他玩者观摩！"});
    EXPECT_TRUE(rig.view.calls.empty());
}

} // namespace
