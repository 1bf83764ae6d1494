#include "app/controls/TMemo.h"

#include <QScrollBar>

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // Tab moves on along the window's tab order, as in every other field;
    // a tab character never gets into the log from the keyboard.
    setTabChangesFocus(true);
}

void TMemo::appendLine(const QString& line) {
    appendPlainText(line);
}

QStringList TMemo::lines() const {
    const QString text = toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

bool TMemo::wordWrap() const {
    return lineWrapMode() != NoWrap;
}

void TMemo::setWordWrap(bool wrap) {
    setLineWrapMode(wrap ? WidgetWidth : NoWrap);
}

bool TMemo::scrollBars() const {
    return verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

void TMemo::setScrollBars(bool on) {
    // Without bars the log still scrolls with the keys and the wheel.
    const auto policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setVerticalScrollBarPolicy(policy);
    setHorizontalScrollBarPolicy(policy);
}
