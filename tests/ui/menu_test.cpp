// The pop-up menu and its commands, the tray handler, the replay panel, and commands that
// arrive in the middle of a move or a replay.
#include "ui_fixture.h"

#include "replay/solutions.h"
#include "ui/replay_panel.h"
#include "ui/step_box.h"
#include "ui/ui_texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QUrl>
#include <QWindow>

namespace {

using uitest::BoxAnswerer;
using uitest::WindowTest;

// Runs the queued command of an action, as choosing it from the menu does.
void choose(QAction* action) {
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    QCoreApplication::processEvents();
}

// Guards the menu's exact shape and initial states.
TEST_F(WindowTest, TheMenuHasItsCaptionsOrderAndInitialStates) {
    struct Row {
        QString caption; // "-" for a separator, ">" prefix for a sub-menu item
        bool enabled;
    };
    std::vector<Row> expected = {{"新游戏", true},  {"终止清算", false}, {"-", true},
                                 {"规则...", true}, {"关于...", true},   {"发布页(更新)...", true},
                                 {"-", true},       {"安静模式", true},  {"保持最前", true},
                                 {"-", true},       {"成功走法", true}};
    for (const replay::Solution& s : replay::kSolutions) {
        expected.push_back(
            {">" + QString::fromUtf8(s.caption.data(), qsizetype(s.caption.size())), true});
    }
    for (const Row& r : std::vector<Row>{{">-", true},
                                         {">演示我的步骤...", true},
                                         {"-", true},
                                         {"退出", true},
                                         {"-", true},
                                         {"取消此菜单", true}}) {
        expected.push_back(r);
    }
    std::vector<Row> actual;
    const auto describe = [](QAction* a, const QString& prefix) {
        return Row{prefix + (a->isSeparator() ? QStringLiteral("-") : a->text()), a->isEnabled()};
    };
    QMenu* menu = window->popupMenu();
    EXPECT_EQ(menu->title(), QStringLiteral("文件"));
    for (QAction* a : menu->actions()) {
        actual.push_back(describe(a, {}));
        if (a->menu() != nullptr) {
            for (QAction* sub : a->menu()->actions()) {
                actual.push_back(describe(sub, QStringLiteral(">")));
            }
        }
        EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
    }
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].caption, expected[i].caption) << i;
        EXPECT_EQ(actual[i].enabled, expected[i].enabled) << expected[i].caption.toStdString();
    }
    EXPECT_TRUE(window->action(ui::texts::kMenuQuiet)->isCheckable());
    EXPECT_TRUE(window->action(ui::texts::kMenuKeepOnTop)->isCheckable());
}

TEST_F(WindowTest, SettleIsEnabledExactlyWhileTheClockRuns) {
    QAction* settle = window->action(ui::texts::kMenuSettle);
    EXPECT_FALSE(settle->isEnabled());
    click(7);
    EXPECT_TRUE(settle->isEnabled());
    click(7 + 10); // 07 + 17 = 24
    BoxAnswerer answerer;
    choose(settle);
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(answerer.texts[0].startsWith(QStringLiteral(
        "总共走了 1 步，其中消掉方格的有 1 步，您总共消去了 1 个方格，台面还有 99 个方格。")));
    EXPECT_FALSE(settle->isEnabled());
    EXPECT_EQ(window->findByTag(1, 100).size(), 100);
}

TEST_F(WindowTest, NewGameAsksFirstAndCancelKeepsTheGame) {
    click(1);
    click(91);
    {
        BoxAnswerer cancel([](const QString&) { return QStringLiteral("Cancel"); });
        choose(window->action(ui::texts::kMenuNewGame));
        ASSERT_EQ(cancel.texts.size(), 1);
        EXPECT_TRUE(cancel.texts[0].startsWith(QStringLiteral("您确定要开始新游戏吗？")));
    }
    EXPECT_EQ(tile(92), nullptr);
    EXPECT_EQ(window->game().state.counters.steps, 1);
    {
        BoxAnswerer ok;
        choose(window->action(ui::texts::kMenuNewGame));
        ASSERT_EQ(ok.texts.size(), 1);
    }
    EXPECT_NE(tile(92), nullptr);
    EXPECT_EQ(window->game().state.counters.steps, 0);
}

