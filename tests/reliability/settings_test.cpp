// Settings that cannot be read or written: the rules box shows as on a first start, nothing
// else is reported, and the game plays on.
#include "ui/toolkit.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

enum class Store { Unwritable, Corrupt };

struct StoreCase {
    const char* name;
    Store store;
};

class BrokenSettings : public ::testing::TestWithParam<StoreCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QString path = dir_.path();
        if (GetParam().store == Store::Unwritable) {
            // A plain file where the settings folder would go: no folder can be made below it,
            // whoever runs the test (root included).
            QFile blocker(dir_.filePath("blocker"));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
            path = dir_.filePath("blocker/config");
        } else {
            QDir(path).mkpath("Talbrisk");
            QFile corrupt(dir_.filePath("Talbrisk/小游戏.conf"));
            ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
            corrupt.write("\x00\xff[Quorvane\n=\n%U9996=\"\x01\n[[[\x00garbage", 34);
        }
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
        ui::setProgramEnding(false);
    }
    void TearDown() override {
        // Back to the suite's private folder for the tests that follow.
        const QString suite = qEnvironmentVariable("XDG_CONFIG_HOME");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, suite);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, suite);
    }

    QTemporaryDir dir_;
};

// Guards against a crash, a hang or an error box when the store is broken.
TEST_P(BrokenSettings, RulesShowAndTheGamePlays) {
    uitest::FakeTime time;
    ui::MainWindow window(time, time);
    uitest::BoxAnswerer answerer;
    window.start();
    ASSERT_TRUE(uitest::waitFor([&] { return window.isVisible(); }));
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(answerer.texts[0].startsWith(QStringLiteral("以纵横的方式")));

    const bool stored = ui::readFirstStartFlag() == QStringLiteral("假");
    if (GetParam().store == Store::Unwritable) {
        EXPECT_FALSE(stored);
    }
    // A new game checks the flag again: the rules come back exactly when it could not be stored.
    engine::newGame(window.game());
    EXPECT_EQ(answerer.texts.size(), stored ? 1 : 2);
    EXPECT_EQ(window.game().board.tileCount(), engine::kTileCount);
    ASSERT_NE(window.tileWidget(1), nullptr);
    EXPECT_FALSE(window.game().state.busy);
}

INSTANTIATE_TEST_SUITE_P(Stores, BrokenSettings,
                         ::testing::Values(StoreCase{"unwritable", Store::Unwritable},
                                           StoreCase{"corrupt", Store::Corrupt}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
