// The pop-up menu and its commands, the tray icon, and the replays the commands start.
#include "main_window.h"

#include "replay/solutions.h"
#include "ui/ui_texts.h"

#include <QAction>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QWindow>

#include <functional>

namespace ui {

// ---- The menu ------------------------------------------------------------------------------

void MainWindow::createMenu() {
    menu_ = new QMenu(QString::fromUtf8(texts::kMenuFile), this);
    // Each command is one action, shared by every place that pops the menu up. It runs as an
    // event of its own, after the menu has closed.
    const auto command = [this](QMenu* into, const char* caption, std::function<void()> body) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        into->addAction(a);
        actions_.append(a);
        connect(
            a, &QAction::triggered, this,
            [this, body = std::move(body)] {
                if (!ending_) {
                    body();
                }
            },
            Qt::QueuedConnection);
        return a;
    };

    // A new game or a settlement in the middle of a move or a replay replaces the board; the
    // move and the replay notice and end without touching it.
    command(menu_, texts::kMenuNewGame, [this] { engine::confirmNewGame(game_); });
    settleAction_ = command(menu_, texts::kMenuSettle, [this] { engine::settle(game_); });
    settleAction_->setEnabled(false);
    menu_->addSeparator();
    command(menu_, texts::kMenuRules, [this] { showRules(); });
    command(menu_, texts::kMenuAbout, [this] { showAbout(); });
    command(menu_, texts::kMenuReleasePage, [this] { openReleasePage(); });
    menu_->addSeparator();
    quietAction_ = command(menu_, texts::kMenuQuiet, [] {});
    quietAction_->setCheckable(true);
    keepOnTopAction_ = command(menu_, texts::kMenuKeepOnTop, [this] { applyKeepOnTop(); });
    keepOnTopAction_->setCheckable(true);
    menu_->addSeparator();
    QMenu* solutions = menu_->addMenu(QString::fromUtf8(texts::kMenuSolutions));
    for (std::size_t i = 0; i < replay::kSolutions.size(); ++i) {
        const replay::Solution& solution = replay::kSolutions[i];
        solutionActions_[i] =
            command(solutions, std::string(solution.caption).c_str(),
                    [this, script = std::string(solution.script)] { driver_.startReplay(script); });
    }
    solutions->addSeparator();
    command(solutions, texts::kMenuMySteps, [this] { driver_.showInstructions(); });
    menu_->addSeparator();
    command(menu_, texts::kMenuExit, [this] { exitProgram(); });
    menu_->addSeparator();
    command(menu_, texts::kMenuCancel, [] {});
}

QAction* MainWindow::action(const char* caption) const {
    const QString text = QString::fromUtf8(caption);
    for (QAction* a : actions_) {
        if (a->text() == text) {
            return a;
        }
    }
    return nullptr;
}

QAction* MainWindow::solutionAction(int index) const {
    return solutionActions_.at(static_cast<std::size_t>(index));
}

bool MainWindow::quietMode() const {
    return quietAction_ != nullptr && quietAction_->isChecked();
}

bool MainWindow::keepOnTop() const {
    return keepOnTop_;
}

void MainWindow::popUpMenu() {
    if (!ending_) {
        menu_->popup(QCursor::pos() + QPoint(3, 3));
    }
}

// ---- Small commands ------------------------------------------------------------------------

void MainWindow::applyKeepOnTop() {
    keepOnTop_ = keepOnTopAction_->isChecked();
    if (QWindow* window = windowHandle()) {
        // Switched on the native window: QWidget::setWindowFlag would hide and re-place it.
        window->setFlag(Qt::WindowStaysOnTopHint, keepOnTop_);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, keepOnTop_);
    }
}

void MainWindow::showAbout() {
    messageBox(QString::fromStdString(texts::aboutText()), Buttons::Ok);
}

void MainWindow::openReleasePage() {
    // The desktop's own URL handler; it neither goes through a shell nor waits for the browser.
    QDesktopServices::openUrl(QUrl(QString::fromStdString(texts::releasePageUrl())));
}

// ---- Tray icon -----------------------------------------------------------------------------

void MainWindow::installTrayIcon() {
    if (tray_ == nullptr) {
        tray_ = new QSystemTrayIcon(this);
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (ending_) {
                        return;
                    }
                    switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        onTrayEvent(kTrayLeftRelease);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        // Over XEmbed a double-click comes as one Trigger and then this;
                        // it stands for the second release as well, so that a double-click
                        // leaves the window as it was (over StatusNotifierItem it comes as
                        // two Triggers).
                        onTrayEvent(kTrayLeftRelease);
                        onTrayEvent(kTrayDoubleClick);
                        break;
                    case QSystemTrayIcon::Context:
                        onTrayEvent(kTrayContext);
                        break;
                    default:
                        break;
                    }
                });
    }
    tray_->setIcon(windowIcon());
    tray_->setToolTip(QString::fromStdString(texts::trayTip()));
    tray_->show(); // without a tray this does nothing, and the game goes on without it
}

void MainWindow::onTrayEvent(int code) {
    switch (code) {
    case kTrayLeftRelease:
        setVisible(!isVisible());
        if (isVisible()) {
            if (isMinimized()) {
                showNormal();
            }
            if (!keepOnTop_ && windowHandle() != nullptr) {
                // On top and off again at once: in front of every window, without staying there.
                windowHandle()->setFlag(Qt::WindowStaysOnTopHint, true);
                windowHandle()->setFlag(Qt::WindowStaysOnTopHint, false);
            }
            raise();
            activateWindow();
        }
        break;
    case kTrayContext:
        popUpMenu();
        break;
    default:
        break;
    }
}

} // namespace ui
