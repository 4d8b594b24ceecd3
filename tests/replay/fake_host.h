// A ReplayHost for tests: records what the driver asks of the window layer, answers prompts,
// and runs a test's "button presses" inside its pumps and prompts.
#pragma once

#include "replay/replay_driver.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

class FakeHost : public replay::ReplayHost {
public:
    // "info <text>", "ask <text>", "sleep <ms>", "pump", "open", "close", in order.
    std::vector<std::string> events;
    std::string clipboard;
    bool ending = false;
    bool panelOpen = false;
    int panelsOpened = 0;
    int pumps = 0;
    // The answer to each prompt; the prompt's text is recorded before it is asked.
    std::function<bool(const std::string& text)> answer = [](const std::string&) { return true; };
    // Runs inside every pump of the pause loop: the test's clicks on the panel.
    std::function<void()> onPump;

    // A pause loop nobody releases would never end; past this many pumps the host fails the
    // test and throws to leave the driver (test code only: the program itself has no throws).
    static constexpr int kPumpLimit = 100000;

    std::vector<std::string> eventsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.rfind(prefix, 0) == 0) {
                out.push_back(e);
            }
        }
        return out;
    }

    void showInfo(const std::string& text) override { events.push_back("info " + text); }
    bool askYesNo(const std::string& text) override {
        events.push_back("ask " + text);
        return answer(text);
    }
    void sleepMs(int ms) override { events.push_back("sleep " + std::to_string(ms)); }
    void pumpEvents() override {
        events.push_back("pump");
        if (++pumps > kPumpLimit) {
            throw std::runtime_error("the pause loop was never released");
        }
        if (onPump) {
            onPump();
        }
    }
    std::string clipboardText() override { return clipboard; }
    void openPanel() override {
        events.push_back("open");
        panelOpen = true;
        ++panelsOpened;
    }
    void closePanel() override {
        events.push_back("close");
        panelOpen = false;
    }
    bool programEnding() override { return ending; }
};

} // namespace testing_support
