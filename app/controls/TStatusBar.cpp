#include "app/controls/TStatusBar.h"

#include <QPainter>
#include <QStyleOption>

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TStatusBar::setSimpleText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    // A sunken panel a pixel in from the edges, as status bars are drawn.
    const QRect panel = rect().adjusted(0, 2, -1, -1);
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(panel.topLeft(), panel.topRight());
    p.drawLine(panel.topLeft(), panel.bottomLeft());
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(panel.bottomLeft(), panel.bottomRight());
    p.drawLine(panel.topRight(), panel.bottomRight());
    p.setPen(pal.color(QPalette::WindowText));
    const QRect textRect = panel.adjusted(3, 0, -3, 0);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
               fontMetrics().elidedText(m_text, Qt::ElideMiddle, textRect.width()));
}
