// Timing figures of the window layer: waitPumping's accuracy, the duration and CPU cost of a
// move with removal, and the CPU used while idle. Prints its figures; not part of the tests.
//   ui_bench   (built with -DQUORVANE_BENCH=ON; run it on a display, e.g.
//   tests/support/with_xvfb.sh)
#include "bench_application.h"
#include "ui/main_window.h"
#include "ui/tile_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

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
    bench::BenchApplication app(argc, argv);

    ui::SteadyClock clock;
    ui::ThreadSleeper sleeper;
    for (const int n : {20, 200}) {
        std::vector<double> lasted;
        for (int i = 0; i < 50; ++i) {
            const double start = bench::wallMs();
            ui::waitPumping(clock, sleeper, n);
            lasted.push_back(bench::wallMs() - start);
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
        const double wall = bench::wallMs();
        const double cpu = bench::cpuMs();
        release(window.tileWidget(91), Qt::LeftButton); // 01 + 91 = 92, removed with its flash
        const double took = bench::wallMs() - wall;
        moveMs.push_back(took);
        movePercent.push_back(100.0 * (bench::cpuMs() - cpu) / took);
    }
    report("move with removal, 2nd click (ms)", moveMs);
    report("  CPU during it (% of one core)", movePercent);

    const double idleWall = bench::wallMs();
    const double idleCpu = bench::cpuMs();
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    std::printf("%-34s %8.3f\n", "idle 5 s, CPU (% of one core)",
                100.0 * (bench::cpuMs() - idleCpu) / (bench::wallMs() - idleWall));
    return 0;
}
