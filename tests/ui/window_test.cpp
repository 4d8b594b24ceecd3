// The main window as a player meets it: layout, start-up, a real mouse sequence, boxes that
// leave the board usable, the step box's copy and replay, and a new game's rebuild.
#include "ui_fixture.h"

#include "ui/step_box.h"
#include "ui/ui_texts.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

using uitest::WindowTest;

QPoint home(int n) {
    return {(n - 1) % 10 * 50, (n - 1) / 10 * 50};
}

TEST_F(WindowTest, StartUpLaysOutTheGridAndTheStepBox) {
    EXPECT_EQ(window->size(), QSize(564, 500));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // a fixed frame
    for (int n = 1; n <= 100; ++n) {
        ASSERT_NE(tile(n), nullptr);
        EXPECT_EQ(tile(n)->geometry(), QRect(home(n), QSize(50, 50))) << n;
        EXPECT_TRUE(tile(n)->isVisible());
        EXPECT_EQ(tile(n)->caption(), QString::fromStdString(engine::tileCaption(n)));
        EXPECT_EQ(tile(n)->accessibleName(), QString::number(n));
    }
    EXPECT_EQ(window->findByTag(1, 100).size(), 100);
    EXPECT_EQ(window->findByTag(10, 12).size(), 3);
    EXPECT_FALSE(window->templateLabel()->isVisible());
    EXPECT_EQ(window->templateLabel()->number(), 0); // never found as a tile
    EXPECT_EQ(window->stepBox()->geometry(), QRect(500, 0, 64, 500));
    EXPECT_EQ(window->stepBox()->objectName(), QStringLiteral("编辑框步骤"));
    EXPECT_EQ(window->pos(), ui::centredTopLeft(ui::screenSize(), window->frameGeometry().size()));
    EXPECT_EQ(window->windowTitle(), QString::fromStdString(ui::texts::defaultTitle()));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    const QImage icon = window->windowIcon().pixmap(32, 32).toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.depth(), 32);
    EXPECT_EQ(window->game().state.hundredCooldown, 3);
#ifdef QUORVANE_HAVE_SOUND
    EXPECT_TRUE(uitest::waitFor([this] { return window->soundOpened(); })); // once shown
#endif
}

// Guards the whole road of a move through real mouse events: pick, swap, removal, log.
TEST_F(WindowTest, AMouseMoveSwapsTheTilesAndRemovesTheResult) {
    click(1);
    click(91);
    EXPECT_TRUE(titles.contains(QStringLiteral("01 + 91 = 92")));
    EXPECT_EQ(window->windowTitle(), QString::fromStdString(ui::texts::defaultTitle()));
    EXPECT_EQ(tile(92), nullptr);
    EXPECT_TRUE(window->findByTag(92, 92).isEmpty());
    EXPECT_EQ(window->stepBox()->logText(), QStringLiteral("01,91\r\n"));
    EXPECT_EQ(tile(1)->pos(), home(91));
    EXPECT_EQ(tile(91)->pos(), home(1));
    ASSERT_TRUE(
        uitest::waitFor([this] { return grabWindow().pixel(75, 475) == qRgb(255, 255, 255); }));
    const QImage image = grabWindow();
    for (const QPoint p : {QPoint(51, 451), QPoint(75, 475), QPoint(98, 498)}) {
        EXPECT_EQ(image.pixel(p), qRgb(255, 255, 255)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(window->game().state.counters.tilesRemoved, 1);
    EXPECT_FALSE(window->game().state.busy);
    // The cues of the move, in order (the first click's, then the second's).
    EXPECT_EQ(cues,
              (std::vector<engine::SoundCue>{engine::SoundCue::Click, engine::SoundCue::Click,
                                             engine::SoundCue::Swap, engine::SoundCue::Removal}));
}

TEST_F(WindowTest, TheRemovalFlashChangesEachColourThreeTimes) {
    std::vector<std::array<QColor, 3>> seen;
    QObject::connect(window.get(), &QWidget::windowTitleChanged, [&] {
        if (ui::TileWidget* t = tile(3)) {
            seen.push_back(t->colours());
        }
    });
    click(1);
    click(2); // 01 + 02 = 3: tile 3 flashes
    // Three cycles open with the status text and close with the default title.
    EXPECT_EQ(titles.count(QStringLiteral("01 + 02 = 3")), 3);
    EXPECT_EQ(titles.back(), QString::fromStdString(ui::texts::defaultTitle()));
    EXPECT_EQ(tile(3), nullptr);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_NE(seen[1], seen[0]); // the first cycle changed the colours
}

// The refusal box of a second click on the selected tile leaves the board usable.
TEST_F(WindowTest, ATileTakesClicksWhileAMessageBoxIsOpen) {
    bool boxSeen = false;
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(ui::openMessageBoxes().size(), 1);
        boxSeen = true;
        click(6); // the second pick of a pair with 5: 5 + 6 = 11
        qobject_cast<QMessageBox*>(ui::openMessageBoxes().front())->defaultButton()->click();
    });
    click(5);
    click(5);
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(tile(11), nullptr);
    EXPECT_EQ(window->stepBox()->logText(), QStringLiteral("05,06\r\n"));
}

