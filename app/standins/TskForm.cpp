#include "app/standins/TskForm.h"

#include "platform/AlignLayout.h"

#include <QPainter>

namespace {
QColor fromBgr(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
} // namespace

TskForm::TskForm(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    AlignLayout::setClientMargins(this, QMargins(0, kTitleHeight, 0, 0));
}

void TskForm::setColor(int bgr) {
    m_color = bgr;
    update();
}

void TskForm::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void TskForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), fromBgr(m_color));
    const QRect title(0, 0, width(), kTitleHeight);
    p.fillRect(title, palette().color(QPalette::Highlight));
    p.setPen(palette().color(QPalette::HighlightedText));
    p.setFont(m_font);
    p.drawText(title.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, m_caption);
}
