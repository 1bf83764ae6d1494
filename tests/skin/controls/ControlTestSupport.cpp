#include "ControlTestSupport.h"

#include <QPainter>

void controltest::SolidWidget::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), m_color);
}
