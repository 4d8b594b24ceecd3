// The widget tests' application, settings location, time and box answerer.
#include "ui_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace uitest {

namespace {

// The application lives for the whole test program; its settings go to a private folder
// before anything creates a QSettings, so the tester's own settings are never touched.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        settingsDir_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", settingsDir_->path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_->path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_->path());
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Talbrisk"));
        QCoreApplication::setApplicationName(QStringLiteral("小游戏"));
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QTemporaryDir> settingsDir_;
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

void setFirstStartFlag(const std::optional<QString>& value) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Talbrisk", "小游戏");
    if (value) {
        settings.setValue("Quorvane/首次启动", *value);
    } else {
        settings.remove("Quorvane/首次启动");
    }
    settings.sync();
}

BoxAnswerer::BoxAnswerer(Policy policy) : policy_(std::move(policy)) {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::poll);
    timer_.start(2);
}

void BoxAnswerer::poll() {
    for (QWidget* w : ui::openMessageBoxes()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr || box->property("answered").toBool()) {
            continue;
        }
        box->setProperty("answered", true);
        const QString text = box->text();
        texts.append(text);
        if (onBox) {
            onBox(text);
        }
        const QString wanted = policy_ ? policy_(text) : QString();
        QAbstractButton* button = box->defaultButton();
        for (QAbstractButton* b : box->buttons()) {
            if (!wanted.isEmpty() && b->text().remove('&') == wanted) {
                button = b;
            }
        }
        if (button != nullptr) {
            button->click();
        }
    }
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void WindowTest::SetUp() {
    ui::setProgramEnding(false);
    setFirstStartFlag(QStringLiteral("假"));
    window = std::make_unique<ui::MainWindow>(time, time);
    QObject::connect(window.get(), &QWidget::windowTitleChanged,
                     [this](const QString& t) { titles.append(t); });
    QObject::connect(window.get(), &ui::MainWindow::cuePlayed,
                     [this](engine::SoundCue c) { cues.push_back(c); });
    window->start();
    ASSERT_TRUE(waitFor([this] { return window->isVisible(); }));
    titles.clear();
}

void WindowTest::TearDown() {
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void WindowTest::click(int n, Qt::MouseButton button) {
    ui::TileWidget* t = tile(n);
    ASSERT_NE(t, nullptr) << "tile " << n << " is gone";
    QTest::mouseClick(t, button, Qt::NoModifier, QPoint(25, 25));
}

void WindowTest::hover(int n) {
    ui::TileWidget* t = tile(n);
    ASSERT_NE(t, nullptr) << "tile " << n << " is gone";
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), t->mapToGlobal(QPointF(20, 20)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(t, &move);
}

QImage WindowTest::grabWindow() const {
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace uitest
