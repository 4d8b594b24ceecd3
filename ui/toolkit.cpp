// Toolkit services on Qt: waits, the generator, placement, message boxes, the settings store.
#include "toolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include <sys/prctl.h>

#include <chrono>
#include <thread>

#ifdef QUORVANE_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace ui {

// ---- Time ----------------------------------------------------------------------------------

std::int64_t SteadyClock::uptimeMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ThreadSleeper::ThreadSleeper() {
    // The kernel may let a sleep overrun by its timer slack (50 µs by default); the waits add
    // up 10 ms sleeps, so the slack is kept small.
    prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
}

void ThreadSleeper::sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms));
}

void pumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitPumping(engine::Clock& clock, Sleeper& sleeper, int ms,
                 const std::function<bool()>& stop) {
    if (ms < 0) {
        return false;
    }
    const std::int64_t start = clock.uptimeMs();
    std::int64_t elapsed = 0;
    while (elapsed < ms) {
        elapsed = clock.uptimeMs() - start;
        sleeper.sleepMs(10);
        pumpEvents();
        if (stop && stop()) {
            break;
        }
    }
    return true;
}

// ---- Random colours ------------------------------------------------------------------------

void RandomGenerator::seedRandom() {
    const std::int64_t seed = clock_.uptimeMs() + s_;
    state_ = static_cast<std::uint32_t>(seed);
    s_ += 100 + (seed % 256 + 256) % 256;
}

int RandomGenerator::randomInt(int a, int b) {
    a = a < 0 ? 0 : a;
    b = b < 0 ? 0 : b;
    const int lo = a < b ? a : b;
    const int hi = a < b ? b : a;
    state_ = state_ * 214013u + 2531011u;
    const auto r = static_cast<std::int64_t>((state_ >> 16) & 0x7fffu);
    return lo + static_cast<int>(r % (static_cast<std::int64_t>(hi) - lo + 1));
}

// ---- Screen and window placement -----------------------------------------------------------

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

QPoint centredTopLeft(QSize screen, QSize outer) {
    // Integer division truncates toward zero, also for a window larger than the screen.
    return {(screen.width() - outer.width()) / 2, (screen.height() - outer.height() - 30) / 2};
}

// ---- Message boxes -------------------------------------------------------------------------

namespace {

bool programEnding = false;
QList<QPointer<QMessageBox>> openBoxes;

int endingAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return kAnswerOk;
    case Buttons::OkCancel:
        return kAnswerCancel;
    case Buttons::YesNo:
        return kAnswerNo;
    }
    return kAnswerOk;
}

} // namespace

int messageBox(const QString& text, Buttons buttons) {
    if (programEnding) {
        return endingAnswer(buttons);
    }
    // The texts write their line breaks as CR LF; the label wants one break per line.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::Warning, QString(), shown, QMessageBox::NoButton, nullptr,
                    Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                        Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    box.setWindowModality(Qt::NonModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* first = nullptr;
    QAbstractButton* second = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        first = box.addButton(QMessageBox::Ok);
        box.setEscapeButton(first);
        break;
    case Buttons::OkCancel:
        first = box.addButton(QMessageBox::Ok);
        second = box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(second);
        break;
    case Buttons::YesNo:
        // Closing the box (or Escape) answers No.
        first = box.addButton(QMessageBox::Yes);
        second = box.addButton(QMessageBox::No);
        break;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(first));

    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    openBoxes.append(&box);
    box.winId(); // the native window exists now, so its title can be emptied before it maps
    clearNativeTitle(&box);
    box.show();
    loop.exec();
    openBoxes.removeAll(&box);

    const QAbstractButton* clicked = box.clickedButton();
    if (programEnding || clicked == nullptr) {
        return endingAnswer(buttons);
    }
    switch (buttons) {
    case Buttons::Ok:
        return kAnswerOk;
    case Buttons::OkCancel:
        return clicked == first ? kAnswerOk : kAnswerCancel;
    case Buttons::YesNo:
        return clicked == first ? kAnswerYes : kAnswerNo;
    }
    return kAnswerOk;
}

void setProgramEnding(bool ending) {
    programEnding = ending;
    if (!ending) {
        return;
    }
    for (const QPointer<QMessageBox>& box : openBoxes) {
        if (box) {
            box->done(0);
        }
    }
}

QList<QWidget*> openMessageBoxes() {
    QList<QWidget*> boxes;
    for (const QPointer<QMessageBox>& box : openBoxes) {
        if (box && box->isVisible()) {
            boxes.append(box);
        }
    }
    return boxes;
}

#ifdef QUORVANE_HAVE_XCB
namespace {

xcb_connection_t* x11Connection(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        window->windowHandle() == nullptr) {
        return nullptr;
    }
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(qstrlen(name)), name),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return result;
}

} // namespace
#endif

void clearNativeTitle(QWidget* window) {
#ifdef QUORVANE_HAVE_XCB
    xcb_connection_t* connection = x11Connection(window);
    if (connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                        internAtom(connection, "_NET_WM_NAME"),
                        internAtom(connection, "UTF8_STRING"), 8, 0, "");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        0, "");
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

void skipTaskbar(QWidget* window) {
#ifdef QUORVANE_HAVE_XCB
    xcb_connection_t* connection = x11Connection(window);
    if (connection == nullptr) {
        return;
    }
    // Before the window is mapped its state is a plain property; Qt adds its own to it.
    const xcb_atom_t skip = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    xcb_change_property(connection, XCB_PROP_MODE_APPEND,
                        static_cast<xcb_window_t>(window->winId()),
                        internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &skip);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

// ---- Settings store ------------------------------------------------------------------------

namespace {
constexpr const char* kFirstStartKey = "Quorvane/首次启动";

} // namespace

QString readFirstStartFlag() {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Talbrisk", "小游戏");
    const QVariant value = settings.value(kFirstStartKey);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void writeFirstStartFlag(const QString& value) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Talbrisk", "小游戏");
    settings.setValue(kFirstStartKey, value);
    settings.sync(); // a failure is not reported: the rules then come again next time
}

} // namespace ui
