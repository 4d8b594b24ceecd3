// The toolkit services the window layer builds on: clock and pumping waits, the program's own
// random generator, colours, screen size, message boxes and the settings store.
#pragma once

#include "engine/game.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace ui {

// ---- Time ----------------------------------------------------------------------------------

// The sleep half of the time services; the clock half is engine::Clock. A test build gives
// both a fake so that waits take no real time.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int ms) = 0;
};

// Milliseconds of a monotonic clock.
class SteadyClock : public engine::Clock {
public:
    std::int64_t uptimeMs() override;
};

class ThreadSleeper : public Sleeper {
public:
    ThreadSleeper();
    void sleepMs(int ms) override; // negative counts as 0
};

// Handles the pending window events; a quit request stays queued for the outer loop.
void pumpEvents();

// Waits N ms in 10 ms sleeps, pumping after each. Every turn reads the clock before it sleeps,
// so the wait ends after the sleep and pumping of the first turn whose reading shows N or more.
// `stop` (when given) is asked after each turn; a true answer ends the wait at once.
bool waitPumping(engine::Clock& clock, Sleeper& sleeper, int ms,
                 const std::function<bool()>& stop = {});

// ---- Random colours ------------------------------------------------------------------------

// The program's own linear congruential generator, seeded from the clock.
class RandomGenerator {
public:
    explicit RandomGenerator(engine::Clock& clock) : clock_(clock) {}
    void seedRandom();
    int randomInt(int a, int b);
    std::uint32_t state() const { return state_; }

private:
    engine::Clock& clock_;
    std::uint32_t state_ = 0;
    std::int64_t s_ = 0;
};

// red + 256 × green + 65536 × blue
constexpr std::uint32_t rgb(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red) + 256u * static_cast<std::uint32_t>(green) +
           65536u * static_cast<std::uint32_t>(blue);
}

// ---- Screen and window placement -----------------------------------------------------------

// The whole primary screen (not the work area).
QSize screenSize();

// Where a window of the given outer size stands: centred, 15 px above the vertical centre.
QPoint centredTopLeft(QSize screen, QSize outer);

// ---- Message boxes -------------------------------------------------------------------------

enum class Buttons { Ok, OkCancel, YesNo };
inline constexpr int kAnswerOk = 0;
inline constexpr int kAnswerCancel = 1;
inline constexpr int kAnswerYes = 5;
inline constexpr int kAnswerNo = 6;

// An ownerless, non-modal box above all windows, with an empty caption and the warning icon;
// the caller waits in a nested loop while every window keeps taking input. Closing an
// OK + Cancel box answers Cancel, a Yes + No box No. Once the program is ending (setProgramEnding)
// every box, open or new, answers at once: OK, Cancel or No.
int messageBox(const QString& text, Buttons buttons);
// The program is ending: the open boxes close with those answers, and later boxes do not open.
void setProgramEnding(bool ending);
// The boxes open now, oldest first (tests answer them).
QList<QWidget*> openMessageBoxes();

// Makes a window's title bar really empty: on X11 Qt shows the program's name for an empty title.
void clearNativeTitle(QWidget* window);
// Keeps a not yet shown window out of the task bar (X11; Qt does not do it for tool windows).
void skipTaskbar(QWidget* window);

// ---- Settings store ------------------------------------------------------------------------

// The first-start flag "Quorvane/首次启动" of the store "Talbrisk/小游戏" (on Linux the INI file
// $XDG_CONFIG_HOME/Talbrisk/小游戏.conf); empty when
// absent or not a single string.
QString readFirstStartFlag();
void writeFirstStartFlag(const QString& value);

} // namespace ui
