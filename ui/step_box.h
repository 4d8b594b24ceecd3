// The step box: the read-only, selectable log of the game's swaps, one centred line per step.
#pragma once

#include <QTextEdit>

namespace ui {

class StepBox : public QTextEdit {
    Q_OBJECT
public:
    explicit StepBox(QWidget* parent);

    // Adds one step line at the end and scrolls it into view.
    void appendLine(const QString& line);
    void clearLog();
    // The log as the step format writes it: every line ended by CR LF.
    QString logText() const;

signals:
    // Every key press, with the modifiers as Ctrl 1, Shift 2, Alt 4 added together; the box
    // handles the key as usual afterwards.
    void keyPressed(int keyCode, int modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ui
