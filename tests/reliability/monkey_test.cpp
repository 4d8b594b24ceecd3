// Random player actions fired at random moments (inside moves, replays and open boxes), with
// the game's invariants checked all along.
#include "replay/solutions.h"
#include "replay/step_script.h"
#include "support/null_view.h"
#include "ui/replay_panel.h"
#include "ui/step_box.h"
#include "ui/toolkit.h"
#include "ui/ui_fixture.h"
#include "ui/ui_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>

namespace {

using engine::TileRef;

class CountingClock : public engine::Clock {
public:
    std::int64_t now = 1;
    std::int64_t uptimeMs() override { return ++now; }
};

// A fixed set of seeds keeps the suite repeatable; QUORVANE_MONKEY_SEED runs one seed instead
// ("random" for a fresh one).
std::vector<std::uint64_t> seedsFromEnvironment() {
    if (const char* s = std::getenv("QUORVANE_MONKEY_SEED"); s && *s) {
        if (std::string(s) == "random") {
            return {std::random_device{}()};
        }
        return {std::strtoull(s, nullptr, 10)};
    }
    return {1, 2, 3, 4, 5, 6};
}

int actionsFromEnvironment() {
    if (const char* s = std::getenv("QUORVANE_MONKEY_ACTIONS"); s && *s) {
        return std::atoi(s);
    }
    return 4000;
}

class MonkeyTest : public uitest::WindowTest, public ::testing::WithParamInterface<std::uint64_t> {
protected:
    std::mt19937_64 rng;
    int depth = 0; // actions running now, nested inside each other's waits
    int actionsDone = 0;
    int actionsWanted = 0;
    bool draining = false;
    bool calm =
        false; // a calm phase only answers boxes, so that replays and games run their course
    int turns = 0;
    int calmUntil = 0;
    std::vector<std::string> trail; // the latest actions, for the failure message
    std::string failure;
    std::map<std::string, int> kinds; // how often each kind of action ran
    int maxSteps = 0, maxRemoved = 0, victories = 0;

    int roll(int n) { return static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }

    void fail(const std::string& what) {
        if (failure.empty()) {
            std::ostringstream out;
            out << what << " (after " << actionsDone << " actions; latest:";
            for (std::size_t i = trail.size() > 12 ? trail.size() - 12 : 0; i < trail.size(); ++i) {
                out << " " << trail[i];
            }
            out << ")";
            failure = out.str();
        }
    }

    // ---- Invariants ----

    void checkInvariants() {
        engine::Game& g = window->game();
        maxSteps = std::max(maxSteps, g.state.counters.steps);
        maxRemoved = std::max(maxRemoved, g.state.counters.tilesRemoved);
        if (g.state.counters.tilesRemoved == 100) {
            ++victories;
        }
        const engine::Board& board = g.board;
        const auto& c = g.state.counters;
        if (c.eliminatingSteps > c.steps) {
            fail("more eliminating steps than steps");
        }
        int seen = 0;
        for (int n = 1; n <= engine::kTileCount; ++n) {
            const engine::Tile& t = board.tile(TileRef{n});
            ui::TileWidget* w = window->tileWidget(n);
            if (t.onBoard) {
                ++seen;
                if (board.numberAt(t.row, t.column) != n) {
                    fail("tile " + std::to_string(n) + " is not in its own cell");
                }
                if (w == nullptr || w->destroyed()) {
                    fail("tile " + std::to_string(n) + " is on the board without a widget");
                } else if (!g.state.busy && w->pos() != QPoint(t.column * 50, t.row * 50)) {
                    fail("tile " + std::to_string(n) + "'s widget is off its cell");
                }
            } else if (w != nullptr) {
                fail("removed tile " + std::to_string(n) + " still has a widget");
            }
        }
        if (seen != board.tileCount()) {
            fail("tile count disagrees with the tiles on the board");
        }
        int shown = 0;
        for (ui::TileWidget* w : window->findChildren<ui::TileWidget*>()) {
            if (w != window->templateLabel() && !w->destroyed() && !w->isHidden()) {
                ++shown;
            }
        }
        if (shown != board.tileCount()) {
            fail("shown tile widgets (" + std::to_string(shown) + ") disagree with the board (" +
                 std::to_string(board.tileCount()) + ")");
        }
        if (g.state.busy) {
            return; // a move or a reset is halfway: the rest holds between moves
        }
        if (c.tilesRemoved != engine::kTileCount - board.tileCount()) {
            fail("tilesRemoved disagrees with the board");
        }
        if (g.state.startTime != 0) {
            checkStepLogReplays();
        }
    }

