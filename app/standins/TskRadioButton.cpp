#include "app/standins/TskRadioButton.h"

TskRadioButton::TskRadioButton(QWidget* parent) : QRadioButton(parent) {}
