// Tests of the built-in solutions: their exact texts, and each one played through the real rules.
#include "fake_host.h"
#include "replay/replay_driver.h"
#include "replay/solutions.h"
#include "support/recording_view.h"

#include "engine/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using replay::kSolutions;

std::vector<std::string> splitCrLf(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos;
         start = end + 2) {
        out.emplace_back(text.substr(start, end - start));
    }
    out.emplace_back(text.substr(start));
    return out;
}

// Guards the texts byte for byte: captions, line counts, sizes, CR LF between lines only.
TEST(BuiltInSolutions, TextsAreExact) {
    const struct {
        const char* caption;
        std::size_t lines;
        std::size_t bytes;
        const char* firstLine;
    } expected[] = {
        {"1、作者：Dovrin - 步数：111步 - 亮点：91配对 - 录入时间：2010年9月1日", 111, 767, "1,91"},
        {"2、作者：Dovrin - 步数：101步 - 亮点：刷新上次他本人保持的纪录 - 录入时间：2010年9月2日",
         101, 707, "01,11"},
        {"3、作者：Dovrin - 步数：99步 - 亮点：王者归来，继续刷新纪录 - 录入时间：2010年9月2日", 99,
         693, "01,11"},
    };
    for (std::size_t i = 0; i < kSolutions.size(); ++i) {
        SCOPED_TRACE("solution " + std::to_string(i + 1));
        const std::string_view script = kSolutions[i].script;
        EXPECT_EQ(kSolutions[i].caption, expected[i].caption);
        EXPECT_EQ(script.size(), expected[i].bytes);
        const auto lines = splitCrLf(script);
        EXPECT_EQ(lines.size(), expected[i].lines);
        EXPECT_EQ(lines.front(), expected[i].firstLine);
        for (const auto& line : lines) {
            EXPECT_EQ(line.find_first_not_of("0123456789,"), std::string::npos) << line;
            EXPECT_EQ(std::count(line.begin(), line.end(), ','), 1) << line;
        }
    }
    // Solutions 2 and 3 share their first 91 lines and differ on line 92.
    const auto two = splitCrLf(kSolutions[1].script);
    const auto three = splitCrLf(kSolutions[2].script);
    EXPECT_TRUE(std::equal(two.begin(), two.begin() + 91, three.begin()));
    EXPECT_NE(two[91], three[91]);
}

// The step log a script leaves: its lines with the numbers in caption form ("1" -> "01").
std::string captionLog(std::string_view script) {
    std::string log;
    for (const auto& line : splitCrLf(script)) {
        const auto comma = line.find(',');
        log += engine::tileCaption(std::stoi(line.substr(0, comma))) + "," +
               engine::tileCaption(std::stoi(line.substr(comma + 1))) + "\r\n";
    }
    return log;
}

// Guards the solutions against the rules: each, from a fresh board, wins on its last line with
// the known figures, swaps without removal exactly where known, never uses tile 100 while it is
// disabled, raises no prompt and reports once.
TEST(BuiltInSolutions, EachWinsThroughTheRules) {
    const struct {
        int steps;
        std::vector<int> resultGone; // lines whose result tile is already gone
        std::vector<int> hundred;    // lines that use tile 100
    } expected[] = {
        {111, {12, 23, 34, 45, 56, 67, 78, 89, 97, 99, 103, 106}, {95, 102, 109}},
        {101, {93, 98}, {91, 99}},
        {99, {}, {91, 97}},
    };
    for (std::size_t i = 0; i < kSolutions.size(); ++i) {
        SCOPED_TRACE("solution " + std::to_string(i + 1));
        testing_support::RecordingView view;
        testing_support::FakeClock clock;
        engine::Game game(view, clock);
        testing_support::FakeHost host;
        replay::ReplayDriver driver(game, host);

        int line = 0; // the line being played: every line of a solution is logged
        std::vector<int> resultGone;
        std::vector<int> hundred;
        view.during = [&](const std::string& call) {
            if (call.rfind("append ", 0) == 0) {
                ++line;
                if (call.find("100") != std::string::npos) {
                    hundred.push_back(line);
                }
            } else if (call.rfind("title ", 0) == 0 &&
                       call.find(engine::texts::kResultGone) != std::string::npos) {
                resultGone.push_back(line);
            } else if (call == "look 100 Selected") {
                EXPECT_TRUE(game.board.tile(engine::TileRef{100}).enabled)
                    << "tile 100 designated while disabled, line " << line;
            }
            clock.now += 10;
        };
        driver.startReplay(kSolutions[i].script);

        EXPECT_EQ(line, expected[i].steps);
        EXPECT_EQ(resultGone, expected[i].resultGone);
        EXPECT_EQ(hundred, expected[i].hundred);
        EXPECT_TRUE(host.events.size() == 2 && host.events.front() == "open" &&
                    host.events.back() == "close")
            << "a prompt or box of the driver's own appeared";
        const auto infos = view.callsStartingWith("info ");
        ASSERT_EQ(infos.size(), 1u);
        EXPECT_EQ(infos[0].rfind("info 总共走了 " + std::to_string(expected[i].steps) +
                                     " 步，其中消掉方格的有 99 步，您总共消去了 100 个方格，台面"
                                     "还有 0 个方格。\r\n\r\n",
                                 0),
                  0u)
            << infos[0];
        EXPECT_TRUE(infos[0].ends_with(engine::texts::kVictoryLine));
        EXPECT_EQ(view.callsStartingWith("cue Victory").size(), 1u);
        EXPECT_EQ(view.stepLog, captionLog(kSolutions[i].script));
        if (i > 0) { // scripts 2 and 3 are written in caption form already
            EXPECT_EQ(view.stepLog, std::string(kSolutions[i].script) + "\r\n");
        }
        EXPECT_EQ(game.board.tileCount(), engine::kTileCount);
        EXPECT_EQ(game.state.counters.steps, 0);
        EXPECT_EQ(driver.state(), replay::ReplayState::Idle);
        EXPECT_FALSE(game.replayActive);
        EXPECT_FALSE(host.panelOpen);
    }
}

} // namespace
