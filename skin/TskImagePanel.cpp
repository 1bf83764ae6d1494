#include "skin/TskImagePanel.h"

TskImagePanel::TskImagePanel(QWidget* parent) : TskCustomPanel(parent) {}
