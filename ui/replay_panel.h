// The replay control panel: a small tool window below the main window with stop, pause/resume
// and exit buttons. It only reports its buttons; it refuses to be closed by the player.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QPushButton;

namespace ui {

inline constexpr int kPanelOuterWidth = 343;
inline constexpr int kPanelOuterHeight = 63;

// Centred below the main window's outer rectangle, the left truncated toward zero; not
// adjusted to the screen.
QPoint panelTopLeft(const QRect& mainFrame, int panelOuterWidth);

class ReplayPanel : public QWidget {
    Q_OBJECT
public:
    explicit ReplayPanel(QWidget* owner);

    // Places the panel below the owner's outer rectangle and shows it.
    void placeBelow(const QRect& ownerFrame);
    // The program's own close: not refused. The window goes when events are next handled.
    void closeByProgram();

    QPushButton* stopButton() const { return stop_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* exitButton() const { return exit_; }

signals:
    void stopClicked();
    // true for Pause, false for Resume; the caption decides which.
    void pauseClicked(bool pause);
    void exitClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitOuterSize();

    QPushButton* stop_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* exit_ = nullptr;
    bool closingByProgram_ = false;
    bool sizePending_ = false;
};

} // namespace ui
