// The main window: set-up, the game's view operations, tile events and the animations.
#include "main_window.h"

#include "ui/replay_panel.h"
#include "ui/step_box.h"
#include "ui/tile_widget.h"
#include "ui/ui_texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#if defined(QUORVANE_HAVE_SOUND) && __has_include("ui/sound/sound_system.h")
#include "ui/sound/sound_system.h"
#define QUORVANE_SOUND_ACTIVE 1
#endif

// The icon resource lives in this static library; it is registered before first use.
static void initIconResource() {
#ifdef QUORVANE_HAVE_ICON_FILE
    Q_INIT_RESOURCE(icon);
#endif
}

namespace ui {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
constexpr int kTileSide = 50;
} // namespace

MainWindow::MainWindow(engine::Clock& clock, Sleeper& sleeper)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      clock_(clock), sleeper_(sleeper), random_(clock), game_(*this, clock), driver_(game_, *this) {
    initIconResource();
    // The form: a hidden window, centred, with the template label and the step box.
    setWindowTitle(qs(texts::formTitle()));
    setWindowIcon(windowIcon32());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    resize(627, 424);
    move(centredTopLeft(screenSize(), size()));

    template_ = new TileWidget(this);
    template_->setObjectName(QStringLiteral("数"));
    template_->setGeometry(200, 120, kTileSide, kTileSide);
    template_->setCaption(QStringLiteral("99"));
    template_->setVisible(false);

    stepBox_ = new StepBox(this);
    connect(stepBox_, &StepBox::keyPressed, this, &MainWindow::onStepBoxKey);

    createMenu();
}

MainWindow::~MainWindow() {
    // Nothing may wait on this window any more.
    ending_ = true;
    engine::abandonGame(game_);
}

void MainWindow::start() {
    setUpMainWindow();
    if (ending_) {
        return;
    }
    winId(); // the native window, watched from before its first exposure
    windowHandle()->installEventFilter(this);
    show();
    recentreOnceFramed();
}

// ---- Set-up --------------------------------------------------------------------------------

TileWidget* MainWindow::cloneTile() {
    TileWidget* tile = template_->clone();
    connect(tile, &TileWidget::released, this, &MainWindow::onTileReleased);
    connect(tile, &TileWidget::mouseMoved, this, &MainWindow::onTileMouseMove);
    return tile;
}

void MainWindow::setUpMainWindow() {
    if (ending_) {
        return;
    }
    // 1. The tiles, laid out left to right; a new row after each number ending in "0".
    int x = 0;
    int y = 0;
    TileWidget* last = nullptr;
    for (int n = 1; n <= engine::kTileCount; ++n) {
        TileWidget* tile = cloneTile();
        tile->move(x, y);
        const engine::Tile& t = game_.board.tile(engine::TileRef{n});
        tile->setCaption(qs(t.caption));
        tile->setNumber(std::stoi(t.tag));
        tile->setEnabled(t.enabled);
        tile->show();
        tiles_[static_cast<std::size_t>(n - 1)] = tile;
        if (t.tag.back() == '0') {
            x = 0;
            y = tile->y() + tile->height();
        } else {
            x = tile->x() + tile->height();
        }
        last = tile;
    }
    // 2. The frame, measured before the window changes size.
    const QSize frame = frameGeometry().size() - size();
    // 3. The step box at the right of the grid.
    stepBox_->move(last->x() + last->width(), 0);
    // 4. The window around grid and box; the frame stays fixed.
    const QSize outer(stepBox_->width() + stepBox_->x() + frame.width(),
                      last->height() + last->y() + frame.height());
    setFixedSize(outer - frame);
    // 5. The step box as high as the client area.
    stepBox_->resize(stepBox_->width(), height());
    // 6. Centred, 15 px above the middle of the whole screen.
    move(centredTopLeft(screenSize(), size() + frame));
    // Before the first show (and while hidden in the tray) there is no frame to measure; once
    // the window manager frames the window it is centred again with its real outer size.
    recentrePending_ = frame == QSize(0, 0);
    // 7. The first start: the flag is written before the rules are shown.
    if (readFirstStartFlag() != QStringLiteral("假")) {
        writeFirstStartFlag(QStringLiteral("假"));
        showRules();
    }
    // 8.–10.
    setTitle(texts::defaultTitle());
    game_.state.hundredCooldown = 3;
    installTrayIcon();
}