    // The step box of the game in progress, played on a fresh board by the rules alone, must
    // give this very board and these counters.
    void checkStepLogReplays() {
        const engine::Game& g = window->game();
        const std::string log = window->stepBox()->logText().toStdString();
        testing_support::NullView view;
        CountingClock clock;
        engine::Game shadow(view, clock);
        bool won = false;
        for (const auto& line : replay::parseStepScript(replay::toScriptLineEnds(log))) {
            const auto a = shadow.board.findTile(line.first);
            const auto b = shadow.board.findTile(line.second);
            if (!a || !b || !shadow.board.sameLine(*a, *b) || won) {
                fail("the step box holds a line that is no legal swap: " + line.lineText);
                return;
            }
            engine::pickTile(shadow, *a);
            won = engine::pickTile(shadow, *b);
        }
        const auto& c = g.state.counters;
        if (won) {
            if (c.tilesRemoved != 100) {
                fail("the step box holds a won game, the board does not");
            }
            return;
        }
        const auto& s = shadow.state.counters;
        if (s.steps != c.steps || s.eliminatingSteps != c.eliminatingSteps ||
            s.tilesRemoved != c.tilesRemoved) {
            fail("the step box replays to other counters");
            return;
        }
        for (int r = 0; r < engine::kBoardSide; ++r) {
            for (int col = 0; col < engine::kBoardSide; ++col) {
                if (shadow.board.numberAt(r, col) != g.board.numberAt(r, col)) {
                    fail("the step box replays to another board");
                    return;
                }
            }
        }
    }

    // ---- Actions ----

    QString randomClipboard() {
        switch (roll(8)) {
        case 0:
            return {};
        case 1: {
            const auto script = replay::kSolutions[roll(3)].script;
            return QString::fromUtf8(script.data(), static_cast<qsizetype>(script.size()))
                .left(200);
        }
        case 2:
            return QStringLiteral("0,5\n5,101\n\n");
        case 3:
            return QStringLiteral("5,5\n91,11\n１，２\n");
        case 4:
            return window->stepBox()->logText();
        default: {
            QString text;
            const int lines = 1 + roll(6);
            for (int i = 0; i < lines; ++i) {
                text += QString::number(roll(103) - 1) + "," + QString::number(roll(103) - 1) +
                        (roll(2) ? "\r\n" : "\n");
            }
            return text;
        }
        }
    }

    ui::TileWidget* randomLiveTile() {
        const auto tiles = window->findByTag(1, 100);
        return tiles.isEmpty() ? nullptr : tiles[roll(static_cast<int>(tiles.size()))];
    }

    // A point of the grid whose cell is empty, or the window's background.
    QPoint randomBackgroundPoint() {
        for (int tries = 0; tries < 20; ++tries) {
            const int r = roll(10), col = roll(10);
            if (window->game().board.numberAt(r, col) == 0) {
                return {col * 50 + 25, r * 50 + 25};
            }
        }
        return {25, 25};
    }

    bool answerABox() {
        const auto boxes = ui::openMessageBoxes();
        if (boxes.isEmpty()) {
            return false;
        }
        auto* box = qobject_cast<QMessageBox*>(boxes[roll(static_cast<int>(boxes.size()))]);
        if (box == nullptr || box->buttons().isEmpty()) {
            return false;
        }
        const auto buttons = box->buttons();
        QAbstractButton* b = draining || calm ? box->defaultButton()
                                              : buttons[roll(static_cast<int>(buttons.size()))];
        trail.push_back("answer:" + b->text().toStdString());
        (b ? b : buttons.front())->click();
        return true;
    }

