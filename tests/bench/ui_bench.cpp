// Timing figures of the window layer: waitPumping's accuracy, the duration and CPU cost of a
// move with removal, and the CPU used while idle. Prints its figures; not part of the tests.
//   quorvane_bench   (run it on a display, e.g. tests/support/with_xvfb.sh)
#include "ui/main_window.h"
#include "ui/tile_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double wallMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void report(const char* name, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-34s median %8.2f  worst %8.2f  best %8.2f  (n=%zu)\n", name,
                values[values.size() / 2], values.back(), values.front(), values.size());
}

void release(QWidget* w, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(25, 25), w->mapToGlobal(QPointF(25, 25)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(25, 25), w->mapToGlobal(QPointF(25, 25)),
                   button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Talbrisk"));
    QCoreApplication::setApplicationName(QStringLiteral("小游戏"));
    QApplication::setQuitOnLastWindowClosed(false);
    ui::writeFirstStartFlag(QStringLiteral("假"));

    ui::SteadyClock clock;
    ui::ThreadSleeper sleeper;
    for (const int n : {20, 200}) {
        std::vector<double> lasted;
        for (int i = 0; i < 50; ++i) {
            const double start = wallMs();
            ui::waitPumping(clock, sleeper, n);
            lasted.push_back(wallMs() - start);
        }
        char name[64];
        std::snprintf(name, sizeof name, "waitPumping(%d) lasted (ms)", n);
        report(name, lasted);
    }

    ui::MainWindow window(clock, sleeper);
    window.start();
    for (int i = 0; i < 20; ++i) {
        ui::pumpEvents();
        sleeper.sleepMs(10);
    }

    std::vector<double> moveMs;
    std::vector<double> movePercent;
    for (int round = 0; round < 5; ++round) {
        engine::newGame(window.game());
        ui::pumpEvents();
        release(window.tileWidget(1), Qt::LeftButton);
        const double wall = wallMs();
        const double cpu = cpuMs();
        release(window.tileWidget(91), Qt::LeftButton); // 01 + 91 = 92, removed with its flash
        const double took = wallMs() - wall;
        moveMs.push_back(took);
        movePercent.push_back(100.0 * (cpuMs() - cpu) / took);
    }
    report("move with removal, 2nd click (ms)", moveMs);
    report("  CPU during it (% of one core)", movePercent);

    const double idleWall = wallMs();
    const double idleCpu = cpuMs();
    QTimer::singleShot(5000, &app, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    std::printf("%-34s %8.3f\n", "idle 5 s, CPU (% of one core)",
                100.0 * (cpuMs() - idleCpu) / (wallMs() - idleWall));
    return 0;
}
