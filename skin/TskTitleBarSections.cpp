#include "skin/TskTitleBarSections.h"

#include "skin/TskTitleBar.h"

TskTitleBarSections::TskTitleBarSections(TskTitleBar* titleBar)
    : QObject(titleBar), m_titleBar(titleBar) {}

void TskTitleBarSections::Update(TskTitleBarSection*) {
    if (m_titleBar)
        m_titleBar->update();
}
