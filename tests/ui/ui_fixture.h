// What the widget tests share: a Qt application with private settings, fake time, a main window
// on that time, and an answerer for the message boxes the window opens.
#pragma once

#include "ui/main_window.h"
#include "ui/tile_widget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace uitest {

// A clock that only the sleeper moves: every wait takes no real time and stays exact.
struct FakeTime : engine::Clock, ui::Sleeper {
    std::int64_t now = 1'000'000;
    std::vector<int> sleeps;
    std::int64_t uptimeMs() override { return now; }
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        now += ms < 0 ? 0 : ms;
    }
};

// The first-start flag as the store holds it; nullopt removes it.
void setFirstStartFlag(const std::optional<QString>& value);

// Watches for the program's message boxes and answers each with the button the policy picks
// (by its text; empty = the default button), recording the texts in order.
class BoxAnswerer : public QObject {
public:
    using Policy = std::function<QString(const QString& text)>;
    explicit BoxAnswerer(Policy policy = {});
    QStringList texts;
    // Runs when a box is seen, before it is answered.
    std::function<void(const QString& text)> onBox;

private:
    void poll();
    Policy policy_;
    QTimer timer_;
};

// Runs the application's events until the condition holds; false after `ms` of real time.
bool waitFor(const std::function<bool()>& condition, int ms = 20000);

// A fresh main window on fake time, with the rules already seen, started and shown.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ui::TileWidget* tile(int n) const { return window->tileWidget(n); }
    void click(int n, Qt::MouseButton button = Qt::LeftButton);
    void hover(int n);
    QImage grabWindow() const;

    FakeTime time;
    std::unique_ptr<ui::MainWindow> window;
    QStringList titles; // every title set, in order
    std::vector<engine::SoundCue> cues;
};

} // namespace uitest
