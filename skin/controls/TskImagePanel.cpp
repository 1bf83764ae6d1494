#include "skin/controls/TskImagePanel.h"

TskImagePanel::TskImagePanel(QWidget* parent) : TskCustomPanel(parent) {}
