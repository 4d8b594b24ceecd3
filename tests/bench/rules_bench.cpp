// Benchmarks of the toolkit-free code: reading 10 MB of step lines, and moves per second of the
// rules alone on a do-nothing view. Prints "name median min max" lines in milliseconds.
#include "engine/game.h"
#include "replay/solutions.h"
#include "replay/step_script.h"
#include "support/null_view.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class CountingClock : public engine::Clock {
public:
    std::int64_t now = 1;
    std::int64_t uptimeMs() override { return ++now; }
};

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void report(const char* name, std::vector<double> v, const char* unit = "ms") {
    std::sort(v.begin(), v.end());
    std::printf("%s %.3f %.3f %.3f %s\n", name, v[v.size() / 2], v.front(), v.back(), unit);
}

} // namespace

int main() {
    constexpr int kRuns = 7;

    std::string text;
    while (text.size() < 10u * 1024 * 1024) {
        text += replay::kSolutions[0].script;
        text += "\r\n";
    }
    std::vector<double> parse;
    std::size_t lines = 0;
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        lines = replay::parseStepScript(text).size();
        parse.push_back(msSince(t0));
    }
    report("parse_10MB", parse);
    std::fprintf(stderr, "(%zu lines)\n", lines);

    // Solution 3 played over and over through pickTile with nothing drawn.
    const auto script = replay::parseStepScript(replay::kSolutions[2].script);
    std::vector<double> rates;
    for (int i = 0; i < kRuns; ++i) {
        testing_support::NullView view;
        CountingClock clock;
        engine::Game game(view, clock);
        long moves = 0;
        const auto t0 = std::chrono::steady_clock::now();
        while (msSince(t0) < 300) {
            for (const auto& line : script) {
                const auto a = game.board.findTile(line.first);
                const auto b = game.board.findTile(line.second);
                if (a && b) {
                    engine::pickTile(game, *a);
                    engine::pickTile(game, *b);
                    ++moves;
                }
            }
        }
        rates.push_back(static_cast<double>(moves) / (msSince(t0) / 1000.0));
    }
    report("pickTile_moves_per_s", rates, "moves/s");
    return 0;
}