    void triggerAction(const char* caption) {
        QAction* a = window->action(caption);
        if (a != nullptr && a->isEnabled()) {
            trail.push_back(std::string("menu:") + caption);
            a->trigger();
        }
    }

    // Mostly a tile in the first pick's row or column, so that games get somewhere.
    ui::TileWidget* tileToClick() {
        const engine::Game& g = window->game();
        if (g.state.firstPick && roll(10) < 7 && g.board.findTile(g.state.firstPick->number)) {
            const engine::Tile& f = g.board.tile(*g.state.firstPick);
            std::vector<int> partners;
            for (int i = 0; i < engine::kBoardSide; ++i) {
                for (int n : {g.board.numberAt(f.row, i), g.board.numberAt(i, f.column)}) {
                    if (n != 0 && n != f.number) {
                        partners.push_back(n);
                    }
                }
            }
            if (!partners.empty()) {
                if (ui::TileWidget* t =
                        window->tileWidget(partners[roll(static_cast<int>(partners.size()))])) {
                    return t;
                }
            }
        }
        return randomLiveTile();
    }

    void act() {
        ++depth;
        const int pick = roll(1000);
        if (pick < 420) {
            if (ui::TileWidget* t = tileToClick()) {
                trail.push_back("click:" + std::to_string(t->number()));
                QTest::mouseClick(t, Qt::LeftButton, Qt::NoModifier, QPoint(25, 25));
            }
        } else if (pick < 470) {
            if (ui::TileWidget* t = randomLiveTile()) {
                trail.push_back("right:" + std::to_string(t->number()));
                QTest::mouseClick(t, Qt::RightButton, Qt::NoModifier, QPoint(25, 25));
            }
        } else if (pick < 500) {
            const QPoint p = randomBackgroundPoint();
            trail.push_back("background");
            QTest::mouseClick(window.get(), roll(2) ? Qt::LeftButton : Qt::RightButton,
                              Qt::NoModifier, p);
        } else if (pick < 560) {
            if (ui::TileWidget* t = randomLiveTile()) {
                trail.push_back("hover:" + std::to_string(t->number()));
                QMouseEvent move(QEvent::MouseMove, QPointF(20, 20),
                                 t->mapToGlobal(QPointF(20, 20)), Qt::NoButton, Qt::NoButton,
                                 Qt::NoModifier);
                QApplication::sendEvent(t, &move);
            }
        } else if (pick < 800) {
            answerABox();
        } else if (pick < 840) {
            if (ui::ReplayPanel* p = window->replayPanel()) {
                QPushButton* b = roll(3) == 0 ? p->stopButton() : p->pauseButton();
                trail.push_back("panel:" + b->text().toStdString());
                b->click();
            }
        } else if (pick < 860) {
            QGuiApplication::clipboard()->setText(randomClipboard());
            trail.push_back("ctrl+b");
            QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier);
        } else if (pick < 870) {
            trail.push_back("solution");
            if (QAction* a = window->solutionAction(roll(3))) {
                a->trigger();
            }
        } else if (pick < 880) {
            triggerAction(ui::texts::kMenuNewGame);
        } else if (pick < 890) {
            triggerAction(ui::texts::kMenuSettle);
        } else if (pick < 910) {
            triggerAction(ui::texts::kMenuQuiet);
        } else if (pick < 920) {
            triggerAction(ui::texts::kMenuKeepOnTop);
        } else if (pick < 930) {
            triggerAction(ui::texts::kMenuRules);
        } else if (pick < 935) {
            triggerAction(ui::texts::kMenuAbout);
        } else if (pick < 940) {
            triggerAction(ui::texts::kMenuMySteps);
        } else if (pick < 950) {
            window->onTrayEvent(1 + roll(3));
            trail.push_back("tray");
        } else if (pick < 970) {
            if (window->popupMenu() != nullptr && window->popupMenu()->isVisible()) {
                window->popupMenu()->close();
                trail.push_back("menu closed");
            }
        } else {
            triggerAction(ui::texts::kMenuCancel);
        }
        if (!trail.empty()) {
            ++kinds[trail.back().substr(0, trail.back().find(':'))];
        }
        --depth;
    }

