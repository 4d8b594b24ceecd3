// The program: the application object, the main window's set-up, and the event loop.
#include "ui/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Talbrisk"));
    QCoreApplication::setApplicationName(QStringLiteral("小游戏"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.talbrisk.Quorvane"));
    // The program ends when the main window closes, and only then: a closed message box or the
    // window hidden in the tray must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    ui::SteadyClock clock;
    ui::ThreadSleeper sleeper;
    ui::MainWindow window(clock, sleeper);
    window.start();
    return QApplication::exec();
}