TEST_F(WindowTest, TheInformationCommandsShowTheirBoxes) {
    struct Case {
        const char* item;
        QStringList contains;
    };
    for (const Case& c :
         {Case{ui::texts::kMenuRules, {"以纵横的方式", "力捧全球冠军之杯！"}},
          Case{ui::texts::kMenuAbout, {"Talbrisk·Quorvane", "v2.1", "http://www.talbrisk.example"}},
          Case{ui::texts::kMenuMySteps, {"1,91\n91,11", "Ctrl + B"}}}) {
        BoxAnswerer answerer;
        choose(window->action(c.item));
        ASSERT_EQ(answerer.texts.size(), 1) << c.item;
        for (const QString& part : c.contains) {
            EXPECT_TRUE(answerer.texts[0].contains(part)) << c.item << ": " << part.toStdString();
        }
    }
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST_F(WindowTest, TheReleasePageGoesToTheDesktopsUrlHandler) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    choose(window->action(ui::texts::kMenuReleasePage));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl(QStringLiteral("http://www.talbrisk.example/info.asp?id=108")));
}

TEST_F(WindowTest, QuietModeSilencesTheCuesUntilUnchecked) {
    choose(window->action(ui::texts::kMenuQuiet));
    EXPECT_TRUE(window->quietMode());
    click(5);
    hover(6);
    click(5, Qt::RightButton); // deselects
    EXPECT_TRUE(cues.empty());
    choose(window->action(ui::texts::kMenuQuiet));
    click(5);
    EXPECT_EQ(cues, std::vector<engine::SoundCue>{engine::SoundCue::Click});
}

TEST_F(WindowTest, KeepOnTopTwiceLeavesTheWindowAsItWas) {
    QAction* onTop = window->action(ui::texts::kMenuKeepOnTop);
    choose(onTop);
    EXPECT_TRUE(onTop->isChecked());
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->isVisible());
    choose(onTop);
    EXPECT_FALSE(window->keepOnTop());
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowTest, CancelThisMenuChangesNothing) {
    click(1);
    BoxAnswerer answerer;
    choose(window->action(ui::texts::kMenuCancel));
    EXPECT_TRUE(answerer.texts.isEmpty());
    EXPECT_EQ(window->game().state.firstPick, engine::TileRef{1});
}

