#include "skin/form/TskTitleBarSections.h"

#include "skin/form/TskTitleBar.h"

TskTitleBarSections::TskTitleBarSections(TskTitleBar* titleBar)
    : QObject(titleBar), m_titleBar(titleBar) {}

void TskTitleBarSections::Update(TskTitleBarSection*) {
    if (m_titleBar)
        m_titleBar->update();
}
