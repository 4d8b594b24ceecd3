// End to end through the real window and in real time: built-in solution 3 chosen from the
// menu on a fresh board plays all 99 lines (about 80 s of animations) and wins.
// Run it alone with: ctest -R ui_replay_e2e
#include "ui_fixture.h"

#include "replay/solutions.h"
#include "ui/step_box.h"
#include "ui/ui_texts.h"

#include <QAction>

namespace {

TEST(ReplayEndToEnd, SolutionThreeFromTheMenuWinsAndLeavesAFreshBoard) {
    ui::setProgramEnding(false);
    uitest::setFirstStartFlag(QStringLiteral("假"));
    ui::SteadyClock clock;
    ui::ThreadSleeper sleeper;
    ui::MainWindow window(clock, sleeper);
    window.start();
    uitest::BoxAnswerer answerer;
    bool panelSeen = false;
    QObject::connect(&window, &QWidget::windowTitleChanged,
                     [&] { panelSeen = panelSeen || window.replayPanel() != nullptr; });

    window.solutionAction(2)->trigger();
    ASSERT_TRUE(uitest::waitFor([&] { return !answerer.texts.isEmpty(); }, 300000));
    ASSERT_TRUE(uitest::waitFor([&] { return !window.game().replayActive; }, 10000));

    ASSERT_EQ(answerer.texts.size(), 1);
    const QString report = answerer.texts[0];
    EXPECT_TRUE(
        report.startsWith(QStringLiteral("总共走了 99 步，其中消掉方格的有 99 步，您总共消去了 100 "
                                         "个方格，台面还有 0 个方格。\n\n所用时间：")))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("\n\n您已消去全部方格，获得了最终的胜利！！！")));
    EXPECT_TRUE(panelSeen);
    EXPECT_EQ(window.replayPanel(), nullptr);
    EXPECT_EQ(window.findByTag(1, 100).size(), 100);
    EXPECT_EQ(window.game().state.counters.steps, 0);
    const std::string script(replay::kSolutions[2].script);
    EXPECT_EQ(window.stepBox()->logText().toStdString(), script + "\r\n");
}

} // namespace
