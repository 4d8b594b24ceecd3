// Duration formatting, the settlement report, the new-game reset and its confirmation.
#include "engine/game.h"
#include "engine/texts.h"
#include "support/recording_view.h"

#include <gtest/gtest.h>

#include <clocale>

using engine::Game;
using engine::TileRef;
using testing_support::FakeClock;
using testing_support::RecordingView;

namespace {

constexpr double kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute, kDay = 24 * kHour;

struct DurationCase {
    double ms;
    const char* text;
};

const DurationCase kDurations[] = {
    {0, "0 毫秒"},
    {999, "999 毫秒"},
    {1000.0 / 7, "142.8571428571 毫秒"},
    {999.99999995, "1 秒"}, // a hair below the threshold already reaches it
    {1000, "1 秒"},
    {1.5 * kSecond, "1.5 秒"},
    {59.999 * kSecond, "59.999 秒"},
    {61 * kSecond, "1.01666667 分"},
    {kHour + 2 * kMinute + 5 * kSecond, "1.03472222 时"},
    {90 * kMinute, "1.5 时"},
    {3.5 * kDay, "3.5 天"},
    {7 * kDay, "1 周"},
    {30 * kDay, "1 月"},
    {90 * kDay, "1 季"},
    {365 * kDay, "1.01388889 年"},
};

} // namespace

// Guards the unit ladder, the reach tolerance, the rounding and the number format.
TEST(FormatDuration, EveryRungOfTheLadder) {
    for (const auto& c : kDurations) {
        EXPECT_EQ(engine::formatDuration(c.ms), c.text) << c.ms;
    }
}

// Guards against the process locale leaking into numbers (a Qt program adopts the user's).
TEST(FormatDuration, IgnoresADecimalCommaLocale) {
    const char* set = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (set == nullptr) {
        set = std::setlocale(LC_ALL, "fr_FR.UTF-8");
    }
    EXPECT_EQ(engine::formatDuration(1.5 * kSecond), "1.5 秒");
    std::setlocale(LC_ALL, "C");
    if (set == nullptr) {
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
}

// Guards both report texts byte for byte.
TEST(SettlementReport, MatchesTheGivenExamples) {
    EXPECT_EQ(engine::settlementReport({12, 11, 11}, 89, 95 * kSecond),
              "总共走了 12 步，其中消掉方格的有 11 步，您总共消去了 11 个方格，台面还有 89 "
              "个方格。\r\n\r\n所用时间：1.58333333 分 平均单耗 8.63636364 秒");
    EXPECT_EQ(engine::settlementReport({111, 99, 100}, 0, 754.321 * kSecond),
              "总共走了 111 步，其中消掉方格的有 99 步，您总共消去了 100 个方格，台面还有 0 "
              "个方格。\r\n\r\n所用时间：12.57201667 分 平均单耗 7.54321 秒\r\n\r\n"
              "您已消去全部方格，获得了最终的胜利！！！");
}

// Guards the average with nothing removed: no "inf" or "nan" reaches the player.
TEST(SettlementReport, NoRemovalHasAReadableAverage) {
    const std::string text = engine::settlementReport({3, 0, 0}, 100, 2 * kSecond);
    EXPECT_EQ(text, "总共走了 3 步，其中消掉方格的有 0 步，您总共消去了 0 个方格，台面还有 100 "
                    "个方格。\r\n\r\n所用时间：2 秒 平均单耗 " +
                        std::string(engine::texts::kNoAverage));
    // 99 removed by the command is no victory.
    EXPECT_EQ(engine::settlementReport({99, 99, 99}, 1, kSecond).find("胜利"), std::string::npos);
}

namespace {

struct ResetTest : ::testing::Test {
    RecordingView view;
    FakeClock clock;
    Game game{view, clock};
    void move(int a, int b) {
        engine::pickTile(game, TileRef{a});
        engine::pickTile(game, TileRef{b});
    }
    void expectFreshGame() {
        EXPECT_EQ(game.board.tileCount(), 100);
        EXPECT_EQ(game.state.counters.steps, 0);
        EXPECT_EQ(game.state.counters.eliminatingSteps, 0);
        EXPECT_EQ(game.state.counters.tilesRemoved, 0);
        EXPECT_EQ(game.state.startTime, 0);
        EXPECT_EQ(game.state.hundredCooldown, 3);
        EXPECT_FALSE(game.state.firstPick);
        EXPECT_FALSE(game.state.disabledTile);
        EXPECT_FALSE(game.state.busy);
        EXPECT_FALSE(view.settleEnabled);
        EXPECT_TRUE(game.board.tile(TileRef{100}).enabled);
    }
};

} // namespace

// Guards the settle command after one removal: the report, then a fresh game; the log stays.
TEST_F(ResetTest, SettleReportsThenResets) {
    clock.now = 10000;
    move(1, 91);
    clock.now = 10999;
    view.clear();
    engine::settle(game);
    ASSERT_GE(view.calls.size(), 2u);
    EXPECT_EQ(view.calls[0],
              "info 总共走了 1 步，其中消掉方格的有 1 步，您总共消去了 1 个方格，台面还有 99 "
              "个方格。\r\n\r\n所用时间：999 毫秒 平均单耗 999 毫秒");
    // The old tiles go one by one with events handled after each, then the window is rebuilt.
    EXPECT_EQ(view.calls[1], "destroy 1");
    EXPECT_EQ(view.calls[2], "pump");
    EXPECT_EQ(view.callsStartingWith("destroy").size(), 99u);
    EXPECT_EQ(view.rebuilds, 1);
    expectFreshGame();
    EXPECT_EQ(view.stepLog, "01,91\r\n");
}

// Guards the confirmation: Cancel leaves everything, OK resets without a report.
TEST_F(ResetTest, ConfirmNewGameAsksFirst) {
    move(100, 30);
    engine::pickTile(game, TileRef{5});
    view.okCancelAnswer = false;
    engine::confirmNewGame(game);
    EXPECT_EQ(view.calls.back(), "okcancel " + std::string(engine::texts::kConfirmNewGame));
    EXPECT_EQ(game.state.counters.tilesRemoved, 1);
    EXPECT_EQ(game.state.firstPick, TileRef{5});
    EXPECT_NE(game.state.startTime, 0);

    view.okCancelAnswer = true;
    engine::confirmNewGame(game);
    EXPECT_TRUE(view.callsStartingWith("info").empty());
    expectFreshGame();
}

// Guards a new game chosen while the report box is open: the board is replaced once, not twice.
TEST_F(ResetTest, NewGameDuringTheReportReplacesTheBoardOnce) {
    move(1, 91);
    view.during = [&](const std::string& call) {
        if (call.rfind("info", 0) == 0) {
            engine::newGame(game);
        }
    };
    engine::settle(game);
    EXPECT_EQ(view.rebuilds, 1);
    expectFreshGame();
}

// Guards a reset started while an earlier reset still pumps events between destructions.
TEST_F(ResetTest, NestedResetTakesOver) {
    move(1, 91);
    int pumps = 0;
    view.during = [&](const std::string& call) {
        if (call == "pump" && ++pumps == 3) {
            engine::newGame(game);
        }
    };
    engine::newGame(game);
    EXPECT_EQ(view.rebuilds, 1);
    expectFreshGame();
}