TEST_F(WindowTest, RightClicksOpenTheMenuFromTheBackgroundAndFromTiles) {
    QMenu* menu = window->popupMenu();
    click(12, Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    click(12); // picked: a right click on it deselects instead
    click(12, Qt::RightButton);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(window->game().state.firstPick.has_value());
    window->game().state.busy = true; // while a move is resolved: tiles no, background yes
    click(13, Qt::RightButton);
    EXPECT_FALSE(menu->isVisible());
    tile(13)->hide(); // leaves a cell of bare background
    QTest::mouseClick(window.get(), Qt::RightButton, Qt::NoModifier, QPoint(125, 25));
    EXPECT_TRUE(menu->isVisible());
    window->game().state.busy = false;
    menu->hide();
}

// Guards the mapping of Qt's tray reasons onto the handler's codes for both tray protocols.
TEST_F(WindowTest, TrayClicksHideAndShowAndADoubleClickLeavesTheWindowAsItWas) {
    QSystemTrayIcon* tray = window->trayIcon();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Talbrisk·Quorvane - 数字角力游戏"));
    EXPECT_FALSE(tray->icon().isNull());
    using R = QSystemTrayIcon::ActivationReason;
    struct Case {
        std::vector<R> reasons;
        bool visibleAfter;
    };
    for (const Case& c : {Case{{R::Trigger}, false}, Case{{R::Trigger}, true},
                          Case{{R::Trigger, R::DoubleClick}, true}, // XEmbed
                          Case{{R::Trigger, R::Trigger}, true},     // StatusNotifierItem
                          Case{{R::MiddleClick}, true}}) {
        for (const R r : c.reasons) {
            emit tray->activated(r);
        }
        EXPECT_EQ(window->isVisible(), c.visibleAfter) << c.reasons.size();
    }
    emit tray->activated(R::Context);
    EXPECT_TRUE(window->popupMenu()->isVisible());
    window->popupMenu()->hide();
}

// ---- The replay panel ----

TEST_F(WindowTest, ThePanelStandsBelowTheWindowWithItsThreeButtons) {
    window->openPanel();
    ui::ReplayPanel* panel = window->replayPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->frameGeometry().topLeft(), ui::panelTopLeft(window->frameGeometry(), 343));
    EXPECT_EQ(panel->parentWidget(), window.get());
    EXPECT_TRUE(panel->windowFlags() & Qt::Tool);
    EXPECT_FALSE(panel->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(panel->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(panel->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(panel->windowTitle().isEmpty());
    struct Button {
        QPushButton* button;
        const char* name;
        const char* caption;
        QRect place;
    };
    for (const Button& b :
         {Button{panel->stopButton(), "按钮终止演示", "终止演示", {8, 8, 96, 24}},
          Button{panel->pauseButton(), "按钮暂停演示", "暂停演示", {112, 8, 96, 24}},
          Button{panel->exitButton(), "按钮退出程序", "退出程序", {216, 8, 112, 24}}}) {
        EXPECT_EQ(b.button->objectName(), QString::fromUtf8(b.name));
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->geometry(), b.place) << b.name;
    }
    // The caption records the pause and decides what the next click does.
    panel->pauseButton()->click();
    EXPECT_EQ(panel->pauseButton()->text(), QStringLiteral("继续演示"));
    EXPECT_EQ(window->driver().state(), replay::ReplayState::Paused);
    panel->pauseButton()->click();
    EXPECT_EQ(panel->pauseButton()->text(), QStringLiteral("暂停演示"));
    EXPECT_EQ(window->driver().state(), replay::ReplayState::Running);
    panel->stopButton()->click();
    EXPECT_EQ(window->driver().state(), replay::ReplayState::Idle);
    // The player cannot close it.
    panel->close();
    EXPECT_TRUE(panel->isVisible());
    window->closePanel();
    EXPECT_EQ(window->replayPanel(), nullptr);
}

// A pause pressed during a move holds the replay after it; Stop then ends it at once, and the
// next replay gets a fresh panel.
TEST_F(WindowTest, AReplayStoppedWhilePausedLeavesAFreshPanelForTheNext) {
    BoxAnswerer answerer;
    QPointer<ui::ReplayPanel> firstPanel;
    bool pausedHeld = false;
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&](const QString& t) {
        if (t == QStringLiteral("01 + 91 = 92") && window->replayPanel() != nullptr) {
            firstPanel = window->replayPanel();
            firstPanel->pauseButton()->click();
            QTimer::singleShot(50, [&] {
                pausedHeld = window->game().state.counters.steps == 1 && firstPanel != nullptr;
                firstPanel->stopButton()->click();
            });
        }
    });
    QGuiApplication::clipboard()->setText(QStringLiteral("1,91\n91,11\n"));
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(pausedHeld);
    EXPECT_EQ(window->replayPanel(), nullptr);
    ASSERT_EQ(answerer.texts.size(), 1); // the report of the stopped replay's one move
    EXPECT_TRUE(answerer.texts[0].startsWith(QStringLiteral("总共走了 1 步")));

    QString caption;
    QGuiApplication::clipboard()->setText(QStringLiteral("1,2"));
    QObject::disconnect(window.get(), &QWidget::windowTitleChanged, nullptr, nullptr);
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&] {
        if (window->replayPanel() != nullptr) {
            caption = window->replayPanel()->pauseButton()->text();
        }
    });
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(caption, QStringLiteral("暂停演示"));
}

TEST_F(WindowTest, CtrlBWithAnOutOfRangeLineAnsweredNoMakesNoMove) {
    BoxAnswerer no([](const QString&) { return QStringLiteral("No"); });
    QGuiApplication::clipboard()->setText(QStringLiteral("0,5\n1,91\n"));
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(no.texts.size(), 1);
    EXPECT_EQ(no.texts[0], QStringLiteral("第 1 步出错(数字超出范围，最小值 1；最大值 100)：0,5\n\n"
                                          "请问是否继续自动演示？(继续则忽略此步)"));
    EXPECT_EQ(window->game().state.counters.steps, 0);
    EXPECT_FALSE(window->game().replayActive);
    EXPECT_EQ(window->replayPanel(), nullptr);
}

TEST_F(WindowTest, ASecondReplayIsRefusedWhileOneRuns) {
    BoxAnswerer answerer;
    bool asked = false;
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&](const QString& t) {
        if (!asked && t == QStringLiteral("01 + 91 = 92")) {
            asked = true;
            window->solutionAction(0)->trigger(); // runs inside the replay's next wait
        }
    });
    QGuiApplication::clipboard()->setText(QStringLiteral("1,91\n91,11"));
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(answerer.texts.size(), 2);
    EXPECT_EQ(answerer.texts[0],
              QStringLiteral("当前正在演示中，请先终止当前演示再开始新的演示！"));
    EXPECT_TRUE(answerer.texts[1].startsWith(QStringLiteral("总共走了 2 步"))); // carried on
}

