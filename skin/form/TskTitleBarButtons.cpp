#include "skin/form/TskTitleBarButtons.h"

#include "skin/form/TskTitleBar.h"

TskTitleBarButtons::TskTitleBarButtons(TskTitleBar* titleBar)
    : QObject(titleBar), m_titleBar(titleBar) {}

void TskTitleBarButtons::Update(TskTitleBarButton*) {
    if (m_titleBar)
        m_titleBar->update();
}