    // Ends whatever is running: boxes answered with their default, replays stopped or resumed.
    void drain() {
        draining = true;
        answerABox();
        if (ui::ReplayPanel* p = window->replayPanel()) {
            p->stopButton()->click();
        }
        if (window->popupMenu() != nullptr && window->popupMenu()->isVisible()) {
            window->popupMenu()->close();
        }
        if (!window->isVisible()) {
            window->onTrayEvent(1);
        }
    }

    // Runs inside every event pumping of the program, wherever it waits.
    void tick() {
        checkInvariants();
        if (!failure.empty()) {
            drain();
            return;
        }
        if (actionsDone >= actionsWanted || depth > 6) {
            drain();
            return;
        }
        // Now and then a long calm phase (about a hundred moves) between storms.
        ++turns;
        if (calm && turns >= calmUntil) {
            calm = false;
        } else if (!calm && turns % 3000 == 0 && roll(10) < 3) {
            calm = true;
            calmUntil = turns + 20000;
        }
        if (roll(8) != 0) {
            return; // leave most turns alone, so that moves and replays also run on
        }
        if (calm) {
            answerABox();
            return;
        }
        ++actionsDone;
        act();
    }
};

// Guards against crashes, hangs and corrupt state under any sequence of player actions.
TEST_P(MonkeyTest, RandomActionsKeepTheGameConsistent) {
    const std::uint64_t seed = GetParam();
    actionsWanted = actionsFromEnvironment();
    std::printf("monkey seed %llu (re-run with QUORVANE_MONKEY_SEED=%llu), %d actions\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed),
                actionsWanted);
    std::fflush(stdout);
    rng.seed(seed);

    // Each turn arms the next before it acts: a timer never fires again while its own callback
    // runs, so a single repeating timer could not act inside the waits its action starts.
    QObject context;
    bool running = true;
    std::function<void()> turn = [&] {
        if (!running) {
            return;
        }
        QTimer::singleShot(0, &context, turn);
        if (trail.size() > 64) {
            trail.erase(trail.begin(), trail.begin() + 32);
        }
        tick();
    };
    QTimer::singleShot(0, &context, turn);

    // Back at the top: nothing running, nothing open, nothing busy.
    const bool settled = uitest::waitFor(
        [this] {
            if (actionsDone < actionsWanted && failure.empty()) {
                return false;
            }
            return depth == 0 && ui::openMessageBoxes().isEmpty() &&
                   window->replayPanel() == nullptr && !window->game().state.busy &&
                   !window->game().replayActive &&
                   window->driver().state() == replay::ReplayState::Idle;
        },
        600000);
    running = false;
    std::printf("turns %d\n", turns);
    std::printf("resets %llu, most steps in a game %d, most tiles removed %d, victory checks %d\n",
                static_cast<unsigned long long>(window->game().generation), maxSteps, maxRemoved,
                victories);
    for (const auto& [kind, count] : kinds) {
        std::printf("  %s %d\n", kind.c_str(), count);
    }
    EXPECT_TRUE(failure.empty()) << "seed " << seed << ": " << failure;
    ASSERT_TRUE(settled) << "seed " << seed << ": the program did not come back to rest";
    checkInvariants();
    EXPECT_TRUE(failure.empty()) << "seed " << seed << ": " << failure;
}

INSTANTIATE_TEST_SUITE_P(Seeds, MonkeyTest, ::testing::ValuesIn(seedsFromEnvironment()));

} // namespace