void MainWindow::recentreOnceFramed() {
    if (!recentrePending_ || frameGeometry().size() == size()) {
        return;
    }
    recentrePending_ = false;
    move(centredTopLeft(screenSize(), frameGeometry().size()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
#ifdef QUORVANE_SOUND_ACTIVE
    // The sound device is opened once the board is on screen, so the window does not wait for
    // it; the player cannot ask for a cue before that.
    if (watched == windowHandle() && event->type() == QEvent::Expose && !soundRequested_ &&
        windowHandle()->isExposed()) {
        soundRequested_ = true;
        QTimer::singleShot(0, this, [this] {
            if (!ending_) {
                sound_ = new sound::SoundSystem(this);
            }
        });
    }
#endif
    if (watched == windowHandle() && recentrePending_ &&
        (event->type() == QEvent::Expose || event->type() == QEvent::Move ||
         event->type() == QEvent::Resize)) {
        recentreOnceFramed();
    }
    return QWidget::eventFilter(watched, event);
}

QIcon MainWindow::windowIcon32() const {
#ifdef QUORVANE_HAVE_ICON_FILE
    QPixmap file(QStringLiteral(":/quorvane/icon32.png"));
    if (!file.isNull()) {
        QImage image = file.toImage().convertToFormat(QImage::Format_ARGB32);
        return QIcon(QPixmap::fromImage(image));
    }
#endif
    // A drawn stand-in: a yellow tile with a blue edge.
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(2, 2, 28, 28, kBlue);
    p.fillRect(5, 5, 22, 22, kYellow);
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

void MainWindow::showRules() {
    messageBox(QString::fromUtf8(texts::kRules), Buttons::Ok);
}

void MainWindow::setTitle(const std::string& text) {
    setWindowTitle(qs(text));
}

// ---- Lookup --------------------------------------------------------------------------------

TileWidget* MainWindow::tileWidget(int number) const {
    if (number < 1 || number > engine::kTileCount) {
        return nullptr;
    }
    TileWidget* tile = tiles_[static_cast<std::size_t>(number - 1)];
    return tile != nullptr && !tile->destroyed() ? tile : nullptr;
}

QList<TileWidget*> MainWindow::findByTag(int low, int high) const {
    QList<TileWidget*> found;
    for (TileWidget* tile : findChildren<TileWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!tile->destroyed() && tile->number() != 0 && tile->number() >= low &&
            tile->number() <= high) {
            found.append(tile);
        }
    }
    return found;
}

// ---- GameView: looks, components, texts ----------------------------------------------------

void MainWindow::setTileLook(engine::TileRef tile, engine::TileLook look) {
    if (TileWidget* w = tileWidget(tile.number)) {
        w->setLook(look);
    }
}

void MainWindow::setTileEnabled(engine::TileRef tile, bool enabled) {
    if (TileWidget* w = tileWidget(tile.number)) {
        w->setEnabled(enabled);
    }
}

void MainWindow::destroyTile(engine::TileRef tile) {
    TileWidget* w = tileWidget(tile.number);
    if (w == nullptr) {
        return;
    }
    // Its own handler may be on the stack (a click that is still resolving): hide it, forget
    // it, and let the outer event loop free it.
    w->markDestroyed();
    w->hide();
    tiles_[static_cast<std::size_t>(tile.number - 1)] = nullptr;
    w->deleteLater();
    if (lastHovered_ == tile.number) {
        lastHovered_.reset();
    }
}

void MainWindow::playCue(engine::SoundCue cue) {
    if (!engine::cueAudible(cue, quietMode(), game_.replayActive)) {
        return;
    }
#ifdef QUORVANE_SOUND_ACTIVE
    if (sound_ != nullptr) {
        sound_->playCue(cue);
    }
#endif
    emit cuePlayed(cue);
}

void MainWindow::showInfo(const std::string& text) {
    messageBox(qs(text), Buttons::Ok);
}

bool MainWindow::askOkCancel(const std::string& text) {
    return messageBox(qs(text), Buttons::OkCancel) == kAnswerOk;
}

bool MainWindow::askYesNo(const std::string& text) {
    return messageBox(qs(text), Buttons::YesNo) == kAnswerYes;
}

void MainWindow::clearStepLog() {
    stepBox_->clearLog();
}

void MainWindow::appendStepLine(const std::string& firstCaption, const std::string& secondCaption) {
    stepBox_->appendLine(qs(firstCaption + "," + secondCaption));
}

void MainWindow::setSettleEnabled(bool enabled) {
    settleAction_->setEnabled(enabled);
}

void MainWindow::rebuildWindow() {
    setUpMainWindow();
}

void MainWindow::pumpEvents() {
    ui::pumpEvents();
}

void MainWindow::sleepMs(int ms) {
    sleeper_.sleepMs(ms);
}

std::string MainWindow::clipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard != nullptr ? clipboard->text() : QString();
    return text.toStdString(); // the driver converts the line ends
}

void MainWindow::openPanel() {
    if (ending_) {
        return;
    }
    if (panel_ != nullptr) {
        panel_->closeByProgram();
    }
    panel_ = new ReplayPanel(this);
    connect(panel_, &ReplayPanel::stopClicked, this,
            [this] { driver_.setState(replay::ReplayState::Idle); });
    connect(panel_, &ReplayPanel::pauseClicked, this, [this](bool pause) {
        driver_.setState(pause ? replay::ReplayState::Paused : replay::ReplayState::Running);
    });
    connect(panel_, &ReplayPanel::exitClicked, this, &MainWindow::exitProgram);
    panel_->placeBelow(frameGeometry());
}

void MainWindow::closePanel() {
    if (panel_ != nullptr) {
        panel_->closeByProgram();
        panel_ = nullptr;
    }
}

// ---- Tile events ---------------------------------------------------------------------------

void MainWindow::onTileReleased(TileWidget* tile, Qt::MouseButton button) {
    // A destroyed tile's late events, and every event once the program is ending, are dropped.
    if (ending_ || tile->destroyed() || tileWidget(tile->number()) != tile) {
        return;
    }
    const engine::TileRef ref{tile->number()};
    if (button == Qt::LeftButton) {
        engine::clickTile(game_, ref);
    } else if (button == Qt::RightButton && engine::rightClickTile(game_, ref)) {
        popUpMenu();
    }
}

void MainWindow::onTileMouseMove(TileWidget* tile) {
    if (ending_ || tile->destroyed() || game_.state.busy) {
        return;
    }
    const int number = tile->number();
    if (lastHovered_ == number) {
        return;
    }
    if (lastHovered_) {
        if (TileWidget* previous = tileWidget(*lastHovered_)) {
            previous->setBorderStyle(BorderStyle::ThinSunken);
        }
    }
    if (game_.state.firstPick != engine::TileRef{number}) {
        tile->setLook(engine::TileLook::Hover);
        playCue(engine::SoundCue::Hover);
    }
    lastHovered_ = number;
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && !ending_) {
        popUpMenu();
    }
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::onStepBoxKey(int keyCode, int modifiers) {
    if (ending_) {
        return;
    }
    driver_.onStepBoxKey(keyCode, modifiers);
}

// ---- Animations ----------------------------------------------------------------------------

bool MainWindow::moveAbandoned(std::uint64_t generation) const {
    return ending_ || game_.generation != generation;
}

bool MainWindow::animationWait(int ms, std::uint64_t generation) {
    waitPumping(clock_, sleeper_, ms, [&] { return moveAbandoned(generation); });
    return !moveAbandoned(generation);
}

void MainWindow::pickBlink(engine::TileRef first, engine::TileRef second) {
    const std::uint64_t generation = game_.generation;
    playCue(engine::SoundCue::Swap);
    const engine::TileLook looks[] = {engine::TileLook::Normal, engine::TileLook::Selected,
                                      engine::TileLook::Normal};
    for (const engine::TileLook look : looks) {
        if (!animationWait(200, generation)) {
            return;
        }
        setTileLook(first, look);
        setTileLook(second, look);
    }
}

void MainWindow::swapGlide(engine::TileRef first, engine::TileRef second) {
    const std::uint64_t generation = game_.generation;
    TileWidget* a = tileWidget(first.number);
    TileWidget* b = tileWidget(second.number);
    if (a == nullptr || b == nullptr) {
        return;
    }
    glidePlan_ = planGlide(a->pos(), b->pos());
    a->raise();
    b->raise(); // the second pick passes in front of the first
    for (int frame = 0; frame < kGlideFrames; ++frame) {
        // Looked up afresh each frame: a command handled during the wait may have destroyed them.
        if (TileWidget* t = tileWidget(first.number)) {
            t->move(t->pos() + glidePlan_.firstDelta);
        }
        if (TileWidget* t = tileWidget(second.number)) {
            t->move(t->pos() + glidePlan_.secondDelta);
        }
        if (!animationWait(20, generation)) {
            return;
        }
    }
    if (TileWidget* t = tileWidget(second.number)) {
        t->move(glidePlan_.firstOrigin);
    }
    if (TileWidget* t = tileWidget(first.number)) {
        t->move(glidePlan_.secondOrigin);
    }
}

void MainWindow::removalFlash(const std::string& text, engine::TileRef tile,
                              std::optional<engine::TileRef> second) {
    const std::uint64_t generation = game_.generation;
    const auto randomColour = [this] {
        random_.seedRandom();
        const int red = random_.randomInt(0, 255);
        const int green = random_.randomInt(0, 255);
        const int blue = random_.randomInt(0, 255);
        return QColor(red, green, blue);
    };
    for (int cycle = 0; cycle < 3; ++cycle) {
        setTitle(text);
        for (int colour = 0; colour < 3; ++colour) {
            if (TileWidget* t = tileWidget(tile.number)) {
                t->setColour(colour, randomColour());
            }
            if (second) {
                if (TileWidget* t = tileWidget(second->number)) {
                    t->setColour(colour, randomColour());
                }
            }
            if (!animationWait(100, generation)) {
                return;
            }
        }
        setTitle(texts::defaultTitle());
    }
}

// ---- Program end ---------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box ends the program; the window is taken down by exitProgram.
    event->ignore();
    exitProgram();
}

void MainWindow::exitProgram() {
    if (ending_) {
        return;
    }
    ending_ = true;
    // Every wait returns at once from now on, every box answers at once, and the move or
    // replay in progress unwinds without touching the board again.
    engine::abandonGame(game_);
    driver_.setState(replay::ReplayState::Idle);
    setProgramEnding(true);
    closePanel();
    if (menu_ != nullptr) {
        menu_->close();
    }
    if (tray_ != nullptr) {
        tray_->hide();
    }
    hide();
    // exit() rather than quit(): quitting asks every window to close, and the replay panel
    // refuses.
    QCoreApplication::exit(0);
}

} // namespace ui