// ---- Commands in the middle of a move ----

// Guards against a move that goes on animating tiles of the board that replaced its own.
TEST_F(WindowTest, ANewGameChosenDuringAMoveLeavesTheFreshBoardAlone) {
    BoxAnswerer ok;
    QPointer<ui::TileWidget> oldOne = tile(1);
    bool chosen = false;
    class Trigger : public QObject {
    public:
        std::function<void()> onMove;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Move && onMove) {
                auto f = std::move(onMove);
                onMove = nullptr;
                f();
            }
            return false;
        }
    } trigger;
    trigger.onMove = [&] {
        chosen = true;
        window->action(ui::texts::kMenuNewGame)->trigger(); // handled in the glide's next wait
    };
    tile(1)->installEventFilter(&trigger);
    click(1);
    click(91);
    EXPECT_TRUE(chosen);
    ASSERT_EQ(ok.texts.size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(oldOne.isNull());
    for (const int n : {1, 91, 92}) {
        ASSERT_NE(tile(n), nullptr) << n;
        EXPECT_EQ(tile(n)->pos(), QPoint((n - 1) % 10 * 50, (n - 1) / 10 * 50)) << n;
        EXPECT_EQ(tile(n)->colours()[0], ui::kYellow) << n;
    }
    EXPECT_EQ(window->game().state.counters.steps, 0);
    EXPECT_FALSE(window->game().state.busy);
    EXPECT_EQ(window->windowTitle(), QString::fromStdString(ui::texts::defaultTitle()));
    click(5); // the fresh board plays
    EXPECT_EQ(window->game().state.firstPick, engine::TileRef{5});
}

// Ctrl+B during a move of the player's: the replay abandons that move and plays on a fresh
// board; the move does not resume afterwards.
TEST_F(WindowTest, CtrlBDuringAMoveReplaysOnAFreshBoard) {
    BoxAnswerer answerer;
    bool pressed = false;
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&](const QString& t) {
        if (!pressed && t == QStringLiteral("01 + 91 = 92")) {
            pressed = true;
            QGuiApplication::clipboard()->setText(QStringLiteral("1,2"));
            QTimer::singleShot(
                0, [&] { QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier); });
        }
    });
    click(1);
    click(91);
    EXPECT_TRUE(pressed);
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(
        answerer.texts[0].startsWith(QStringLiteral("总共走了 1 步，其中消掉方格的有 1 步")))
        << answerer.texts[0].toStdString();
    EXPECT_EQ(window->findByTag(1, 100).size(), 100);
    EXPECT_EQ(tile(1)->pos(), QPoint(0, 0));
    EXPECT_EQ(tile(91)->pos(), QPoint(0, 450));
    EXPECT_EQ(window->stepBox()->logText(), QStringLiteral("01,02\r\n"));
    EXPECT_FALSE(window->game().state.busy);
    EXPECT_FALSE(window->game().replayActive);
}

// "退出程序" while a replay is paused: the replay and the program end, nothing waits on.
TEST_F(WindowTest, ExitFromThePausedPanelEndsTheReplayAndTheProgram) {
    BoxAnswerer answerer;
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&](const QString& t) {
        if (t == QStringLiteral("01 + 91 = 92") && window->replayPanel() != nullptr) {
            window->replayPanel()->pauseButton()->click();
            QTimer::singleShot(20, [&] {
                ASSERT_EQ(window->driver().state(), replay::ReplayState::Paused);
                window->replayPanel()->exitButton()->click();
            });
        }
    });
    QGuiApplication::clipboard()->setText(QStringLiteral("1,91\n91,11\n91,12"));
    QTimer::singleShot(0,
                       [&] { QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier); });
    const int code = QApplication::exec(); // returns once the program has been ended
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(window->programEnding());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->game().replayActive);
    EXPECT_EQ(window->game().state.counters.steps, 1); // no further line was played
    EXPECT_TRUE(answerer.texts.isEmpty());             // no report box on the way out
}

TEST_F(WindowTest, ExitFromTheMenuEndsTheProgramInTheMiddleOfAMove) {
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&](const QString& t) {
        if (t == QStringLiteral("01 + 91 = 92")) {
            window->action(ui::texts::kMenuExit)->trigger();
        }
    });
    QTimer::singleShot(0, [&] {
        click(1);
        click(91);
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(tile(92), nullptr); // the flash was cut short and removed nothing
}

} // namespace

#include "menu_test.moc"
