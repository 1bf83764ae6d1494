#include "app/controls/TLabel.h"

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::setCaption(const QString& caption) {
    setText(caption);
    fit();
}

bool TLabel::transparent() const {
    return !autoFillBackground();
}

void TLabel::setTransparent(bool on) {
    setAutoFillBackground(!on);
}

void TLabel::setAutoSize(bool on) {
    m_autoSize = on;
    fit();
}

void TLabel::fit() {
    if (m_autoSize)
        resize(fontMetrics().horizontalAdvance(text()), fontMetrics().height());
}
