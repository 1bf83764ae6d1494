#include "app/standins/TskImagePanel.h"

TskImagePanel::TskImagePanel(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

void TskImagePanel::setTransparent(bool on) {
    m_transparent = on;
    setAutoFillBackground(!on);
}
