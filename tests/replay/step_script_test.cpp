// Tests of the step script reader, the clipboard line-end conversion and the step log format.
#include "replay/step_script.h"
#include "support/recording_view.h"

#include "engine/game.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using replay::parseStepScript;
using replay::StepLine;
using replay::toScriptLineEnds;

struct Expected {
    std::string text;
    int first;
    int second;
    friend bool operator==(const Expected&, const Expected&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Expected& e) {
        return os << "{\"" << e.text << "\", " << e.first << ", " << e.second << "}";
    }
};

std::vector<Expected> read(std::string_view text) {
    std::vector<Expected> out;
    for (const StepLine& line : parseStepScript(text)) {
        EXPECT_EQ(line.lineNumber, static_cast<int>(out.size()) + 1)
            << "lines are numbered 1, 2, ...";
        out.push_back({line.lineText, line.first, line.second});
    }
    return out;
}

// ---- cutting a script into lines -------------------------------------------------------------

// Guards the splitting rules: only CR LF separates lines, empty lines count, no empty last line.
TEST(StepScriptLines, CutAtCrLfOnly) {
    const struct {
        std::string text;
        std::vector<Expected> lines;
    } cases[] = {
        {"1,91\r\n91,11\r\n", {{"1,91", 1, 91}, {"91,11", 91, 11}}},
        {"1,91\r\n91,11", {{"1,91", 1, 91}, {"91,11", 91, 11}}},
        {"1,91\r\n\r\n91,11\r\n", {{"1,91", 1, 91}, {"", 0, 0}, {"91,11", 91, 11}}},
        {"\r\n1,91\r\n", {{"", 0, 0}, {"1,91", 1, 91}}},
        {"", {}},
        {"\r\n", {{"", 0, 0}}},
        {"\r\n\r\n", {{"", 0, 0}, {"", 0, 0}}},
        // A line feed alone stays inside its line; the second field stops reading at it.
        {"1,91\n91,11\n", {{"1,91\n91,11\n", 1, 91}}},
        // A lone CR is part of the line (and white space before a number).
        {"1,2\r\r\n\r3,4", {{"1,2\r", 1, 2}, {"\r3,4", 3, 4}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.text), c.lines) << "script: " << c.text;
    }
}

// ---- reading one line ------------------------------------------------------------------------

// Guards the field rules and the atof-like reading, full-width forms, huge values and broken
// UTF-8 (which must neither crash nor move a separator).
TEST(StepScriptFields, ReadAsAtofThenTruncate) {
    const struct {
        std::string line;
        int first;
        int second;
    } cases[] = {
        {"01,09", 1, 9},
        {"100,9", 100, 9},
        {"91", 91, 0},
        {"91,", 91, 0},
        {",91", 0, 91},
        {",", 0, 0},
        {"91,11,12", 91, 11},
        {"1.5,2.9", 1, 2},
        {"-0.7,+3", 0, 3},
        {"abc,12", 0, 12},
        {"12abc,3x4", 12, 3},
        {"-3,5", -3, 5},
        {"  12  ,\t 34 ", 12, 34},
        {".5e1,5.", 5, 5},
        {"1e2,1E+1", 100, 10},
        {"1e,2e+", 1, 2},   // an exponent needs a digit
        {"- 5,+-5", 0, 0},  // sign must touch the digits; one sign only
        {"0x10,inf", 0, 0}, // only decimal numbers are read
        {"nan,infinity", 0, 0},
        // Full-width digits, signs, point and exponent read as ASCII; U+3000 as a space.
        {"１２,３４", 12, 34},
        {"　１２　,　－３４", 12, -34},
        {"１．９ｅ１,＋５", 19, 5},
        // The full-width comma is no separator: one field, which stops at it.
        {"１２，３４", 12, 0},
        {"12，34,56", 12, 56},
        // Other non-ASCII characters stop a number and are never split.
        {"12中,中12", 12, 0},
        {"１２a３", 12, 0},
        // Values of magnitude 2^31 or more, and non-finite ones, are out of range: they read
        // as 0 (not wrapped), so the driver's range prompt shows the line.
        {"2147483647,-2147483647", 2147483647, -2147483647},
        {"2147483648,5", 0, 5},
        {"-2147483648,5", 0, 5},
        {"4294967297,5", 0, 5},
        {"2147483647.4,2147483647.9999999999", 2147483647, 0}, // the second rounds to 2^31
        {"1e10,99999999999999999999999999999", 0, 0},
        {"1e400,-1e400", 0, 0},
        {"1e-400,1e99999999999999999999", 0, 0},
        {std::string(5000, '0') + "7," + std::string(400, '9'), 7, 0},
        // Broken UTF-8: stray and truncated sequences stop a number but split nothing.
        {"\xEF,5", 0, 5},
        {"5\xEF\xBC,\x91"
         "7",
         5, 0},
        {"\xEF\xBC\x91\xBC,\xC0\xB1", 1, 0}, // overlong '1' is not a digit
        {"\xE3\x80\x80\xEF\xBC\x93,\xFF"
         "7",
         3, 0},
        {"\x80\x80", 0, 0},
        {"7\xE3\x80", 7, 0},
    };
    for (const auto& c : cases) {
        const auto lines = parseStepScript(c.line);
        ASSERT_EQ(lines.size(), 1u) << "line: " << c.line;
        EXPECT_EQ(lines[0].lineText, c.line);
        EXPECT_EQ(lines[0].first, c.first) << "line: " << c.line;
        EXPECT_EQ(lines[0].second, c.second) << "line: " << c.line;
    }
}