TEST_F(WindowTest, ADisabledTileTakesNoMouseAndLooksNormal) {
    click(100);
    click(30); // 100 + 30 = 130(30): tile 100 rests
    ASSERT_FALSE(tile(100)->isEnabled());
    cues.clear();
    hover(100);
    click(100);
    EXPECT_TRUE(cues.empty());
    EXPECT_EQ(tile(100)->borderStyle(), ui::BorderStyle::ThinSunken);
    EXPECT_EQ(tile(100)->colours()[0], ui::kYellow);
    EXPECT_FALSE(window->game().state.firstPick.has_value());
}

// Guards the step box's line handling: each step is one line, the newest in view, and text
// copied out of it replays the same moves.
TEST_F(WindowTest, StepBoxCopiesAndReplaysWithCtrlB) {
    click(1);
    click(91);
    click(91);
    click(11); // 91 + 11 = 102(2)
    ui::StepBox* box = window->stepBox();
    EXPECT_EQ(box->logText(), QStringLiteral("01,91\r\n91,11\r\n"));
    EXPECT_EQ(box->document()->blockCount(), 3); // two lines and the empty one after them
    box->selectAll();
    box->copy();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_FALSE(copied.contains(QLatin1String("\n\n")));

    uitest::BoxAnswerer answerer;
    QTest::keyClick(box, Qt::Key_B, Qt::ControlModifier);
    // The replay played both lines on a fresh board, then settled and reset.
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(
        answerer.texts[0].startsWith(QStringLiteral("总共走了 2 步，其中消掉方格的有 2 步")))
        << answerer.texts[0].toStdString();
    EXPECT_EQ(box->logText(), QStringLiteral("01,91\r\n91,11\r\n"));
    EXPECT_EQ(window->findByTag(1, 100).size(), 100);
    EXPECT_FALSE(window->game().replayActive);
}

TEST_F(WindowTest, CtrlWithOtherModifiersStartsNoReplay) {
    QGuiApplication::clipboard()->setText(QStringLiteral("1,91"));
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(tile(92)->isVisible(), true);
    EXPECT_EQ(window->game().state.counters.steps, 0);
}

TEST_F(WindowTest, ANewGameRebuildsTheBoardAndRecentresTheWindow) {
    click(1);
    click(91);
    window->move(10, 10);
    window->game().view.setTitle("x");
    engine::newGame(window->game());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->size(), QSize(564, 500));
    EXPECT_EQ(window->pos(), ui::centredTopLeft(ui::screenSize(), window->frameGeometry().size()));
    EXPECT_EQ(window->windowTitle(), QString::fromStdString(ui::texts::defaultTitle()));
    for (int n = 1; n <= 100; ++n) {
        ASSERT_NE(tile(n), nullptr);
        EXPECT_EQ(tile(n)->pos(), home(n));
    }
    // Only the live tiles are children any more.
    EXPECT_EQ(window->findChildren<ui::TileWidget*>(Qt::FindDirectChildrenOnly).size(), 101);
    EXPECT_FALSE(window->lastHovered().has_value());
}

// ---- First start ----

struct FlagCase {
    std::optional<QString> stored;
    bool rulesShown;
};

TEST(FirstStart, TheFlagDecidesTheRulesAndIsWrittenBeforeTheBox) {
    ui::setProgramEnding(false);
    for (const FlagCase& c :
         {FlagCase{std::nullopt, true}, FlagCase{QStringLiteral("假"), false},
          FlagCase{QStringLiteral("假 "), true}, FlagCase{QStringLiteral("真"), true}}) {
        uitest::setFirstStartFlag(c.stored);
        uitest::FakeTime time;
        ui::MainWindow window(time, time);
        QString flagWhileOpen;
        bool visibleWhileOpen = true;
        uitest::BoxAnswerer answerer;
        answerer.onBox = [&](const QString&) {
            flagWhileOpen = ui::readFirstStartFlag();
            visibleWhileOpen = window.isVisible();
        };
        window.start();
        const std::string label = c.stored ? c.stored->toStdString() : "(absent)";
        ASSERT_EQ(answerer.texts.size(), c.rulesShown ? 1 : 0) << label;
        if (c.rulesShown) {
            EXPECT_TRUE(answerer.texts[0].startsWith(QStringLiteral("以纵横的方式"))) << label;
            EXPECT_EQ(flagWhileOpen, QStringLiteral("假")) << label;
            EXPECT_FALSE(visibleWhileOpen) << label;
        }
        EXPECT_EQ(ui::readFirstStartFlag(), QStringLiteral("假")) << label;
        EXPECT_TRUE(window.isVisible());
    }
}

} // namespace
