// The main window: the board's tile components, the step box, the menu, the tray icon and the
// replay panel; it is the game's view and the replay driver's host.
#pragma once

#include "engine/game.h"
#include "replay/replay_driver.h"
#include "ui/glide_plan.h"
#include "ui/replay_panel.h"
#include "ui/toolkit.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace sound {
class SoundSystem;
}

namespace ui {

class TileWidget;
class StepBox;

// The tray handler's codes: left release, left double-click, right release / context key.
inline constexpr int kTrayLeftRelease = 1;
inline constexpr int kTrayDoubleClick = 2;
inline constexpr int kTrayContext = 3;

class MainWindow : public QWidget, public engine::GameView, public replay::ReplayHost {
    Q_OBJECT
public:
    // The clock and sleeper drive every wait; the program passes the real ones.
    MainWindow(engine::Clock& clock, Sleeper& sleeper);
    ~MainWindow() override;

    // The set-up, then the window is shown.
    void start();
    void setUpMainWindow();
    void showRules();
    void setTitle(const std::string& text) override;

    // ---- engine::GameView ----
    void setTileLook(engine::TileRef tile, engine::TileLook look) override;
    void setTileEnabled(engine::TileRef tile, bool enabled) override;
    void destroyTile(engine::TileRef tile) override;
    void playCue(engine::SoundCue cue) override;
    void pickBlink(engine::TileRef first, engine::TileRef second) override;
    void swapGlide(engine::TileRef first, engine::TileRef second) override;
    void removalFlash(const std::string& text, engine::TileRef tile,
                      std::optional<engine::TileRef> second) override;
    void showInfo(const std::string& text) override;
    bool askOkCancel(const std::string& text) override;
    void clearStepLog() override;
    void appendStepLine(const std::string& firstCaption, const std::string& secondCaption) override;
    void setSettleEnabled(bool enabled) override;
    void rebuildWindow() override;
    void pumpEvents() override;

    // ---- replay::ReplayHost ----
    bool askYesNo(const std::string& text) override;
    void sleepMs(int ms) override;
    std::string clipboardText() override;
    void openPanel() override;
    void closePanel() override;
    bool programEnding() override { return ending_; }

    // ---- Components ----
    // The live tile component bearing the number, or null once it is destroyed.
    TileWidget* tileWidget(int number) const;
    // The live tiles whose tag lies in low..high, in the window's component order.
    QList<TileWidget*> findByTag(int low, int high) const;
    TileWidget* templateLabel() const { return template_; }
    StepBox* stepBox() const { return stepBox_; }
    ReplayPanel* replayPanel() const { return panel_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* popupMenu() const { return menu_; }
    const GlidePlan& glidePlan() const { return glidePlan_; }
    std::optional<int> lastHovered() const { return lastHovered_; }
    bool soundOpened() const { return sound_ != nullptr; }

    engine::Game& game() { return game_; }
    replay::ReplayDriver& driver() { return driver_; }

    // ---- Menu commands ----
    QAction* action(const char* caption) const; // by its caption (ui_texts.h)
    QAction* solutionAction(int index) const;
    bool quietMode() const;
    bool keepOnTop() const;
    // Puts the window's always-on-top state in step with the check mark of "保持最前".
    void applyKeepOnTop();
    void showAbout();
    void openReleasePage();
    void exitProgram();
    // Opens the pop-up menu 3 px right of and below the pointer.
    void popUpMenu();
    void onTrayEvent(int code);

signals:
    // Every cue that sounds (after the quiet-mode gate).
    void cuePlayed(engine::SoundCue cue);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTileReleased(TileWidget* tile, Qt::MouseButton button);
    void onTileMouseMove(TileWidget* tile);
    void onStepBoxKey(int keyCode, int modifiers);
    TileWidget* cloneTile();
    // Waits ms; false when the move it belongs to has been abandoned meanwhile.
    bool animationWait(int ms, std::uint64_t generation);
    bool moveAbandoned(std::uint64_t generation) const;
    void createMenu();
    void installTrayIcon();
    QIcon windowIcon32() const;
    void recentreOnceFramed();

    engine::Clock& clock_;
    Sleeper& sleeper_;
    RandomGenerator random_;
    engine::Game game_;
    replay::ReplayDriver driver_;

    TileWidget* template_ = nullptr;
    StepBox* stepBox_ = nullptr;
    std::array<QPointer<TileWidget>, engine::kTileCount> tiles_{};
    std::optional<int> lastHovered_;
    GlidePlan glidePlan_{};

    QMenu* menu_ = nullptr;
    QAction* settleAction_ = nullptr;
    QAction* quietAction_ = nullptr;
    QAction* keepOnTopAction_ = nullptr;
    std::array<QAction*, 3> solutionActions_{};
    QList<QAction*> actions_;
    QSystemTrayIcon* tray_ = nullptr;
    QPointer<ReplayPanel> panel_;
    sound::SoundSystem* sound_ = nullptr; // owned as a child object

    bool ending_ = false;
    bool keepOnTop_ = false;
    bool recentrePending_ = false;
    bool soundRequested_ = false;
};

} // namespace ui
