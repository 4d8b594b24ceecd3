// The replay control panel.
#include "replay_panel.h"

#include "ui/toolkit.h"
#include "ui/ui_texts.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QWindow>

#include <cmath>

namespace ui {

QPoint panelTopLeft(const QRect& mainFrame, int panelOuterWidth) {
    const double left =
        mainFrame.x() + static_cast<double>(mainFrame.width() - panelOuterWidth) / 2.0;
    return {static_cast<int>(std::trunc(left)), mainFrame.y() + mainFrame.height()};
}

ReplayPanel::ReplayPanel(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("ReplayPanel"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    const auto button = [this](const char* name, const char* caption, QRect place) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(place);
        b->setAutoDefault(false);
        return b;
    };
    stop_ = button("按钮终止演示", texts::kPanelStop, {8, 8, 96, 24});
    pause_ = button("按钮暂停演示", texts::kPanelPause, {112, 8, 96, 24});
    exit_ = button("按钮退出程序", texts::kPanelExit, {216, 8, 112, 24});
    connect(stop_, &QPushButton::clicked, this, &ReplayPanel::stopClicked);
    connect(pause_, &QPushButton::clicked, this, [this] {
        // The caption is the panel's record of a pause.
        const bool pause = pause_->text() == QString::fromUtf8(texts::kPanelPause);
        pause_->setText(QString::fromUtf8(pause ? texts::kPanelResume : texts::kPanelPause));
        emit pauseClicked(pause);
    });
    connect(exit_, &QPushButton::clicked, this, &ReplayPanel::exitClicked);
    setWindowTitle(QString());
}

void ReplayPanel::placeBelow(const QRect& ownerFrame) {
    // Before the first show there is no frame to measure: take the owner's frame widths as
    // the estimate, and correct the client size once the window manager has framed the panel.
    const QWidget* owner = parentWidget();
    const QMargins frame = owner != nullptr
                               ? QMargins(owner->geometry().left() - ownerFrame.left(),
                                          owner->geometry().top() - ownerFrame.top(),
                                          ownerFrame.right() - owner->geometry().right(),
                                          ownerFrame.bottom() - owner->geometry().bottom())
                               : QMargins();
    setFixedSize(kPanelOuterWidth - frame.left() - frame.right(),
                 kPanelOuterHeight - frame.top() - frame.bottom());
    move(panelTopLeft(ownerFrame, kPanelOuterWidth));
    winId();
    clearNativeTitle(this);
    skipTaskbar(this);
    sizePending_ = true;
    if (windowHandle() != nullptr) {
        windowHandle()->installEventFilter(this);
    }
    show();
}

void ReplayPanel::fitOuterSize() {
    const QSize frame = frameGeometry().size() - size();
    if (frame == QSize(0, 0)) {
        return; // not framed yet
    }
    sizePending_ = false;
    const QSize client(kPanelOuterWidth - frame.width(), kPanelOuterHeight - frame.height());
    if (client != size()) {
        setFixedSize(client);
    }
}

bool ReplayPanel::eventFilter(QObject* watched, QEvent* event) {
    if (sizePending_ && watched == windowHandle() &&
        (event->type() == QEvent::Expose || event->type() == QEvent::Move ||
         event->type() == QEvent::Resize)) {
        fitOuterSize();
    }
    return QWidget::eventFilter(watched, event);
}

void ReplayPanel::closeByProgram() {
    closingByProgram_ = true;
    hide();
    deleteLater();
}

void ReplayPanel::closeEvent(QCloseEvent* event) {
    if (closingByProgram_) {
        event->accept();
    } else {
        event->ignore(); // the player cannot close the panel while the replay runs
    }
}

} // namespace ui
