// The step box.
#include "step_box.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace ui {

StepBox::StepBox(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("编辑框步骤"));
    setAccessibleName(QStringLiteral("步骤"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    setGeometry(472, 0, 64, 360);
    clearLog();
}

void StepBox::clearLog() {
    clear();
    QTextCursor cursor(document());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
}

void StepBox::appendLine(const QString& line) {
    // Each step is one paragraph: the line's CR LF is the paragraph break, so no empty line
    // appears between steps and copied text has one line end per step.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);
    cursor.insertText(line);
    cursor.insertBlock(centred);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QString StepBox::logText() const {
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void StepBox::keyPressEvent(QKeyEvent* event) {
    int modifiers = 0;
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m & Qt::ControlModifier) {
        modifiers += 1;
    }
    if (m & Qt::ShiftModifier) {
        modifiers += 2;
    }
    if (m & Qt::AltModifier) {
        modifiers += 4;
    }
    emit keyPressed(event->key(), modifiers);
    QTextEdit::keyPressEvent(event);
}

} // namespace ui
