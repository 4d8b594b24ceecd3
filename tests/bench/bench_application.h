// What the window benchmarks share: the clocks they read, and a Qt application whose settings
// live in a private folder with the rules already seen.
#pragma once

#include "ui/toolkit.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <ctime>

namespace bench {

inline double wallMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

inline double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

class BenchApplication {
public:
    BenchApplication(int& argc, char** argv) : app_(argc, argv) {
        QCoreApplication::setOrganizationName(QStringLiteral("Talbrisk"));
        QCoreApplication::setApplicationName(QStringLiteral("小游戏"));
        QApplication::setQuitOnLastWindowClosed(false);
        ui::writeFirstStartFlag(QStringLiteral("假"));
    }

private:
    // The settings location is set before the application exists (members start in order).
    static bool usePrivateSettings(const QTemporaryDir& dir) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        return true;
    }
    QTemporaryDir settings_;
    bool settingsSet_ = usePrivateSettings(settings_);
    QApplication app_;
};

} // namespace bench