// Guards against a separator found inside, or lost to, broken multi-byte sequences: whatever
// the bytes, the lines are exactly the CR LF-separated pieces of the text.
TEST(StepScriptLines, AnyBytesSplitOnlyAtCrLf) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const char alphabet[] = {'\r', '\n',   ',',    '1',    '9',    ' ',    '.',    '-',
                             'e',  '\xEF', '\xBC', '\xBD', '\x91', '\xE3', '\x80', '\xFF'};
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& ch : text) {
            ch = alphabet[random() % sizeof alphabet];
        }
        std::string joined;
        for (const StepLine& line : parseStepScript(text)) {
            joined += line.lineText + "\r\n";
        }
        std::string expected = text;
        if (!expected.empty() && !expected.ends_with("\r\n")) {
            expected += "\r\n";
        }
        ASSERT_EQ(joined, expected) << "round " << round;
    }
}

// ---- the process locale ----------------------------------------------------------------------

// Puts the process in a decimal-comma locale (generating de_DE.UTF-8 in a private folder when
// the system has none) and back to "C" afterwards.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (trySet()) {
            return;
        }
        char pattern[] = "/tmp/quorvane-locale-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            GTEST_SKIP() << "cannot make a folder for a generated locale";
        }
        folder_ = pattern;
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder_ + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            GTEST_SKIP() << "no decimal-comma locale installed and localedef could not make one";
        }
        setenv("LOCPATH", folder_.c_str(), 1);
        if (!trySet()) {
            GTEST_SKIP() << "the generated de_DE.UTF-8 locale could not be set";
        }
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
        if (!folder_.empty()) {
            std::filesystem::remove_all(folder_);
        }
    }

private:
    static bool trySet() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                return true;
            }
        }
        return false;
    }
    std::string folder_;
};

// Guards against reading numbers through the process locale: a Qt program takes it from the
// environment, and under a decimal-comma locale strtod would stop at the point.
TEST_F(DecimalCommaLocale, PointStaysTheDecimalPoint) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
    ASSERT_STREQ(buffer, "1,5") << "the locale in effect does not use a decimal comma";
    ASSERT_EQ(std::strtod("1.5e1", nullptr), 1.0) << "strtod itself is expected to stop at '.'";

    EXPECT_EQ(read("1.5e1,2.75e2\r\n１．５ｅ１,0.9"),
              (std::vector<Expected>{{"1.5e1,2.75e2", 15, 275}, {"１．５ｅ１,0.9", 15, 0}}));
}

// ---- the clipboard's line ends ---------------------------------------------------------------

// Guards the conversion at the clipboard's border: lone LFs become CR LF, nothing else changes.
TEST(ScriptLineEnds, LoneLineFeedsBecomeCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"1,91\n91,11\n", "1,91\r\n91,11\r\n"},
        {"1,91\n91,11", "1,91\r\n91,11"},
        {"\n\n", "\r\n\r\n"},
        {"1,91\r\n91,11\n", "1,91\r\n91,11\r\n"},
        {"\r\n\n", "\r\n\r\n"},
        {"a\rb\r", "a\rb\r"},
        {"a\r\r\n", "a\r\r\n"},
        {"中\n", "中\r\n"},
    };
    for (const auto& [text, converted] : cases) {
        EXPECT_EQ(toScriptLineEnds(text), converted) << "text: " << text;
    }
}

// Guards the byte-order mark an editor may leave in front of a copied script: dropped at the
// border, so the first line reads as written; one further inside the text is left alone.
TEST(ScriptLineEnds, ClipboardDropsALeadingByteOrderMark) {
    EXPECT_EQ(replay::scriptFromClipboard("\xEF\xBB\xBF"
                                          "1,91\n91,11"),
              "1,91\r\n91,11");
    EXPECT_EQ(replay::scriptFromClipboard("1,91\n\xEF\xBB\xBF"), "1,91\r\n\xEF\xBB\xBF");
    EXPECT_EQ(replay::scriptFromClipboard(""), "");
}

// ---- the step log as a script ----------------------------------------------------------------

// Guards the shared format: a game's log, copied whole (as the box holds it, or with LF line
// ends as a Linux clipboard gives it), reads back into its swaps in the order picked.
TEST(StepLogAsScript, CopiedLogParsesBackIntoItsSwaps) {
    testing_support::RecordingView view;
    testing_support::FakeClock clock;
    engine::Game game(view, clock);
    const int designations[] = {
        1,   91,     // 92 goes
        91,  11,     // 2 goes
        12,  23,     // illegal pair: not logged
        5,   5,  15, // the second 5 is refused, so 5 pairs with 15
        100, 98,     // 98 goes
        91,  11,     // the result tile 2 is gone: logged all the same
    };
    for (const int n : designations) {
        engine::pickTile(game, *game.board.findTile(n));
    }
    const std::vector<Expected> swaps = {{"01,91", 1, 91},
                                         {"91,11", 91, 11},
                                         {"05,15", 5, 15},
                                         {"100,98", 100, 98},
                                         {"91,11", 91, 11}};
    ASSERT_EQ(read(view.stepLog), swaps) << view.stepLog;

    std::string withLineFeeds;
    for (const char c : view.stepLog) {
        if (c != '\r') {
            withLineFeeds += c;
        }
    }
    EXPECT_EQ(read(toScriptLineEnds(withLineFeeds)), swaps);
}

} // namespace
